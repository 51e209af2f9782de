#include "app/reboot_sheet_dlg.h"

#include <memory>

#include "app/utility_session.h"
#include "pages/autorun/auto_run_page.h"
#include "pages/general/general_setting_page.h"
#include "pages/newcard/new_card_page.h"
#include "pages/server/server_page.h"
#include "pages/update/update_page.h"
#include "platform/message_box.h"
#include "platform/registry.h"
#include "platform/templates/ids_129.h"

namespace talvon {
namespace {

constexpr char kSaveCaption[] = "Save Registry";
constexpr char kSaveQuestion[] =
    "It would take 10-15 seconds to store your settings into internal non-volatile memory. Proceed ?";
constexpr char kFlushFailed[] = "RegFlushKey failed";
constexpr char kRebootCaption[] = "System Reboot";
constexpr char kRebootQuestion[] = "All settings you changed will take effect\n after system reboot, reboot now ?";

// Builds a page of the sheet: heap object in its slot, window from its own
// template as a child of the sheet (which runs its initialisation), then
// shown or hidden.
template <typename Page, typename State>
void AddPage(UtilitySession& session, CDialog& sheet, Page*& slot, State& state, bool show) {
  slot = session.Adopt(std::make_unique<Page>(session.Context(), state));
  slot->Create(sheet);
  slot->ShowWindow(show ? SW_SHOW : SW_HIDE);
}

}  // namespace

CRebootSheetDlg::CRebootSheetDlg(UtilitySession& session) : CDialog(IDD), session_(session) {
  Messages().OnNotify(ids129::kTabControl, TCN_SELCHANGE,
                      [this](const WindowMessage&, LRESULT* result) { OnTabChange(result); });
  Messages().OnCommand(ids129::kHomeButton, BN_CLICKED, [this] { OnHome(); });
  Messages().OnCommand(ids129::kHomeIcon, STN_CLICKED, [this] { OnHome(); });
  Messages().OnCommand(ids129::kConfirmRegistryButton, BN_CLICKED, [this] { OnConfirmRegistry(); });
  Messages().OnCommand(ids129::kSaveIcon, STN_CLICKED, [this] { OnConfirmRegistry(); });
}

void CRebootSheetDlg::DoDataExchange(DataExchange& exchange) { exchange.Control(ids129::kTabControl, tab_); }

bool CRebootSheetDlg::OnInitDialog() {
  CDialog::OnInitDialog();
  CenterWindow();
  SetWindowText(kCaption);

  tab_.InsertItem(0, "General Setting");
  AddPage(session_, *this, session_.page0, session_.general, true);
  tab_.InsertItem(1, "Update Version");
  AddPage(session_, *this, session_.page1, session_.update, false);
  tab_.InsertItem(2, "Auto-execution");
  AddPage(session_, *this, session_.page2, session_.autoRun, false);
  tab_.InsertItem(3, "Server Setting");
  AddPage(session_, *this, session_.page3, session_.server, false);
  tab_.InsertItem(4, "New Card Wizard");
  AddPage(session_, *this, session_.page4, session_.newCard, false);

  Rect firstItem;
  tab_.GetItemRect(0, &firstItem);
  session_.pageRect = ComputePageRect(tab_.GetClientRect(), firstItem);
  const PageRect& r = session_.pageRect;
  session_.page0->SetWindowPos(nullptr, r.left, r.top, r.width, r.height, SWP_SHOWWINDOW);
  for (int index = 1; index <= 4; ++index) {
    session_.ConfigurationPage(index)->SetWindowPos(nullptr, r.left, r.top, r.width, r.height, SWP_HIDEWINDOW);
  }
  return true;
}

void CRebootSheetDlg::OnTabChange(LRESULT* result) {
  // Any index outside 1 to 4, including no selection, shows page 0. Pages
  // shown before stay shown beneath the new one, which covers them exactly.
  const int selection = tab_.GetCurSel();
  CDialog* page = selection >= 1 && selection <= 4 ? session_.ConfigurationPage(selection) : session_.page0;
  const PageRect& r = session_.pageRect;
  if (page != nullptr) page->SetWindowPos(nullptr, r.left, r.top, r.width, r.height, SWP_SHOWWINDOW);
  *result = 0;
}

void CRebootSheetDlg::OnHome() { ShowWindow(SW_HIDE); }

void CRebootSheetDlg::OnConfirmRegistry() {
  if (MessageBox(kSaveQuestion, kSaveCaption, MB_YESNO | MB_ICONQUESTION) != IDYES) return;
  if (session_.platform.registry.FlushKey(HKEY_LOCAL_MACHINE) != ERROR_SUCCESS) {
    MessageBox(kFlushFailed, kSaveCaption, MB_OK | MB_ICONEXCLAMATION);
    return;
  }
  if (MessageBox(kRebootQuestion, kRebootCaption, MB_YESNO | MB_ICONEXCLAMATION) == IDYES) {
    session_.platform.sdk.Reset_TalVon();
  }
}

}  // namespace talvon
