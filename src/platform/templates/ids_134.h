#pragma once

// Control identifiers of template 134, the General Setting page; shared by
// the template, the page and its tests.
namespace talvon::ids134 {

// Touch panel.
inline constexpr int kUsbIcon = 1119;
inline constexpr int kSerialIcon = 1118;
inline constexpr int kSerialButton = 1116;
inline constexpr int kUsbButton = 1117;

// Display mode.
inline constexpr int kResolutionReadBack = 1038;  // "%d x %d"
inline constexpr int kBppReadBack = 1039;         // "%d"
inline constexpr int kFreqReadBack = 1040;        // "%d Hz"
inline constexpr int kResolutionList = 1041;      // hidden, read by nothing
inline constexpr int kBppCombo = 1042;
inline constexpr int kFreqCombo = 1043;
inline constexpr int kPreview = 1054;
inline constexpr int kPreview800 = 1055;
inline constexpr int kResolutionSlider = 1056;
inline constexpr int kPreview320 = 1057;
inline constexpr int kPreview640 = 1058;
inline constexpr int kPreview1024 = 1059;
inline constexpr int kResolutionCaption = 1060;

// Memory division.
inline constexpr int kMemorySlider = 1068;
inline constexpr int kStorageAllocated = 1069;
inline constexpr int kStorageInUse = 1070;
inline constexpr int kProgramAllocated = 1072;
inline constexpr int kProgramInUse = 1073;

// Buttons and the backup path.
inline constexpr int kFactoryButton = 1071;
inline constexpr int kConfirmSettings = 1089;
inline constexpr int kDumpRegistry = 1091;
inline constexpr int kRestoreRegistry = 1092;
inline constexpr int kBackupPath = 1093;
inline constexpr int kBackupAll = 1094;
inline constexpr int kRestoreAll = 1095;
inline constexpr int kRegisterActiveX = 1096;
inline constexpr int kLanguageChange = 1097;

}  // namespace talvon::ids134
