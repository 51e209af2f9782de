#include "sim/registry/sim_registry.h"

#include <algorithm>

#include "sim/registry/hive_format.h"

namespace talvon::sim {

SimRegistry::SimRegistry(HiveStorage& storage) : storage_(storage) {}

RegistryBootReport SimRegistry::Boot(std::optional<std::string_view> factoryRegText) {
  handles_.clear();
  store_ = RegistryStore();
  RegistryBootReport report;
  HiveDecodeResult hive = DecodeHive(storage_.Load());
  if (hive.status == HiveStatus::Valid) {
    store_ = std::move(hive.store);
    report.source = RegistryBootSource::SavedHive;
    return report;
  }
  report.source = RegistryBootSource::FactoryRegistry;
  report.detail = hive.error;
  if (!factoryRegText) {
    report.ok = false;
    report.detail += ", and factory.reg is missing";
    return report;
  }
  RegTextResult imported = ImportRegText(*factoryRegText, store_);
  if (!imported.ok) {
    report.ok = false;
    report.detail += "; the factory registry cannot be read: " + imported.error;
  }
  return report;
}

SavedRegistryCheck SimRegistry::CheckSavedRegistry(std::span<const std::uint8_t> area) {
  // A copy of another size is not what the area can hold.
  if (area.size() != HiveAreaSize) {
    return {SavedRegistryCheck::Verdict::Unusable,
            std::to_string(area.size()) + " bytes, not the " + std::to_string(HiveAreaSize) + " of the registry area"};
  }
  const HiveDecodeResult hive = DecodeHive(storage_.HiveOfArea(area));
  switch (hive.status) {
    case HiveStatus::Valid:
      return {SavedRegistryCheck::Verdict::Registry, {}};
    case HiveStatus::Blank:
      return {SavedRegistryCheck::Verdict::Blank, hive.error};
    case HiveStatus::Damaged:
      break;
  }
  return {SavedRegistryCheck::Verdict::Unusable, hive.error};
}

long SimRegistry::Resolve(HKEY handle, std::shared_ptr<RegistryKey>* key) {
  if (handle == HKEY_LOCAL_MACHINE) {
    *key = store_.RootShared();
    return ERROR_SUCCESS;
  }
  auto it = handles_.find(handle);
  if (it == handles_.end()) return ERROR_INVALID_HANDLE;
  *key = it->second.lock();
  return *key ? ERROR_SUCCESS : ERROR_KEY_DELETED;
}

HKEY SimRegistry::AddHandle(RegistryKey* key) {
  HKEY handle = nextHandle_;
  nextHandle_ += 4;
  handles_.emplace(handle, key->weak_from_this());
  return handle;
}

long SimRegistry::OpenKey(HKEY root, std::string_view subKey, std::uint32_t /*access*/, HKEY* result) {
  if (result == nullptr) return ERROR_INVALID_PARAMETER;
  *result = 0;
  std::shared_ptr<RegistryKey> parent;
  if (long error = Resolve(root, &parent); error != ERROR_SUCCESS) return error;
  RegistryKey* key = nullptr;
  if (long error = parent->OpenPath(subKey, &key); error != ERROR_SUCCESS) return error;
  *result = AddHandle(key);
  return ERROR_SUCCESS;
}

long SimRegistry::CreateKey(HKEY root, std::string_view subKey, HKEY* result, bool* created) {
  if (created != nullptr) *created = false;
  if (result == nullptr) return ERROR_INVALID_PARAMETER;
  *result = 0;
  std::shared_ptr<RegistryKey> parent;
  if (long error = Resolve(root, &parent); error != ERROR_SUCCESS) return error;
  RegistryKey* key = nullptr;
  if (long error = parent->CreatePath(subKey, &key, created); error != ERROR_SUCCESS) return error;
  *result = AddHandle(key);
  return ERROR_SUCCESS;
}

long SimRegistry::QueryValue(HKEY handle, std::string_view name, std::uint32_t* type, std::uint8_t* data,
                             std::uint32_t* size) {
  std::shared_ptr<RegistryKey> key;
  if (long error = Resolve(handle, &key); error != ERROR_SUCCESS) return error;
  if (CheckValueName(name) != ERROR_SUCCESS) return ERROR_INVALID_PARAMETER;
  if (data != nullptr && size == nullptr) return ERROR_INVALID_PARAMETER;
  const RegistryValue* value = key->FindValue(name);
  if (value == nullptr) return ERROR_FILE_NOT_FOUND;
  auto needed = static_cast<std::uint32_t>(value->data.size());
  if (type != nullptr) *type = value->type;
  if (data != nullptr) {
    if (*size < needed) {
      *size = needed;
      return ERROR_MORE_DATA;
    }
    std::copy(value->data.begin(), value->data.end(), data);
  }
  if (size != nullptr) *size = needed;
  return ERROR_SUCCESS;
}

long SimRegistry::SetValue(HKEY handle, std::string_view name, std::uint32_t type, const std::uint8_t* data,
                           std::uint32_t size) {
  std::shared_ptr<RegistryKey> key;
  if (long error = Resolve(handle, &key); error != ERROR_SUCCESS) return error;
  if (data == nullptr && size != 0) return ERROR_INVALID_PARAMETER;
  if (size > MaxRegistryValueSize) return ERROR_INVALID_PARAMETER;
  return key->SetValue(name, type, std::span<const std::uint8_t>(data, size));
}

long SimRegistry::DeleteValue(HKEY handle, std::string_view name) {
  std::shared_ptr<RegistryKey> key;
  if (long error = Resolve(handle, &key); error != ERROR_SUCCESS) return error;
  return key->DeleteValue(name);
}

long SimRegistry::DeleteKey(HKEY root, std::string_view subKey) {
  std::shared_ptr<RegistryKey> parent;
  if (long error = Resolve(root, &parent); error != ERROR_SUCCESS) return error;
  // Handles to the removed keys stay in the table and answer
  // ERROR_KEY_DELETED until they are closed.
  return parent->DeletePath(subKey);
}

long SimRegistry::CloseKey(HKEY handle) {
  if (handle == HKEY_LOCAL_MACHINE) return ERROR_SUCCESS;
  return handles_.erase(handle) == 1 ? ERROR_SUCCESS : ERROR_INVALID_HANDLE;
}

long SimRegistry::FlushKey(HKEY handle) {
  std::shared_ptr<RegistryKey> key;
  if (long error = Resolve(handle, &key); error != ERROR_SUCCESS) return error;
  std::vector<std::uint8_t> image = EncodeHive(store_);
  if (image.size() > storage_.Capacity()) {
    lastFlushError_ = "the registry needs " + std::to_string(image.size()) + " bytes, more than the " +
                      std::to_string(storage_.Capacity()) + " bytes the registry area keeps";
    return ERROR_NOT_ENOUGH_MEMORY;
  }
  if (!storage_.Store(image)) {
    lastFlushError_ = storage_.Problem().empty() ? "the registry area could not be written" : storage_.Problem();
    return ERROR_REGISTRY_IO_FAILED;
  }
  lastFlushError_.clear();
  return ERROR_SUCCESS;
}

std::string SimRegistry::ExportText() const { return ExportRegText(store_); }

RegTextResult SimRegistry::ImportText(std::string_view text) { return ImportRegText(text, store_); }

}  // namespace talvon::sim
