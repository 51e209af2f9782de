#include "pages/autorun/auto_run_page.h"

#include "app/utility_session.h"

namespace talvon {

CAutoRunPage::CAutoRunPage(UtilitySession& session) : CDialog(IDD), session_(session) {}

bool CAutoRunPage::OnInitDialog() {
  CDialog::OnInitDialog();
  return true;
}

}  // namespace talvon
