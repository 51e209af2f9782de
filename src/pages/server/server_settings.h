#pragma once
// What the Server Setting page reads and writes: whether the FTP and Telnet
// servers ask for a login, the service password both accept, and the FTP
// and HTTP directories. Each value is a row below; the steps take the roles
// they need and answer an outcome that the page turns into a message.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "platform/clock.h"
#include "platform/files.h"
#include "platform/registry.h"
#include "platform/registry_setting.h"

namespace talvon {

// The registry compares key names without regard to case: "comm\FTPD" and
// "Comm\FTPD" are one key.
namespace server_registry {
inline constexpr RegistrySetting FtpUseAuthentication{"comm\\FTPD", "UseAuthentication", REG_DWORD, 4};
inline constexpr RegistrySetting FtpAllowAnonymous{"comm\\FTPD", "AllowAnonymous", REG_DWORD, 4};
inline constexpr RegistrySetting FtpAllowAnonymousVroots{"comm\\FTPD", "AllowAnonymousVroots", REG_DWORD, 4};
inline constexpr RegistrySetting FtpAllowAnonymousUpload{"comm\\FTPD", "AllowAnonymousUpload", REG_DWORD, 4};
inline constexpr RegistrySetting TelnetUseAuthentication{"comm\\TELNETD", "UseAuthentication", REG_DWORD, 4};
// Directories: up to 99 units and the terminator, always written as 200 bytes.
inline constexpr RegistrySetting FtpDefaultDir{"Comm\\FTPD", "DefaultDir", REG_SZ, 200, true};
inline constexpr RegistrySetting HttpRootDir{"Comm\\HTTPD\\VROOTS\\/", "Default", REG_SZ, 200, true};
inline constexpr RegistrySetting PasswordPa1{"Velmar", "Pa1", REG_BINARY, 18};
inline constexpr RegistrySetting PasswordPa2{"Velmar", "Pa2", REG_DWORD, 4};
}  // namespace server_registry

struct ServerSettingsRoles {
  Registry& registry;
  Files& files;
  Clock& clock;
};

struct ServerAuthentication {
  bool ftp = false;     // "comm\FTPD" "UseAuthentication" is exactly 1
  bool telnet = false;  // "comm\TELNETD" "UseAuthentication" is exactly 1
  // "Pa2" when either server asks for a login (0 when unreadable), else 0.
  std::uint32_t passwordLength = 0;
};
// A value that cannot be read counts as 0.
ServerAuthentication ReadServerAuthentication(Registry& registry);

enum class AuthenticationWrite {
  Written,
  // Ticked while "Velmar" cannot be opened: no password could ever be stored
  // for the login, so nothing is written and the server stays as it was.
  NoPasswordKey,
  OpenFailed,  // the server's key cannot be opened: nothing written
  SetFailed,   // a value could not be set; those before it are written
};
// Ticked: the FTP server asks for a login and lets nobody in anonymously;
// cleared: anonymous logins and uploads are allowed again. Four values, each
// through its own open and close, never flushed.
AuthenticationWrite WriteFtpAuthentication(Registry& registry, bool required);
AuthenticationWrite WriteTelnetAuthentication(Registry& registry, bool required);

enum class ServerDirectory { Ftp, Http };

inline constexpr std::size_t MaxServerDirectoryLength = 99;

// The stored directory; empty when it cannot be read.
std::string ReadServerDirectory(const ServerSettingsRoles& roles, ServerDirectory which);

struct DirectorySave {
  enum class Outcome {
    Saved,
    TooLong,     // over MaxServerDirectoryLength units: nothing looked up or written
    NotFound,    // no such entry in the file system: `errorCode` says why
    OpenFailed,  // the key could not be opened
    SetFailed,   // the value could not be set
  };
  Outcome outcome = Outcome::Saved;
  long errorCode = 0;
};
// Stores `text` when the file system has an entry of that name (a file
// passes too). The look-up takes the narrow form of the path, one Latin-1
// byte per character, as the card's names are. Wildcards never name one
// entry, and a character beyond Latin-1 can be in no name on the card, so
// both are refused as ERROR_INVALID_NAME before the look-up.
DirectorySave SaveServerDirectory(const ServerSettingsRoles& roles, ServerDirectory which, std::string_view text);

// What the operator left in the two password fields.
struct PasswordEntry {
  std::string password;
  std::string confirmation;
  // Both fields still hold the "*" placeholder the page put there: the
  // stored password stays as it is.
  bool placeholder = false;
};

enum class PasswordSave {
  Stored,
  Unchanged,  // the placeholder was left: "Pa1" and "Pa2" untouched
  Mismatch,   // the two fields differ (case counts)
  TooLong,    // over MaxServicePasswordLength units
  NoKey,      // "Velmar" cannot be opened: not stored
  SetFailed,  // "Pa1" or "Pa2" could not be set
};
struct PasswordSaveResult {
  PasswordSave outcome = PasswordSave::Stored;
  bool flushed = true;  // false: the registry could not be stored in flash
};
// Stores the scrambled password in "Pa1" and its length in "Pa2", then
// flushes the registry, whatever became of the password.
PasswordSaveResult SaveServicePassword(Registry& registry, const PasswordEntry& entry);

// The stored password, unscrambled; none when "Pa1" and "Pa2" do not agree.
std::optional<std::u16string> ReadServicePassword(Registry& registry);

// "Change FTP default directory %s to :" and its HTTP twin, filled in.
std::string DirectoryLabel(ServerDirectory which, std::string_view directory);

}  // namespace talvon
