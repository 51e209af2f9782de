// Template 102: the home screen, a launcher with two blinking picture buttons.
#include "platform/templates/ids_102.h"
#include "platform/templates/template_items.h"

namespace talvon {

const DialogTemplate& HomeTemplate102() {
  using namespace templates;
  using namespace ids102;
  static const DialogTemplate t{
      .id = 102,
      .style = 0x90C800C0,    // visible pop-up with caption, system menu and modal frame
      .exStyle = 0x80040000,  // application window; OK button in the caption
      .fontName = "System",
      .fontSize = 8,
      .cx = 214,
      .cy = 188,
      .caption = "TalvonUtility",
      .items =
          {
              // Template order is stacking order: the buttons lie above the background.
              TapPicture(kLowerPicture, 189, 98, 115, 32, 30),  // lower picture button: configuration sheet
              TapPicture(kUpperPicture, 191, 94, 35, 32, 30),   // upper picture button: information sheet
              Picture(IDC_STATIC, 195, 52, 0, 136, 24),         // top banner
              Picture(IDC_STATIC, 188, 37, 16, 171, 158),       // background disc
              Picture(IDC_STATIC, 194, 45, 164, 143, 24),       // bottom banner

              // Frame stores: hold the second picture of each button for the blink.
              Hidden(Picture(kFrameStore1, 189, 1, 157, 15, 13)),
              Hidden(Picture(kFrameStore2, 190, 1, 157, 32, 30)),
              Hidden(Picture(kFrameStore3, 191, 1, 157, 32, 30)),
              Hidden(Picture(kFrameStore4, 192, 1, 157, 32, 30)),
          },
  };
  return t;
}

}  // namespace talvon
