// Template 132: the System Configuration page, CSystemInfoPage.
#include <string>

#include "platform/templates/ids_132.h"
#include "platform/templates/template_items.h"

namespace talvon {

const DialogTemplate& SystemInfoPageTemplate132() {
  using namespace templates;
  using namespace ids132;
  static const DialogTemplate t = [] {
    DialogTemplate d{
        .id = 132,
        .style = kPageStyle,
        .exStyle = 0,
        .fontName = "System",
        .fontSize = 10,
        .cx = 350,
        .cy = 254,
        .caption = "",
        .items = {},
    };
    auto& items = d.items;
    items.push_back(TapPicture(kHomeIcon, 196, 286, 219, 18, 16));  // home icon
    items.push_back(PushButton(kHomeButton, "        Home", 282, 216, 62, 24));
    for (int n = 1; n <= 7; ++n) {
      items.push_back(Text(IDC_STATIC, "Slot " + std::to_string(n) + " :", 15, 20 + 17 * (n - 1), 25, 8));
    }
    for (int n = 1; n <= 7; ++n) {
      items.push_back(Text(kFirstSlotField - 1 + n, "", 47, 19 + 17 * (n - 1), 50, 12));
    }
    items.push_back(Text(IDC_STATIC, "Serial Number :", 130, 20, 53, 8));
    items.push_back(Text(IDC_STATIC, "Mac Address :", 130, 37, 48, 8));
    items.push_back(Text(IDC_STATIC, "Flash Memory Size :", 130, 55, 68, 8));
    items.push_back(Text(IDC_STATIC, "OS Version :", 130, 72, 43, 8));
    items.push_back(Hidden(Text(IDC_STATIC, "OS Image Size :", 130, 89, 55, 8)));
    items.push_back(Text(IDC_STATIC, "Talvon SDK Version :", 130, 89, 72, 8));
    items.push_back(Text(kSerialNumberField, "", 207, 19, 124, 12));          // serial number
    items.push_back(Text(kMacAddressField, "", 207, 36, 124, 12));          // MAC address
    items.push_back(Text(kFlashSizeField, "", 207, 54, 124, 12));          // flash memory size
    items.push_back(Text(kOsVersionField, "", 207, 71, 124, 12));          // OS version
    items.push_back(Hidden(Text(kSdkFlashSizeField, "", 207, 88, 124, 12)));  // flash size from the SDK
    items.push_back(Text(kSdkVersionField, "", 207, 88, 124, 12));          // SDK version
    items.push_back(GroupBox("Modules", 7, 5, 106, 137));
    items.push_back(GroupBox("Other Data", 122, 5, 217, 137));
    items.push_back(Text(IDC_STATIC, "Any setting changed could be pre-viewed.", 17, 159, 140, 11));
    items.push_back(Hidden(Text(IDC_STATIC,
                                "Configure Storage / Program Memory \n                         and\n"
                                "     Password for Telnet / FTP server",
                                51, 210, 126, 24)));
    items.push_back(PushButton(kViewRegistry, "View Registry", 271, 153, 57, 20));
    items.push_back(Hidden(PushButton(kConfigurationTool, "Configuration Tool", 182, 225, 76, 20)));
    items.push_back(GroupBox("", 7, 142, 333, 37));
    items.push_back(Hidden(GroupBox("", 45, 198, 217, 50)));
    return d;
  }();
  return t;
}

}  // namespace talvon
