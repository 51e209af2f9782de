#include "pages/info/system_info_page.h"

#include "pages/info/system_info.h"
#include "pages/info/system_info_state.h"
#include "pages/page_context.h"
#include "platform/message_box.h"
#include "platform/templates/ids_132.h"

namespace talvon {

using namespace ids132;

namespace {

constexpr char kRegistryViewer[] = "\\windows\\RegView.exe";
constexpr char kViewerFailed[] = "CreateProcess failed";
constexpr char kViewerCaption[] = "Save Registry";

}  // namespace

CSystemInfoPage::CSystemInfoPage(PageContext& context, SystemInfoState& state)
    : CDialog(IDD), context_(context), state_(state) {
  Messages().OnCommand(kHomeButton, BN_CLICKED, [this] { OnHome(); });
  Messages().OnCommand(kViewRegistry, BN_CLICKED, [this] { OnViewRegistry(); });
  Messages().OnCommand(kHomeIcon, STN_CLICKED, [this] { OnHome(); });
}

bool CSystemInfoPage::OnInitDialog() {
  CDialog::OnInitDialog();
  Platform& platform = context_.platform;
  const SystemInfoFields fields = GatherSystemInfo({platform.sdk, platform.serialPorts, platform.clock});
  for (int n = 0; n < SystemInfoSlotCount; ++n) SetDlgItemText(kFirstSlotField + n, fields.slots[n]);
  SetDlgItemText(kSerialNumberField, fields.serialNumber);
  SetDlgItemText(kMacAddressField, fields.macAddress);
  SetDlgItemText(kSdkFlashSizeField, fields.sdkFlashSize);
  SetDlgItemText(kFlashSizeField, fields.flashSize);
  SetDlgItemText(kOsVersionField, fields.osVersion);
  SetDlgItemText(kSdkVersionField, fields.sdkVersion);
  return true;
}

void CSystemInfoPage::OnHome() { context_.sheets.HideInformationSheet(); }

void CSystemInfoPage::OnViewRegistry() {
  // Started suspended and let go at once; the page does not wait for it.
  Processes& processes = context_.platform.processes;
  ProcessInformation& viewer = state_.registryViewer;
  if (!processes.CreateProcess(kRegistryViewer, true, &viewer)) {
    MessageBox(kViewerFailed, kViewerCaption, MB_OK);
    return;
  }
  // A program that cannot load fails only now; the operator hears of it
  // the same way.
  if (!processes.ResumeThread(viewer.threadId)) MessageBox(kViewerFailed, kViewerCaption, MB_OK);
}

}  // namespace talvon
