#pragma once
// The simulated controller's registry tree (HKEY_LOCAL_MACHINE) as plain
// data: keys holding typed values and subkeys. Names compare without regard
// to ASCII case and keep the case they were first written with; children
// and values enumerate in insertion order, so exports and hives are stable.
//
// What it does not model: security descriptors, volatile keys, symbolic
// links, notification, last-write times and class names.
#include <cstdint>
#include <map>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "platform/registry.h"

namespace talvon::sim {

// ASCII lower-case form of a name, the form names are compared in.
std::string FoldName(std::string_view name);

// ERROR_SUCCESS or ERROR_INVALID_PARAMETER: one path element, 1 to 255
// bytes, no '\' and no control characters.
long CheckKeyName(std::string_view name);
// ERROR_SUCCESS or ERROR_INVALID_PARAMETER: 0 (the default value) to 255
// bytes, no control characters.
long CheckValueName(std::string_view name);

struct RegistryValue {
  std::string name;  // empty for the key's default value
  std::uint32_t type = REG_NONE;
  std::vector<std::uint8_t> data;
};

class RegistryKey : public std::enable_shared_from_this<RegistryKey> {
 public:
  // Use RegistryStore or CreatePath to make keys; public for make_shared.
  RegistryKey(std::string name, RegistryKey* parent);
  RegistryKey(const RegistryKey&) = delete;
  RegistryKey& operator=(const RegistryKey&) = delete;

  const std::string& Name() const { return name_; }
  RegistryKey* Parent() const { return parent_; }
  bool IsRoot() const { return parent_ == nullptr; }
  // Full path below the root ("Drivers\Display"), empty for the root.
  std::string Path() const;
  std::size_t PathLength() const { return pathLength_; }

  // Values, in the order they were first set.
  std::size_t ValueCount() const { return values_.size(); }
  const RegistryValue& ValueAt(std::size_t index) const { return *values_[index]; }
  const RegistryValue* FindValue(std::string_view name) const;
  // Stores exactly the bytes given; replacing a value keeps its name's case
  // and its place. ERROR_INVALID_PARAMETER for a bad name or too much data.
  long SetValue(std::string_view name, std::uint32_t type, std::span<const std::uint8_t> data);
  // ERROR_FILE_NOT_FOUND when there is no such value.
  long DeleteValue(std::string_view name);

  // Subkeys, in the order they were created.
  std::size_t SubkeyCount() const { return subkeys_.size(); }
  const RegistryKey& SubkeyAt(std::size_t index) const { return *subkeys_[index]; }
  RegistryKey& SubkeyAt(std::size_t index) { return *subkeys_[index]; }
  RegistryKey* FindSubkey(std::string_view name) const;
  // Finds or creates one direct subkey. ERROR_INVALID_PARAMETER for a bad
  // name or when the key's full path would pass MaxRegistryKeyPathLength.
  long CreateSubkey(std::string_view name, RegistryKey** key, bool* created);

  // Paths relative to this key, elements separated by '\'. An empty path is
  // this key itself. A malformed path (empty element, over-long element or
  // path) answers ERROR_INVALID_PARAMETER.
  long OpenPath(std::string_view path, RegistryKey** key);
  // Creates missing keys along the path.
  long CreatePath(std::string_view path, RegistryKey** key, bool* created);
  // Removes the key at the path with everything below it; the path must not
  // be empty. ERROR_FILE_NOT_FOUND when it does not exist.
  long DeletePath(std::string_view path);

 private:
  std::string name_;
  RegistryKey* parent_;
  std::size_t pathLength_;
  // Insertion order in the vectors; lookup by folded name in the maps.
  std::vector<std::unique_ptr<RegistryValue>> values_;
  std::map<std::string, RegistryValue*, std::less<>> valueIndex_;
  std::vector<std::shared_ptr<RegistryKey>> subkeys_;
  std::map<std::string, RegistryKey*, std::less<>> subkeyIndex_;
};

// Splits a key path into elements; ERROR_INVALID_PARAMETER when the path is
// too long or an element is empty or invalid. An empty path has no elements.
long SplitKeyPath(std::string_view path, std::vector<std::string_view>* elements);

// The whole tree. Keys are shared so that open handles can notice, through
// weak references, that their key was deleted.
class RegistryStore {
 public:
  RegistryStore();
  RegistryStore(RegistryStore&&) noexcept = default;
  RegistryStore& operator=(RegistryStore&&) noexcept = default;
  RegistryStore(const RegistryStore&) = delete;
  RegistryStore& operator=(const RegistryStore&) = delete;

  RegistryKey& Root() { return *root_; }
  const RegistryKey& Root() const { return *root_; }
  std::shared_ptr<RegistryKey> RootShared() { return root_; }

  // Null when the key does not exist or the path is malformed.
  RegistryKey* Find(std::string_view path) const;
  const RegistryValue* FindValue(std::string_view keyPath, std::string_view valueName) const;

  std::size_t KeyCount() const;  // every key below the root

 private:
  std::shared_ptr<RegistryKey> root_;
};

}  // namespace talvon::sim
