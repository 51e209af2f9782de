#include "pages/update/update_page.h"

#include "app/utility_session.h"

namespace talvon {

CUpdatePage::CUpdatePage(UtilitySession& session) : CDialog(IDD), session_(session) {}

bool CUpdatePage::OnInitDialog() {
  CDialog::OnInitDialog();
  return true;
}

}  // namespace talvon
