// Template 145: the Server Setting page, CServerPage. The resource gives the
// items and their roles; the layout places them in a 394 x 225 page with the
// picture top left, the password group beside it and the directories below.
#include "platform/templates/ids_145.h"
#include "platform/templates/template_items.h"

namespace talvon {

const DialogTemplate& ServerPageTemplate145() {
  using namespace templates;
  using namespace ids145;
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
              CheckBox(FtpServerCheck, "FTP Server", 95, 22, 70, 12),
              CheckBox(TelnetServerCheck, "Telnet Server", 95, 44, 70, 12),
              Text(IDC_STATIC, "            Password :", 172, 23, 80, 8),
              Disabled(WithStyle(Edit(PasswordEdit, 256, 20, 120, 14),
                                 kVisibleChild | WS_BORDER | WS_TABSTOP | ES_AUTOHSCROLL | ES_PASSWORD | ES_RIGHT)),
              Text(IDC_STATIC, "Confirm Password :", 172, 47, 80, 8),
              Disabled(WithStyle(Edit(ConfirmPasswordEdit, 256, 44, 120, 14),
                                 kVisibleChild | WS_BORDER | WS_TABSTOP | ES_AUTOHSCROLL | ES_PASSWORD | ES_RIGHT)),
              Text(FtpDirectoryLabel, "Change FTP default directory to :", 92, 92, 284, 8),
              Edit(FtpDirectoryEdit, 92, 103, 284, 14),
              Text(HttpDirectoryLabel, "Change HTTP default directory to :", 92, 127, 284, 8),
              Edit(HttpDirectoryEdit, 92, 138, 284, 14),
              MultiLineButton(ConfirmSettingsButton, "Confirm Settings", 314, 168, 63, 28),
              Hidden(PushButton(SaveFtpDirectoryButton, "Confirm Setting", 240, 168, 63, 14)),
              Hidden(PushButton(SavePasswordButton, "Confirm Setting", 240, 184, 63, 14)),
              Hidden(PushButton(GetPasswordButton, "Get Password", 166, 168, 63, 14)),
              Hidden(PushButton(HomeButton, "     Home", 316, 200, 61, 20)),
              Hidden(TapPicture(HomePicture, 196, 319, 202, 18, 16)),
          },
  };
  return t;
}

}  // namespace talvon
