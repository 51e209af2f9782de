#pragma once
// The registry values the pages keep their settings in, each listed once as
// a row (key, value, type, size) and read or written through the helpers
// below, which check the stored type and size and close the key on every
// path. Keys are opened with full access and never created.
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "platform/registry.h"

namespace talvon {

// One value under HKEY_LOCAL_MACHINE.
struct RegistrySetting {
  std::string_view key;
  std::string_view value;
  std::uint32_t type = REG_NONE;
  // Bytes: the buffer the value is read into, and the most a write stores
  // (4 for a dword). A stored value larger than this cannot be read.
  std::uint32_t size = 0;
  // Text is written with exactly `size` bytes, zeros after its terminator;
  // otherwise with the text and its terminator only.
  bool padTextToSize = false;
};

enum class SettingResult {
  Done,
  NoKey,      // the key could not be opened
  NoValue,    // the value does not exist
  WrongType,  // the value is stored with another type than the row's
  WrongSize,  // the stored value is larger than the row's size, or a dword is not 4 bytes
  TooLong,    // what was to be written does not fit the row's size: nothing written
  Failed,     // the registry refused the query or the write
};

// A key of HKEY_LOCAL_MACHINE, opened with full access for the life of the
// object and closed when it goes.
class SettingsKey {
 public:
  SettingsKey(Registry& registry, std::string_view subKey);
  ~SettingsKey();
  SettingsKey(const SettingsKey&) = delete;
  SettingsKey& operator=(const SettingsKey&) = delete;

  bool IsOpen() const { return handle_ != 0; }

  // The value's bytes as stored (at most setting.size), whatever its type;
  // *type, when given, receives the stored type.
  SettingResult ReadBytes(const RegistrySetting& setting, std::vector<std::uint8_t>* data,
                          std::uint32_t* type = nullptr);
  SettingResult ReadDword(const RegistrySetting& setting, std::uint32_t* value);
  // REG_SZ only; the text ends at its terminator or at the end of the data.
  SettingResult ReadText(const RegistrySetting& setting, std::string* text);

  // Stored with the row's type.
  SettingResult WriteBytes(const RegistrySetting& setting, std::span<const std::uint8_t> data);
  SettingResult WriteDword(const RegistrySetting& setting, std::uint32_t value);
  // UTF-8 text stored as UTF-16 with its terminator.
  SettingResult WriteText(const RegistrySetting& setting, std::string_view text);

  // NoValue when there was nothing of that name to delete.
  SettingResult DeleteValue(std::string_view value);

 private:
  Registry& registry_;
  HKEY handle_ = 0;
};

// Each opens the row's key, reads or writes the one value, and closes the key.
// ReadBytesSetting takes only a value of the row's type.
SettingResult ReadDwordSetting(Registry& registry, const RegistrySetting& setting, std::uint32_t* value);
SettingResult ReadTextSetting(Registry& registry, const RegistrySetting& setting, std::string* text);
SettingResult ReadBytesSetting(Registry& registry, const RegistrySetting& setting, std::vector<std::uint8_t>* data);
SettingResult WriteDwordSetting(Registry& registry, const RegistrySetting& setting, std::uint32_t value);
SettingResult WriteTextSetting(Registry& registry, const RegistrySetting& setting, std::string_view text);
SettingResult WriteBytesSetting(Registry& registry, const RegistrySetting& setting,
                                std::span<const std::uint8_t> data);

}  // namespace talvon
