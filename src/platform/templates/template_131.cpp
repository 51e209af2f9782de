// Template 131: the Auto-execution page, CAutoRunPage: ten program fields.
#include <string>

#include "platform/templates/ids_131.h"
#include "platform/templates/template_items.h"

namespace talvon {

const DialogTemplate& AutoRunPageTemplate131() {
  using namespace templates;
  using namespace ids131;
  static const DialogTemplate t = [] {
    DialogTemplate d{
        .id = 131,
        .style = kPageStyle,
        .exStyle = 0,
        .fontName = "System",
        .fontSize = 10,
        .cx = 394,
        .cy = 228,
        .caption = "",
        .items = {},
    };
    d.items.push_back(PushButton(ConfirmSettingButton, "Confirm Setting", 314, 196, 63, 14));
    for (int n = 1; n <= 10; ++n) {
      const int row = 18 * (n - 1);
      d.items.push_back(Text(IDC_STATIC, "Program " + std::to_string(n) + ":", 117, 19 + row, n == 10 ? 42 : 38, 8));
      d.items.push_back(WithStyle(Edit(ProgramEdit(n), 164, 16 + row, 213, 14), 0x50810080));
    }
    d.items.push_back(WithStyle(PushButton(BrowseButton, "Browse", 259, 196, 50, 14), 0x58010000));  // created disabled
    d.items.push_back(Picture(IDC_STATIC, 164, 11, 33, 73, 64));
    d.items.push_back(Text(IDC_STATIC,
                           "At most 10 programs can be specified to execute automatically when system starup. "
                           "And there is none dependency between each program.\n\n"
                           "Select the location which you want  and push down the browse.",
                           10, 109, 84, 82));
    d.items.push_back(GroupBox("", 99, 8, 285, 208));
    return d;
  }();
  return t;
}

}  // namespace talvon
