#include "platform/registry_setting.h"

#include <algorithm>

#include "platform/little_endian.h"
#include "platform/text.h"

namespace talvon {

SettingsKey::SettingsKey(Registry& registry, std::string_view subKey) : registry_(registry) {
  HKEY opened = 0;
  if (registry_.OpenKey(HKEY_LOCAL_MACHINE, subKey, KEY_ALL_ACCESS, &opened) == ERROR_SUCCESS) handle_ = opened;
}

SettingsKey::~SettingsKey() {
  if (handle_ != 0) registry_.CloseKey(handle_);
}

SettingResult SettingsKey::ReadBytes(const RegistrySetting& setting, std::vector<std::uint8_t>* data,
                                     std::uint32_t* type) {
  data->clear();
  if (handle_ == 0) return SettingResult::NoKey;
  std::vector<std::uint8_t> buffer(setting.size);
  std::uint32_t storedType = REG_NONE;
  std::uint32_t size = setting.size;
  // A zero-sized buffer still asks for the data: null would ask for the size only.
  std::uint8_t none = 0;
  const long result = registry_.QueryValue(handle_, setting.value, &storedType, buffer.empty() ? &none : buffer.data(),
                                           &size);
  if (result == ERROR_FILE_NOT_FOUND) return SettingResult::NoValue;
  if (result == ERROR_MORE_DATA) return SettingResult::WrongSize;
  if (result != ERROR_SUCCESS) return SettingResult::Failed;
  // Only the bytes the query returned: never what an earlier read left behind.
  buffer.resize(std::min(size, setting.size));
  *data = std::move(buffer);
  if (type != nullptr) *type = storedType;
  return SettingResult::Done;
}

SettingResult SettingsKey::ReadDword(const RegistrySetting& setting, std::uint32_t* value) {
  std::vector<std::uint8_t> data;
  std::uint32_t type = REG_NONE;
  const SettingResult result = ReadBytes(setting, &data, &type);
  if (result != SettingResult::Done) return result;
  if (type != REG_DWORD) return SettingResult::WrongType;
  if (data.size() != sizeof(std::uint32_t)) return SettingResult::WrongSize;
  *value = LoadLe32(data.data());
  return SettingResult::Done;
}

SettingResult SettingsKey::ReadText(const RegistrySetting& setting, std::string* text) {
  std::vector<std::uint8_t> data;
  std::uint32_t type = REG_NONE;
  const SettingResult result = ReadBytes(setting, &data, &type);
  if (result != SettingResult::Done) return result;
  if (type != REG_SZ) return SettingResult::WrongType;
  *text = FromRegSz(data.data(), data.size());
  return SettingResult::Done;
}

SettingResult SettingsKey::WriteBytes(const RegistrySetting& setting, std::span<const std::uint8_t> data) {
  if (handle_ == 0) return SettingResult::NoKey;
  if (data.size() > setting.size) return SettingResult::TooLong;
  const long result = registry_.SetValue(handle_, setting.value, setting.type, data.data(),
                                         static_cast<std::uint32_t>(data.size()));
  return result == ERROR_SUCCESS ? SettingResult::Done : SettingResult::Failed;
}

SettingResult SettingsKey::WriteDword(const RegistrySetting& setting, std::uint32_t value) {
  return WriteBytes(setting, Le32Bytes(value));
}

SettingResult SettingsKey::WriteText(const RegistrySetting& setting, std::string_view text) {
  std::vector<std::uint8_t> data = ToRegSz(text);
  if (data.size() > setting.size) return SettingResult::TooLong;
  if (setting.padTextToSize) data.resize(setting.size, 0);
  return WriteBytes(setting, data);
}

SettingResult SettingsKey::DeleteValue(std::string_view value) {
  if (handle_ == 0) return SettingResult::NoKey;
  const long result = registry_.DeleteValue(handle_, value);
  if (result == ERROR_FILE_NOT_FOUND) return SettingResult::NoValue;
  return result == ERROR_SUCCESS ? SettingResult::Done : SettingResult::Failed;
}

SettingResult ReadDwordSetting(Registry& registry, const RegistrySetting& setting, std::uint32_t* value) {
  SettingsKey key(registry, setting.key);
  return key.ReadDword(setting, value);
}

SettingResult ReadTextSetting(Registry& registry, const RegistrySetting& setting, std::string* text) {
  SettingsKey key(registry, setting.key);
  return key.ReadText(setting, text);
}

SettingResult ReadBytesSetting(Registry& registry, const RegistrySetting& setting, std::vector<std::uint8_t>* data) {
  SettingsKey key(registry, setting.key);
  std::uint32_t type = REG_NONE;
  const SettingResult result = key.ReadBytes(setting, data, &type);
  if (result == SettingResult::Done && type != setting.type) {
    data->clear();
    return SettingResult::WrongType;
  }
  return result;
}

SettingResult WriteDwordSetting(Registry& registry, const RegistrySetting& setting, std::uint32_t value) {
  SettingsKey key(registry, setting.key);
  return key.WriteDword(setting, value);
}

SettingResult WriteTextSetting(Registry& registry, const RegistrySetting& setting, std::string_view text) {
  SettingsKey key(registry, setting.key);
  return key.WriteText(setting, text);
}

SettingResult WriteBytesSetting(Registry& registry, const RegistrySetting& setting,
                                std::span<const std::uint8_t> data) {
  SettingsKey key(registry, setting.key);
  return key.WriteBytes(setting, data);
}

}  // namespace talvon
