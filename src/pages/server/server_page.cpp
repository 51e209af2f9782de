#include "pages/server/server_page.h"

#include "app/utility_session.h"

namespace talvon {

CServerPage::CServerPage(UtilitySession& session) : CDialog(IDD), session_(session) {
  Messages().OnCommand(1062, BN_CLICKED, [this] { OnHome(); });
  Messages().OnCommand(1086, STN_CLICKED, [this] { OnHome(); });
}

bool CServerPage::OnInitDialog() {
  CDialog::OnInitDialog();
  return true;
}

void CServerPage::OnHome() { session_.RebootSheet().ShowWindow(SW_HIDE); }

}  // namespace talvon
