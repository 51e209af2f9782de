#include "app/no_reboot_sheet_dlg.h"

#include <memory>

#include "app/utility_session.h"
#include "pages/info/system_info_page.h"
#include "platform/templates/ids_130.h"

namespace talvon {

CNoRebootSheetDlg::CNoRebootSheetDlg(UtilitySession& session) : CDialog(IDD), session_(session) {}

void CNoRebootSheetDlg::DoDataExchange(DataExchange& exchange) { exchange.Control(ids130::kTabControl, tab_); }

bool CNoRebootSheetDlg::OnInitDialog() {
  CDialog::OnInitDialog();
  CenterWindow();
  SetWindowText(kCaption);
  tab_.InsertItem(0, "System Configuration");

  CSystemInfoPage* page = session_.Adopt(std::make_unique<CSystemInfoPage>(session_.Context(), session_.info));
  session_.infoPage = page;
  page->Create(*this);
  page->ShowWindow(SW_SHOW);

  // Same placement as the configuration sheet's, kept locally.
  Rect firstItem;
  tab_.GetItemRect(0, &firstItem);
  const PageRect r = ComputePageRect(tab_.GetClientRect(), firstItem);
  page->SetWindowPos(nullptr, r.left, r.top, r.width, r.height, SWP_SHOWWINDOW);
  return true;
}

}  // namespace talvon
