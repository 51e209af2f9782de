// Template 134: the General Setting page, CGeneralSettingPage.
#include "platform/templates/ids_134.h"
#include "platform/templates/template_items.h"

namespace talvon {

const DialogTemplate& GeneralSettingPageTemplate134() {
  using namespace templates;
  using namespace ids134;
  static const DialogTemplate t{
      .id = 134,
      .style = kPageStyle,
      .exStyle = 0,
      .fontName = "System",
      .fontSize = 10,
      .cx = 464,
      .cy = 228,
      .caption = "",
      .items =
          {
              TapPicture(kUsbIcon, 313, 102, 40, 20, 20),     // USB icon: a tap acts as USB
              TapPicture(kSerialIcon, 312, 103, 18, 14, 12),  // RS232 icon: a tap acts as RS232
              PushButton(kSerialButton, "      RS232", 98, 15, 53, 20),
              PushButton(kUsbButton, "      USB", 98, 37, 53, 20),
              Text(IDC_STATIC, "To dump or Restore only for Registry.", 296, 128, 90, 16),
              Picture(IDC_STATIC, 233, 166, 12, 51, 45),  // memory picture
              Picture(kPreview, 142, 7, 3, 82, 65),       // resolution preview
              Hidden(Text(IDC_STATIC, "Resolution :", 410, 20, 40, 8)),
              Hidden(Text(IDC_STATIC, "Bpp :", 433, 20, 18, 8)),
              Hidden(Text(kResolutionReadBack, "", 426, 20, 24, 12)),  // read-back of width and height
              Combo(kBppCombo, {"2", "4", "8", "16"}, 101, 69, 50, 55),
              Hidden(Text(IDC_STATIC, "Frequency :", 410, 20, 40, 8)),
              Combo(kFreqCombo, {"50 Hz", "60 Hz", "70 Hz", "75 Hz"}, 101, 95, 50, 55),
              Hidden(Picture(kPreview800, 140, 7, 3, 82, 65)),   // 800 x 600 preview
              Hidden(Text(kBppReadBack, "", 431, 20, 19, 12)),   // read-back of colour depth
              Hidden(Text(kFreqReadBack, "", 421, 20, 29, 12)),  // read-back of refresh rate
              Hidden(Combo(kResolutionList, {"320 x 240", "640 x 480", "800 x 600", "1024 x 768"}, 422, 20, 28, 55)),
              Trackbar(kResolutionSlider, "Slider1", 10, 83, 78, 19, TBS_AUTOTICKS | TBS_ENABLESELRANGE),
              Hidden(Picture(kPreview320, 142, 7, 3, 82, 65)),   // 320 x 240 preview
              Hidden(Picture(kPreview640, 143, 7, 3, 82, 65)),   // 640 x 480 preview
              Hidden(Picture(kPreview1024, 141, 7, 3, 82, 65)),  // 1024 x 768 preview
              Text(kResolutionCaption, "Pixels", 27, 101, 57, 9),
              GroupBox("Resolution", 7, 75, 83, 37),
              GroupBox("Bpp", 91, 60, 67, 26),
              GroupBox("Freqency", 91, 86, 67, 26),
              MultiLineButton(kFactoryButton, "Recover to Factory Settings", 265, 194, 72, 28),  // drawn in red
              Text(IDC_STATIC,
                   "Move slider to the left for more memory to run programs.Move slider to the right for more "
                   "storage room.Only unused RAM can be adjusted.",
                   220, 21, 164, 33),
              Text(IDC_STATIC, "Storage Memory", 165, 63, 27, 16),
              Text(IDC_STATIC, "Program Memory", 354, 63, 29, 16),
              Text(IDC_STATIC, "Allocated", 165, 88, 31, 8),
              Text(IDC_STATIC, "In Use", 174, 98, 22, 8),
              Text(IDC_STATIC, "Allocated", 307, 88, 31, 8),
              Text(IDC_STATIC, "In Use", 317, 98, 22, 8),
              Trackbar(kMemorySlider, "Slider1", 192, 64, 161, 22, TBS_AUTOTICKS | TBS_TOP | TBS_ENABLESELRANGE),
              Text(kStorageAllocated, "1,000KB", 202, 88, 35, 8),
              Text(kStorageInUse, "640KB", 209, 98, 21, 8),
              Text(kProgramAllocated, "1,000KB", 350, 88, 35, 8),
              Text(kProgramInUse, "640KB", 357, 98, 21, 8),
              WithStyle(GroupBox("Memory regulation", 160, 6, 230, 106), kVisibleChild | BS_GROUPBOX | BS_CENTER),
              MultiLineButton(kConfirmSettings, "Confirm Settings", 340, 194, 46, 28),
              PushButton(kDumpRegistry, "Dump Registry", 303, 147, 76, 17),
              PushButton(kRestoreRegistry, "Restore Registry", 303, 165, 76, 17),
              Edit(kBackupPath, 19, 150, 204, 12),  // backup file path
              PushButton(kBackupAll, "Backup All", 230, 149, 50, 14),
              PushButton(kRestoreAll, "Restore All ", 230, 166, 50, 14),
              PushButton(kRegisterActiveX, "Register ActiveX", 72, 198, 52, 19),
              Text(IDC_STATIC,
                   "Backup Registry ,OS and the other settings  to a file.  The default path is as follow :", 20, 128,
                   257, 16),
              Text(IDC_STATIC, "Click the  button to restore all of settings from the selected file.", 19, 168, 207, 8),
              GroupBox("Backup/Restore All", 7, 117, 281, 68),
              GroupBox("Dump/Restore Registry", 291, 117, 99, 68),
              Text(IDC_STATIC, "To Register the Lumex's ActiveX object.", 14, 199, 56, 17),
              GroupBox("ActiveX ", 7, 188, 121, 35),
              Text(IDC_STATIC, "Regional   and Language Settings", 135, 199, 74, 18),
              MultiLineButton(kLanguageChange, "Change ", 210, 198, 44, 19),
              GroupBox("Language", 132, 188, 127, 35),
              GroupBox("Set Touch Panel", 91, 6, 67, 54),
          },
  };
  return t;
}

}  // namespace talvon
