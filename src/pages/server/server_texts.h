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
inline constexpr char kTelnetOpenFailed[] = "Telnet RegOpenKeyEx Failed";
inline constexpr char kTelnetSetFailed[] = "Telnet RegSetValueEx Failed";
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
inline constexpr char kPasswordOpenFailed[] =
    "Password RegOpenKeyEx Failed\nThe password has not been stored: the registry key Velmar is missing.";
// A check box ticked while no password can be stored; %s is the box's text.
inline constexpr char kNoPasswordKey[] =
    "Password RegOpenKeyEx Failed\nNo password can be stored (the registry key Velmar is missing), so %s does "
    "not ask for a login.";
// The password step's flush: stored in memory, but not in flash.
inline constexpr char kPasswordFlushFailed[] =
    "RegFlushKey failed\nThe password could not be stored in flash memory and is lost when the controller restarts. "
    "Please press Confirm Registry to store it again.";
inline constexpr char kFlushFailed[] = "RegFlushKey failed";

}  // namespace talvon::server_texts
