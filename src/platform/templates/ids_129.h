#pragma once

// Control identifiers of template 129, the configuration sheet.
namespace talvon::ids129 {

inline constexpr int kTabControl = 1001;
inline constexpr int kConfirmRegistryButton = 1088;
inline constexpr int kSaveIcon = 1090;  // does what Confirm Registry does
inline constexpr int kHomeButton = 1087;
inline constexpr int kHomeIcon = 1082;  // does what Home does

}  // namespace talvon::ids129
