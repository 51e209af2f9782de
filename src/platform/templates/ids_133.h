#pragma once

// Control identifiers of template 133, the Update Version page, shared by
// the template, the page and its tests.
namespace talvon::ids133 {

inline constexpr int kPathField = 1044;  // read-only
inline constexpr int kBrowseButton = 1045;
inline constexpr int kProgressBar = 1046;
inline constexpr int kStatusLine = 1047;  // drawn in red
inline constexpr int kWriteButton = 1048;

}  // namespace talvon::ids133
