#pragma once

// Control identifiers of template 131, the Auto-execution page.
namespace talvon::ids131 {

inline constexpr int ConfirmSettingButton = 1081;
inline constexpr int BrowseButton = 1036;
inline constexpr int ProgramFieldCount = 10;
// Program field n (1 to 10) is the edit 1017 + 2 * (n - 1): 1017, 1019, ..., 1035.
inline constexpr int FirstProgramEdit = 1017;
constexpr int ProgramEdit(int n) { return FirstProgramEdit + 2 * (n - 1); }

}  // namespace talvon::ids131
