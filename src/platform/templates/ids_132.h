#pragma once

// Control identifiers of template 132, the System Configuration page, shared
// by the template, the page and its tests.
namespace talvon::ids132 {

inline constexpr int kHomeButton = 1004;
inline constexpr int kHomeIcon = 1082;
inline constexpr int kViewRegistry = 1013;
inline constexpr int kConfigurationTool = 1014;  // hidden, pressed by nothing
// Slot n (1 to 7) is shown in kFirstSlotField + n - 1.
inline constexpr int kFirstSlotField = 1006;
inline constexpr int kSerialNumberField = 1018;
inline constexpr int kMacAddressField = 1019;
inline constexpr int kFlashSizeField = 1021;
inline constexpr int kOsVersionField = 1022;
inline constexpr int kSdkFlashSizeField = 1023;  // hidden
inline constexpr int kSdkVersionField = 1024;

}  // namespace talvon::ids132
