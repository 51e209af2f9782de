#pragma once
#include <cstdint>
#include <memory>
#include <vector>

#include "app/flash_work_guard.h"
#include "app/no_reboot_sheet_dlg.h"
#include "app/page_rect.h"
#include "app/reboot_sheet_dlg.h"
#include "flash/transfer_buffer.h"
#include "pages/autorun/auto_run_state.h"
#include "pages/general/general_setting_state.h"
#include "pages/info/system_info_state.h"
#include "pages/newcard/new_card_state.h"
#include "pages/page_context.h"
#include "pages/server/server_page_state.h"
#include "pages/update/update_page_state.h"
#include "platform/backend_app_message_boxes.h"
#include "platform/dialog_backend.h"
#include "platform/platform.h"

namespace talvon {

class CDialog;
class CHomeDlg;
class CGeneralSettingPage;
class CUpdatePage;
class CAutoRunPage;
class CServerPage;
class CNewCardPage;
class CSystemInfoPage;

// Everything the utility keeps for one run: the controller's platform roles,
// the dialog backend, both sheets, the page slots and every page's run-wide
// state. A reboot (or a test) starts with a new session; nothing of a run
// outlives it. The pages see only their PageContext and their own state.
class UtilitySession final : private PageSheets {
  // First, so that it stands between the pages and the SDK from the start.
  FlashWorkGuard guard_;

 public:
  UtilitySession(Platform& platform, DialogBackend& backend);
  ~UtilitySession();
  UtilitySession(const UtilitySession&) = delete;
  UtilitySession& operator=(const UtilitySession&) = delete;

  // The controller's roles as the pages see them: the SDK through the
  // flash-work guard, so that no page reboots in the middle of flash work.
  Platform platform;
  DialogBackend& backend;
  // Application-level message boxes, captioned "TalvonUtility".
  AppMessageBoxes& AppBoxes() { return appBoxes_; }
  FlashWorkGuard& Guard() { return guard_; }
  // What the pages of this run work with.
  PageContext& Context() { return pageContext_; }

  CRebootSheetDlg& RebootSheet() { return rebootSheet_; }
  CNoRebootSheetDlg& NoRebootSheet() { return noRebootSheet_; }
  // The home screen while it runs (the application's main window), else nullptr.
  CHomeDlg* mainWindow = nullptr;

  // Page slots: null until their sheet initialises, never cleared.
  CGeneralSettingPage* page0 = nullptr;  // "General Setting"
  CUpdatePage* page1 = nullptr;          // "Update Version"
  CAutoRunPage* page2 = nullptr;         // "Auto-execution"
  CServerPage* page3 = nullptr;          // "Server Setting"
  CNewCardPage* page4 = nullptr;         // "New Card Wizard"
  CSystemInfoPage* infoPage = nullptr;   // "System Configuration"
  // The configuration sheet's page of each tab index 0 to 4.
  CDialog* ConfigurationPage(int index) const;

  // Where the configuration sheet places its pages, computed once.
  PageRect pageRect;
  // The home screen's blink phase: 0 at the start of the run.
  std::uint8_t blinkPhase = 0;

  // The one buffer through which flash data moves to and from files.
  TransferBuffer transfer;

  // Run-wide state of each page.
  GeneralSettingState general;
  UpdatePageState update;
  AutoRunState autoRun;
  ServerPageState server;
  NewCardState newCard;
  SystemInfoState info;

  // The sheets hand their pages over here; they live as long as the run.
  template <typename Page>
  Page* Adopt(std::unique_ptr<Page> page) {
    Page* raw = page.get();
    pages_.push_back(std::move(page));
    return raw;
  }

 private:
  void HideConfigurationSheet() override;
  void HideInformationSheet() override;

  BackendAppMessageBoxes appBoxes_;
  PageContext pageContext_;
  CRebootSheetDlg rebootSheet_;
  CNoRebootSheetDlg noRebootSheet_;
  // Declared last: the pages (children of the sheets) go first.
  std::vector<std::unique_ptr<CDialog>> pages_;
};

}  // namespace talvon
