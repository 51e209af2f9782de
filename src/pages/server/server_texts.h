#pragma once

// What the Server Setting page says, in one place.
namespace talvon::server_texts {

inline constexpr char kFtpDirectoryLabel[] = "Change FTP default directory %s to :";
inline constexpr char kHttpDirectoryLabel[] = "Change HTTP default directory %s to :";
// Shown in clear in both password fields while neither server asks for a password.
inline constexpr char kPasswordDisabled[] = "Disable";

inline constexpr char kSaveCaption[] = "Save Registry";
inline constexpr char kFtpOpenFailed[] = "FTP RegOpenKeyEx Failed";
inline constexpr char kFtpSetFailed[] = "FTP RegSetValueEx Failed";
inline constexpr char kHttpOpenFailed[] = "HTTP RegOpenKeyEx Failed";
inline constexpr char kHttpSetFailed[] = "HTTP RegSetValueEx Failed";
inline constexpr char kFtpDirectoryTooLong[] =
    "FTP directory is longer than 99 characters,Please choose a directory with a shorter path.";
inline constexpr char kHttpDirectoryTooLong[] =
    "HTTP directory is longer than 99 characters,Please choose a directory with a shorter path.";

inline constexpr char kDirectoryMissingCaption[] = "Directory Not exist";
inline constexpr char kDirectoryMissing[] = "Directory not exist, please create it first. ErrCode : %ld";

inline constexpr char kErrorCaption[] = "ERROR";
inline constexpr char kPasswordMismatch[] = "Password do not match,Please retype identical passwords in both boxes";
inline constexpr char kPasswordTooLong[] = "Password is longer than 9 characters,Please type at most 9 characters.";
inline constexpr char kPasswordSetFailed[] = "Password RegSetValueEx Failed";

}  // namespace talvon::server_texts
