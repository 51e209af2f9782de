#include "pages/info/system_info_page.h"

#include "app/utility_session.h"

namespace talvon {

CSystemInfoPage::CSystemInfoPage(UtilitySession& session) : CDialog(IDD), session_(session) {
  Messages().OnCommand(1004, BN_CLICKED, [this] { OnHome(); });
  Messages().OnCommand(1082, STN_CLICKED, [this] { OnHome(); });
}

bool CSystemInfoPage::OnInitDialog() {
  CDialog::OnInitDialog();
  return true;
}

void CSystemInfoPage::OnHome() { session_.NoRebootSheet().ShowWindow(SW_HIDE); }

}  // namespace talvon
