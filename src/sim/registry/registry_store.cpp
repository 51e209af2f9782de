#include "sim/registry/registry_store.h"

#include <algorithm>

namespace talvon::sim {

namespace {

bool HasControlCharacter(std::string_view name) {
  return std::any_of(name.begin(), name.end(), [](char c) {
    auto u = static_cast<unsigned char>(c);
    return u < 0x20 || u == 0x7F;
  });
}

std::size_t ChildPathLength(const RegistryKey* parent, std::size_t nameLength) {
  if (parent == nullptr) return 0;
  if (parent->IsRoot()) return nameLength;
  return parent->PathLength() + 1 + nameLength;
}

}  // namespace

std::string FoldName(std::string_view name) {
  std::string folded(name);
  for (char& c : folded) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  return folded;
}

long CheckKeyName(std::string_view name) {
  if (name.empty() || name.size() > MaxRegistryKeyNameLength) return ERROR_INVALID_PARAMETER;
  if (name.find('\\') != std::string_view::npos || HasControlCharacter(name)) return ERROR_INVALID_PARAMETER;
  return ERROR_SUCCESS;
}

long CheckValueName(std::string_view name) {
  if (name.size() > MaxRegistryValueNameLength || HasControlCharacter(name)) return ERROR_INVALID_PARAMETER;
  return ERROR_SUCCESS;
}

long SplitKeyPath(std::string_view path, std::vector<std::string_view>* elements) {
  elements->clear();
  if (path.size() > MaxRegistryKeyPathLength) return ERROR_INVALID_PARAMETER;
  if (path.empty()) return ERROR_SUCCESS;
  std::size_t start = 0;
  while (true) {
    std::size_t end = path.find('\\', start);
    std::string_view element = path.substr(start, end == std::string_view::npos ? std::string_view::npos : end - start);
    if (CheckKeyName(element) != ERROR_SUCCESS) return ERROR_INVALID_PARAMETER;
    elements->push_back(element);
    if (end == std::string_view::npos) break;
    start = end + 1;
  }
  return ERROR_SUCCESS;
}

RegistryKey::RegistryKey(std::string name, RegistryKey* parent)
    : name_(std::move(name)), parent_(parent), pathLength_(ChildPathLength(parent, name_.size())) {}

std::string RegistryKey::Path() const {
  if (IsRoot()) return {};
  std::string path = parent_->Path();
  if (!path.empty()) path += '\\';
  path += name_;
  return path;
}

const RegistryValue* RegistryKey::FindValue(std::string_view name) const {
  auto it = valueIndex_.find(FoldName(name));
  return it == valueIndex_.end() ? nullptr : it->second;
}

long RegistryKey::SetValue(std::string_view name, std::uint32_t type, std::span<const std::uint8_t> data) {
  if (CheckValueName(name) != ERROR_SUCCESS || data.size() > MaxRegistryValueSize) return ERROR_INVALID_PARAMETER;
  std::string folded = FoldName(name);
  auto it = valueIndex_.find(folded);
  if (it != valueIndex_.end()) {
    it->second->type = type;
    it->second->data.assign(data.begin(), data.end());
    return ERROR_SUCCESS;
  }
  auto value = std::make_unique<RegistryValue>();
  value->name = std::string(name);
  value->type = type;
  value->data.assign(data.begin(), data.end());
  valueIndex_.emplace(std::move(folded), value.get());
  values_.push_back(std::move(value));
  return ERROR_SUCCESS;
}

long RegistryKey::DeleteValue(std::string_view name) {
  auto it = valueIndex_.find(FoldName(name));
  if (it == valueIndex_.end()) return ERROR_FILE_NOT_FOUND;
  RegistryValue* doomed = it->second;
  valueIndex_.erase(it);
  std::erase_if(values_, [doomed](const std::unique_ptr<RegistryValue>& v) { return v.get() == doomed; });
  return ERROR_SUCCESS;
}

RegistryKey* RegistryKey::FindSubkey(std::string_view name) const {
  auto it = subkeyIndex_.find(FoldName(name));
  return it == subkeyIndex_.end() ? nullptr : it->second;
}

long RegistryKey::CreateSubkey(std::string_view name, RegistryKey** key, bool* created) {
  if (created != nullptr) *created = false;
  if (CheckKeyName(name) != ERROR_SUCCESS) return ERROR_INVALID_PARAMETER;
  if (RegistryKey* existing = FindSubkey(name)) {
    if (key != nullptr) *key = existing;
    return ERROR_SUCCESS;
  }
  if (ChildPathLength(this, name.size()) > MaxRegistryKeyPathLength) return ERROR_INVALID_PARAMETER;
  auto child = std::make_shared<RegistryKey>(std::string(name), this);
  subkeyIndex_.emplace(FoldName(name), child.get());
  if (key != nullptr) *key = child.get();
  if (created != nullptr) *created = true;
  subkeys_.push_back(std::move(child));
  return ERROR_SUCCESS;
}

long RegistryKey::OpenPath(std::string_view path, RegistryKey** key) {
  std::vector<std::string_view> elements;
  if (long error = SplitKeyPath(path, &elements); error != ERROR_SUCCESS) return error;
  RegistryKey* current = this;
  for (std::string_view element : elements) {
    current = current->FindSubkey(element);
    if (current == nullptr) return ERROR_FILE_NOT_FOUND;
  }
  *key = current;
  return ERROR_SUCCESS;
}

long RegistryKey::CreatePath(std::string_view path, RegistryKey** key, bool* created) {
  if (created != nullptr) *created = false;
  std::vector<std::string_view> elements;
  if (long error = SplitKeyPath(path, &elements); error != ERROR_SUCCESS) return error;
  // Check the whole path's length first so a refused create leaves no
  // intermediate keys behind.
  std::size_t length = pathLength_;
  for (std::string_view element : elements) length += (length == 0 ? 0 : 1) + element.size();
  if (!elements.empty() && length > MaxRegistryKeyPathLength) return ERROR_INVALID_PARAMETER;
  RegistryKey* current = this;
  bool last = false;
  for (std::string_view element : elements) {
    if (long error = current->CreateSubkey(element, &current, &last); error != ERROR_SUCCESS) return error;
  }
  if (created != nullptr) *created = last;
  *key = current;
  return ERROR_SUCCESS;
}

long RegistryKey::DeletePath(std::string_view path) {
  std::vector<std::string_view> elements;
  if (long error = SplitKeyPath(path, &elements); error != ERROR_SUCCESS) return error;
  if (elements.empty()) return ERROR_INVALID_PARAMETER;
  RegistryKey* parent = this;
  for (std::size_t i = 0; i + 1 < elements.size(); ++i) {
    parent = parent->FindSubkey(elements[i]);
    if (parent == nullptr) return ERROR_FILE_NOT_FOUND;
  }
  auto it = parent->subkeyIndex_.find(FoldName(elements.back()));
  if (it == parent->subkeyIndex_.end()) return ERROR_FILE_NOT_FOUND;
  RegistryKey* doomed = it->second;
  parent->subkeyIndex_.erase(it);
  std::erase_if(parent->subkeys_, [doomed](const std::shared_ptr<RegistryKey>& k) { return k.get() == doomed; });
  return ERROR_SUCCESS;
}

RegistryStore::RegistryStore() : root_(std::make_shared<RegistryKey>(std::string(), nullptr)) {}

RegistryKey* RegistryStore::Find(std::string_view path) const {
  RegistryKey* key = nullptr;
  return root_->OpenPath(path, &key) == ERROR_SUCCESS ? key : nullptr;
}

const RegistryValue* RegistryStore::FindValue(std::string_view keyPath, std::string_view valueName) const {
  RegistryKey* key = Find(keyPath);
  return key == nullptr ? nullptr : key->FindValue(valueName);
}

namespace {
std::size_t CountBelow(const RegistryKey& key) {
  std::size_t count = key.SubkeyCount();
  for (std::size_t i = 0; i < key.SubkeyCount(); ++i) count += CountBelow(key.SubkeyAt(i));
  return count;
}
}  // namespace

std::size_t RegistryStore::KeyCount() const { return CountBelow(*root_); }

}  // namespace talvon::sim
