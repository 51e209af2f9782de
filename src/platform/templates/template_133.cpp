// Template 133: the Update Version page, CUpdatePage.
#include "platform/templates/ids_133.h"
#include "platform/templates/template_items.h"

namespace talvon {

const DialogTemplate& UpdatePageTemplate133() {
  using namespace templates;
  using namespace ids133;
  static const DialogTemplate t{
      .id = 133,
      .style = kPageStyle,
      .exStyle = 0,
      .fontName = "System",
      .fontSize = 10,
      .cx = 394,
      .cy = 225,
      .caption = "",
      .items =
          {
              WithStyle(Text(IDC_STATIC, "Specify the new OS image file for version update.", 92, 27, 169, 10),
                        0x50020000),
              WithStyle(Edit(kPathField, 92, 54, 227, 14), 0x50810880),  // read-only path
              WithStyle(PushButton(kBrowseButton, "Browse", 322, 53, 50, 14), 0x50010000),
              WithStyle(PushButton(kWriteButton, "Write to Flash Now", 149, 81, 115, 26), 0x58010000),  // disabled
              WithStyle(Progress(kProgressBar, "Progress1", 92, 121, 244, 17), 0x50800001),
              WithStyle(Text(kStatusLine, "", 92, 163, 244, 17), 0x50020000),  // status line, drawn in red
              WithStyle(Picture(IDC_STATIC, 163, 6, 48, 73, 64), 0x5000000E),
              WithStyle(GroupBox("", 85, 11, 302, 179), 0x50000007),
          },
  };
  return t;
}

}  // namespace talvon
