#pragma once
#include <optional>
// The simulated controller's registry role: HKEY_LOCAL_MACHINE held in a
// RegistryStore, opened keys reached through a handle table, and flushes
// written as a hive into the registry area through HiveStorage.
//
// Like the controller, it ignores the access mask an open asks for (a key
// opened for reading can be written through). It does not model other
// roots, key enumeration calls, security or change notification.
#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <string_view>

#include "platform/registry.h"
#include "sim/registry/hive_storage.h"
#include "sim/registry/reg_text.h"
#include "sim/registry/registry_store.h"

namespace talvon::sim {

enum class RegistryBootSource {
  SavedHive,        // the hive in the registry area was loaded
  FactoryRegistry,  // the area was blank or damaged; the factory text was imported
};

struct RegistryBootReport {
  RegistryBootSource source = RegistryBootSource::FactoryRegistry;
  // false only when the factory text could not be imported; the registry
  // is then empty.
  bool ok = true;
  // Why the factory registry was booted ("registry area is blank",
  // "registry hive is damaged: checksum mismatch"), and the import error
  // when that failed; empty after a hive boot.
  std::string detail;
};

class SimRegistry : public Registry {
 public:
  // Starts with an empty registry; call Boot to fill it.
  explicit SimRegistry(HiveStorage& storage);

  // What the controller does at power-on: closes every handle, then loads
  // the hive from the registry area, or, when the area is blank or damaged,
  // imports the factory registry text (REGEDIT4). Without a factory text
  // (factory.reg missing) only a saved hive boots.
  RegistryBootReport Boot(std::optional<std::string_view> factoryRegText);

  long OpenKey(HKEY root, std::string_view subKey, std::uint32_t access, HKEY* result) override;
  long CreateKey(HKEY root, std::string_view subKey, HKEY* result, bool* created) override;
  long QueryValue(HKEY key, std::string_view name, std::uint32_t* type, std::uint8_t* data,
                  std::uint32_t* size) override;
  long SetValue(HKEY key, std::string_view name, std::uint32_t type, const std::uint8_t* data,
                std::uint32_t size) override;
  long DeleteValue(HKEY key, std::string_view name) override;
  long DeleteKey(HKEY root, std::string_view subKey) override;
  long CloseKey(HKEY key) override;
  // Encodes the whole tree and stores it. ERROR_NOT_ENOUGH_MEMORY when the
  // hive does not fit the registry area, ERROR_REGISTRY_IO_FAILED when the
  // area cannot be written; either way the stored hive stays as it was.
  long FlushKey(HKEY key) override;
  // Decoded as Boot decodes the registry area, through the same storage.
  SavedRegistryCheck CheckSavedRegistry(std::span<const std::uint8_t> area) override;

  // The tree itself, for the controller's tools and the registry viewer.
  RegistryStore& Store() { return store_; }
  const RegistryStore& Store() const { return store_; }
  // The whole registry as REGEDIT4 text.
  std::string ExportText() const;
  // Applies REGEDIT4 text to the live registry (not flushed); nothing
  // changes when the text has an error.
  RegTextResult ImportText(std::string_view text);

  std::size_t OpenHandleCount() const { return handles_.size(); }
  // Why the last failed flush failed; empty after a successful one.
  const std::string& LastFlushError() const { return lastFlushError_; }

 private:
  // The key a handle refers to: ERROR_INVALID_HANDLE for an unknown handle
  // or another root, ERROR_KEY_DELETED when its key was deleted.
  long Resolve(HKEY handle, std::shared_ptr<RegistryKey>* key);
  HKEY AddHandle(RegistryKey* key);

  HiveStorage& storage_;
  RegistryStore store_;
  std::map<HKEY, std::weak_ptr<RegistryKey>> handles_;
  HKEY nextHandle_ = 0x1000;
  std::string lastFlushError_;
};

}  // namespace talvon::sim
