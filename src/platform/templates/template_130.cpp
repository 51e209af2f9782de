// Template 130: the information sheet, CNoRebootSheetDlg. Its Home controls
// are on its one page.
#include "platform/templates/ids_130.h"
#include "platform/templates/template_items.h"

namespace talvon {

const DialogTemplate& NoRebootSheetTemplate130() {
  using namespace templates;
  using namespace ids130;
  static const DialogTemplate t{
      .id = 130,
      .style = kSheetStyle,  // 0x80C000C0, created hidden
      .exStyle = 0,
      .fontName = "System",
      .fontSize = 10,
      .cx = 353,
      .cy = 257,
      .caption = "Dialog",  // replaced at initialisation
      .items =
          {
              WithStyle(Tab(kTabControl, "Tab1", 0, 0, 352, 256), 0x50000000),
          },
  };
  return t;
}

}  // namespace talvon
