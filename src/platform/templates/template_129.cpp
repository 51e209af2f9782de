// Template 129: the configuration sheet, CRebootSheetDlg.
#include "platform/templates/ids_129.h"
#include "platform/templates/template_items.h"

namespace talvon {

const DialogTemplate& RebootSheetTemplate129() {
  using namespace templates;
  using namespace ids129;
  static const DialogTemplate t{
      .id = 129,
      .style = kSheetStyle,  // 0x80C000C0, created hidden
      .exStyle = 0,
      .fontName = "System",
      .fontSize = 10,
      .cx = 395,
      .cy = 283,
      .caption = "",  // set at initialisation
      .items =
          {
              WithStyle(TapPicture(kSaveIcon, 214, 238, 252, 18, 16), 0x5000010E),
              WithStyle(PushButton(kConfirmRegistryButton, "        Confirm Registry", 233, 248, 90, 24), 0x50010000),
              WithStyle(TapPicture(kHomeIcon, 196, 331, 251, 18, 16), 0x5000010E),
              WithStyle(PushButton(kHomeButton, "     Home", 328, 248, 61, 24), 0x50010000),
              WithStyle(Picture(IDC_STATIC, 213, 2, 243, 403, 31), 0x5000000E),  // logo band
              WithStyle(GroupBox("", 1, 238, 392, 41), 0x50000007),
              WithStyle(Tab(kTabControl, "Tab1", 0, 0, 394, 239), 0x50000000),
          },
  };
  return t;
}

}  // namespace talvon
