#pragma once

// Control identifiers of template 145, the Server Setting page.
namespace talvon::ids145 {

inline constexpr int FtpServerCheck = 1063;
inline constexpr int TelnetServerCheck = 1064;
inline constexpr int PasswordEdit = 1065;
inline constexpr int ConfirmPasswordEdit = 1066;
inline constexpr int FtpDirectoryLabel = 1050;
inline constexpr int FtpDirectoryEdit = 1051;
inline constexpr int HttpDirectoryLabel = 1049;
inline constexpr int HttpDirectoryEdit = 1052;
inline constexpr int ConfirmSettingsButton = 1061;
// Created hidden and never shown by the page.
inline constexpr int SaveFtpDirectoryButton = 1053;
inline constexpr int SavePasswordButton = 1074;
inline constexpr int GetPasswordButton = 1067;
inline constexpr int HomeButton = 1062;
inline constexpr int HomePicture = 1086;

}  // namespace talvon::ids145
