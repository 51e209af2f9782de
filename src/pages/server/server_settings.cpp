#include "pages/server/server_settings.h"

#include <algorithm>
#include <span>
#include <vector>

#include "pages/server/server_texts.h"
#include "pages/server/service_password.h"
#include "platform/errors.h"
#include "platform/text.h"

namespace talvon {

using namespace server_registry;

namespace {

// The directory look-ups wait a little on both sides of the read, as the
// servers may be rewriting their keys while they start.
constexpr std::uint32_t kDirectoryReadPauseMs = 10;

struct AuthenticationValue {
  const RegistrySetting& row;
  std::uint32_t whenRequired;
  std::uint32_t whenCleared;
};

// In the order they are written.
const AuthenticationValue kFtpAuthentication[] = {
    {FtpUseAuthentication, 1, 0},
    {FtpAllowAnonymous, 0, 1},
    {FtpAllowAnonymousVroots, 0, 0},
    {FtpAllowAnonymousUpload, 0, 1},
};
const AuthenticationValue kTelnetAuthentication[] = {{TelnetUseAuthentication, 1, 0}};

const RegistrySetting& DirectoryRow(ServerDirectory which) {
  return which == ServerDirectory::Ftp ? FtpDefaultDir : HttpRootDir;
}

std::uint32_t DwordOrZero(Registry& registry, const RegistrySetting& row) {
  std::uint32_t value = 0;
  return ReadDwordSetting(registry, row, &value) == SettingResult::Done ? value : 0;
}

}  // namespace

ServerAuthentication ReadServerAuthentication(Registry& registry) {
  ServerAuthentication auth;
  auth.ftp = DwordOrZero(registry, FtpUseAuthentication) == 1;
  auth.telnet = DwordOrZero(registry, TelnetUseAuthentication) == 1;
  if (auth.ftp || auth.telnet) auth.passwordLength = DwordOrZero(registry, PasswordPa2);
  return auth;
}

namespace {

// A login that asks for a password needs somewhere to keep one: without
// "Velmar" the server would be left locked, or open to whatever it makes
// of a missing password.
bool PasswordKeyOpens(Registry& registry) { return SettingsKey(registry, PasswordPa1.key).IsOpen(); }

AuthenticationWrite WriteAuthentication(Registry& registry, std::span<const AuthenticationValue> values,
                                        bool required) {
  if (required && !PasswordKeyOpens(registry)) return AuthenticationWrite::NoPasswordKey;
  // Every value is tried, in its order; the first failure is the one told.
  AuthenticationWrite outcome = AuthenticationWrite::Written;
  for (const AuthenticationValue& value : values) {
    const SettingResult result =
        WriteDwordSetting(registry, value.row, required ? value.whenRequired : value.whenCleared);
    if (result == SettingResult::Done || outcome != AuthenticationWrite::Written) continue;
    outcome = result == SettingResult::NoKey ? AuthenticationWrite::OpenFailed : AuthenticationWrite::SetFailed;
  }
  return outcome;
}

}  // namespace

AuthenticationWrite WriteFtpAuthentication(Registry& registry, bool required) {
  return WriteAuthentication(registry, kFtpAuthentication, required);
}

AuthenticationWrite WriteTelnetAuthentication(Registry& registry, bool required) {
  return WriteAuthentication(registry, kTelnetAuthentication, required);
}

std::string ReadServerDirectory(const ServerSettingsRoles& roles, ServerDirectory which) {
  const RegistrySetting& row = DirectoryRow(which);
  SettingsKey key(roles.registry, row.key);
  roles.clock.Sleep(kDirectoryReadPauseMs);
  if (!key.IsOpen()) return {};
  std::string text;
  const SettingResult result = key.ReadText(row, &text);
  roles.clock.Sleep(kDirectoryReadPauseMs);
  return result == SettingResult::Done ? text : std::string();
}

DirectorySave SaveServerDirectory(const ServerSettingsRoles& roles, ServerDirectory which, std::string_view text) {
  using Outcome = DirectorySave::Outcome;
  const std::u16string wide = Utf8ToUtf16(text);
  if (wide.size() > MaxServerDirectoryLength) return {Outcome::TooLong, 0};
  const bool nameable = std::none_of(wide.begin(), wide.end(), [](char16_t unit) {
    return unit == 0 || unit > 0xFF || unit == u'*' || unit == u'?';
  });
  if (!nameable) return {Outcome::NotFound, ERROR_INVALID_NAME};
  FindData found;
  if (!roles.files.FindFirstFile(NarrowPath(wide), &found)) return {Outcome::NotFound, roles.files.GetLastError()};

  const RegistrySetting& row = DirectoryRow(which);
  SettingsKey key(roles.registry, row.key);
  if (!key.IsOpen()) return {Outcome::OpenFailed, 0};
  if (key.WriteText(row, text) != SettingResult::Done) return {Outcome::SetFailed, 0};
  return {Outcome::Saved, 0};
}

namespace {

PasswordSave StorePassword(Registry& registry, const PasswordEntry& entry) {
  if (entry.placeholder) return PasswordSave::Unchanged;
  if (entry.password != entry.confirmation) return PasswordSave::Mismatch;
  const std::u16string password = Utf8ToUtf16(entry.password);
  if (password.size() > MaxServicePasswordLength) return PasswordSave::TooLong;

  SettingsKey key(registry, PasswordPa1.key);
  if (!key.IsOpen()) return PasswordSave::NoKey;
  // "Pa2" only follows a "Pa1" that was stored, so the two never disagree
  // because of this page.
  if (key.WriteBytes(PasswordPa1, ServicePasswordPa1(password)) != SettingResult::Done) {
    return PasswordSave::SetFailed;
  }
  if (key.WriteDword(PasswordPa2, static_cast<std::uint32_t>(password.size())) != SettingResult::Done) {
    return PasswordSave::SetFailed;
  }
  return PasswordSave::Stored;
}

}  // namespace

PasswordSaveResult SaveServicePassword(Registry& registry, const PasswordEntry& entry) {
  PasswordSaveResult result;
  result.outcome = StorePassword(registry, entry);
  result.flushed = registry.FlushKey(HKEY_LOCAL_MACHINE) == ERROR_SUCCESS;
  return result;
}

std::optional<std::u16string> ReadServicePassword(Registry& registry) {
  SettingsKey key(registry, PasswordPa1.key);
  std::uint32_t length = 0;
  if (key.ReadDword(PasswordPa2, &length) != SettingResult::Done) return std::nullopt;
  std::vector<std::uint8_t> pa1;
  std::uint32_t type = REG_NONE;
  if (key.ReadBytes(PasswordPa1, &pa1, &type) != SettingResult::Done || type != REG_BINARY) return std::nullopt;
  return ServicePasswordFromStored(pa1, length);
}

std::string DirectoryLabel(ServerDirectory which, std::string_view directory) {
  std::string label =
      which == ServerDirectory::Ftp ? server_texts::kFtpDirectoryLabel : server_texts::kHttpDirectoryLabel;
  label.replace(label.find("%s"), 2, directory);
  return label;
}

}  // namespace talvon
