#include "pages/newcard/new_card_page.h"

#include "app/utility_session.h"

namespace talvon {

CNewCardPage::CNewCardPage(UtilitySession& session) : CDialog(IDD), session_(session) {}

bool CNewCardPage::OnInitDialog() {
  CDialog::OnInitDialog();
  return true;
}

}  // namespace talvon
