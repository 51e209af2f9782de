// Template 237: the New Card Wizard page, CNewCardPage. The resource gives the
// items and their roles; the layout places the slot list on the left, the
// resource tree on the right and the registry buttons and information line
// below them, in a 395 x 225 page.
#include <string>

#include "platform/templates/ids_237.h"
#include "platform/templates/template_items.h"

namespace talvon {

const DialogTemplate& NewCardPageTemplate237() {
  using namespace templates;
  using namespace ids237;
  static const DialogTemplate t = [] {
    DialogTemplate d{
        .id = 237,
        .style = kPageStyle,
        .exStyle = 0,
        .fontName = "System",
        .fontSize = 10,
        .cx = 395,
        .cy = 225,
        .caption = "",
        .items = {},
    };
    auto& items = d.items;
    items.push_back(GroupBox("Module Name", 7, 5, 122, 150));
    for (int n = 1; n <= 7; ++n) {
      items.push_back(Text(IDC_STATIC, "Slot" + std::to_string(n) + " :", 14, 21 + 18 * (n - 1), 28, 8));
    }
    for (int n = 1; n <= 7; ++n) {
      items.push_back(CentredText(kFirstSlotLabel - 1 + n, "Slot" + std::to_string(n), 44, 20 + 18 * (n - 1), 78, 10));
    }
    items.push_back(GroupBox("Resource", 134, 5, 254, 150));
    items.push_back(Tree(kResourceTree, "Tree1", 141, 16, 240, 133));
    items.push_back(GroupBox("Registry", 7, 158, 122, 62));
    items.push_back(MultiLineButton(kChangeToNewModule, "Change To  \nNew Module", 14, 171, 64, 40));
    items.push_back(Hidden(PushButton(kRemovePorts, "Del", 84, 171, 38, 18)));
    items.push_back(Hidden(PushButton(kSlotScan, "Slot Scan", 84, 193, 38, 18)));
    items.push_back(GroupBox("Information", 134, 158, 254, 62));
    items.push_back(Text(kInformationLine, "Static", 142, 178, 238, 24));  // drawn in red
    return d;
  }();
  return t;
}

}  // namespace talvon
