// Template 145: the Server Setting page, CServerPage. The resource gives the
// items and their roles; the layout places them in a 394 x 225 page with the
// picture top left, the password group beside it and the directories below.
#include "platform/templates/template_items.h"

namespace talvon {

const DialogTemplate& ServerPageTemplate145() {
  using namespace templates;
  static const DialogTemplate t{
      .id = 145,
      .style = kPageStyle | WS_CLIPSIBLINGS,  // 0x44000040
      .exStyle = 0,
      .fontName = "System",
      .fontSize = 10,
      .cx = 394,
      .cy = 225,
      .caption = "",
      .items =
          {
              Picture(IDC_STATIC, 231, 6, 10, 73, 64),
              GroupBox("Password for Telnet/FTP Service", 85, 6, 302, 72),
              CheckBox(1063, "FTP Server", 95, 22, 70, 12),
              CheckBox(1064, "Telnet Server", 95, 44, 70, 12),
              Text(IDC_STATIC, "            Password :", 172, 23, 80, 8),
              Disabled(WithStyle(Edit(1065, 256, 20, 120, 14),
                                 kVisibleChild | WS_BORDER | WS_TABSTOP | ES_AUTOHSCROLL | ES_PASSWORD | ES_RIGHT)),
              Text(IDC_STATIC, "Confirm Password :", 172, 47, 80, 8),
              Disabled(WithStyle(Edit(1066, 256, 44, 120, 14),
                                 kVisibleChild | WS_BORDER | WS_TABSTOP | ES_AUTOHSCROLL | ES_PASSWORD | ES_RIGHT)),
              Text(1050, "Change FTP default directory to :", 92, 92, 284, 8),
              Edit(1051, 92, 103, 284, 14),
              Text(1049, "Change HTTP default directory to :", 92, 127, 284, 8),
              Edit(1052, 92, 138, 284, 14),
              MultiLineButton(1061, "Confirm Settings", 314, 168, 63, 28),
              Hidden(PushButton(1053, "Confirm Setting", 240, 168, 63, 14)),
              Hidden(PushButton(1074, "Confirm Setting", 240, 184, 63, 14)),
              Hidden(PushButton(1067, "Get Password", 166, 168, 63, 14)),
              Hidden(PushButton(1062, "     Home", 316, 200, 61, 20)),
              Hidden(TapPicture(1086, 196, 319, 202, 18, 16)),
          },
  };
  return t;
}

}  // namespace talvon
