#include "pages/general/general_setting_page.h"

#include "app/utility_session.h"

namespace talvon {

CGeneralSettingPage::CGeneralSettingPage(UtilitySession& session) : CDialog(IDD), session_(session) {}

bool CGeneralSettingPage::OnInitDialog() {
  CDialog::OnInitDialog();
  return true;
}

}  // namespace talvon
