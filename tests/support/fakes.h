#pragma once
// Small stand-ins for the controller's platform roles, for tests of the
// application and its pages: an in-memory registry with a flushed copy, an
// SDK that counts reboots, and roles that do nothing.
#include <algorithm>
#include <cctype>
#include <cstring>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "platform/clock.h"
#include "platform/platform.h"

namespace talvon::test {

inline std::string Lower(std::string_view s) {
  std::string out(s);
  for (char& c : out) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return out;
}

// HKEY_LOCAL_MACHINE in memory. Keys and value names compare without case.
// FlushKey copies the tree into `flushed` (or fails with `flushResult`).
class FakeRegistry final : public Registry {
 public:
  struct Value {
    std::uint32_t type = REG_NONE;
    std::vector<std::uint8_t> data;
  };
  using Tree = std::map<std::string, std::map<std::string, Value>>;  // lower-case key path -> values

  Tree keys;
  Tree flushed;
  long flushResult = ERROR_SUCCESS;
  int flushes = 0;

  void AddKey(std::string_view path) { keys[Lower(path)]; }
  void SetDword(std::string_view path, std::string_view name, std::uint32_t v) {
    Value value{REG_DWORD, std::vector<std::uint8_t>(4)};
    std::memcpy(value.data.data(), &v, 4);
    keys[Lower(path)][Lower(name)] = value;
  }

  long OpenKey(HKEY root, std::string_view subKey, std::uint32_t, HKEY* result) override {
    if (root != HKEY_LOCAL_MACHINE) return ERROR_INVALID_HANDLE;
    if (!keys.contains(Lower(subKey))) return ERROR_FILE_NOT_FOUND;
    *result = Handle(subKey);
    return ERROR_SUCCESS;
  }
  long CreateKey(HKEY root, std::string_view subKey, HKEY* result, bool* created) override {
    if (root != HKEY_LOCAL_MACHINE) return ERROR_INVALID_HANDLE;
    const bool isNew = !keys.contains(Lower(subKey));
    keys[Lower(subKey)];
    if (created != nullptr) *created = isNew;
    *result = Handle(subKey);
    return ERROR_SUCCESS;
  }
  long QueryValue(HKEY key, std::string_view name, std::uint32_t* type, std::uint8_t* data,
                  std::uint32_t* size) override {
    auto* values = Values(key);
    if (values == nullptr) return ERROR_INVALID_HANDLE;
    auto it = values->find(Lower(name));
    if (it == values->end()) return ERROR_FILE_NOT_FOUND;
    const auto needed = static_cast<std::uint32_t>(it->second.data.size());
    if (type != nullptr) *type = it->second.type;
    if (data != nullptr && size != nullptr && *size < needed) {
      *size = needed;
      return ERROR_MORE_DATA;
    }
    if (data != nullptr) std::memcpy(data, it->second.data.data(), needed);
    if (size != nullptr) *size = needed;
    return ERROR_SUCCESS;
  }
  long SetValue(HKEY key, std::string_view name, std::uint32_t type, const std::uint8_t* data,
                std::uint32_t size) override {
    auto* values = Values(key);
    if (values == nullptr) return ERROR_INVALID_HANDLE;
    (*values)[Lower(name)] = Value{type, std::vector<std::uint8_t>(data, data + size)};
    return ERROR_SUCCESS;
  }
  long DeleteValue(HKEY key, std::string_view name) override {
    auto* values = Values(key);
    if (values == nullptr) return ERROR_INVALID_HANDLE;
    return values->erase(Lower(name)) > 0 ? ERROR_SUCCESS : ERROR_FILE_NOT_FOUND;
  }
  long DeleteKey(HKEY, std::string_view subKey) override {
    const std::string prefix = Lower(subKey);
    const auto removed = std::erase_if(
        keys, [&](const auto& entry) { return entry.first == prefix || entry.first.starts_with(prefix + "\\"); });
    return removed > 0 ? ERROR_SUCCESS : ERROR_FILE_NOT_FOUND;
  }
  long CloseKey(HKEY key) override { return handles_.erase(key) > 0 ? ERROR_SUCCESS : ERROR_INVALID_HANDLE; }
  long FlushKey(HKEY) override {
    ++flushes;
    if (flushResult != ERROR_SUCCESS) return flushResult;
    flushed = keys;
    return ERROR_SUCCESS;
  }

 private:
  HKEY Handle(std::string_view path) {
    const HKEY handle = next_++;
    handles_[handle] = Lower(path);
    return handle;
  }
  std::map<std::string, Value>* Values(HKEY key) {
    auto h = handles_.find(key);
    if (h == handles_.end()) return nullptr;
    auto k = keys.find(h->second);
    return k != keys.end() ? &k->second : nullptr;
  }
  std::map<HKEY, std::string> handles_;
  HKEY next_ = 0x1000;
};

class FakeSdk final : public ControllerSdk {
 public:
  int resets = 0;
  void Reset_TalVon() override { ++resets; }
  void ChangeSlotTo53R(std::uint8_t) override {}
  std::uint32_t Get_Slot_No() override { return 0; }
  int GetNameOfModule(int, char* name8) override {
    name8[0] = 0;
    return 0;
  }
  void GetSystemSerialNumber(std::uint8_t*) override {}
  void ReadMAC(std::uint8_t*) override {}
  std::int32_t GetFlashSize(std::uint8_t*) override { return 32 * 1024 * 1024; }
  void GetOSversion(char16_t* buffer80) override { buffer80[0] = 0; }
  void GetSDKversion(char16_t* buffer80) override { buffer80[0] = 0; }
};

class NoFiles final : public Files {
 public:
  std::unique_ptr<FileStream> Open(std::string_view, std::string_view) override { return nullptr; }
  bool FindFirstFile(std::string_view, FindData*) override { return false; }
  std::vector<FindData> ListDirectory(std::string_view) override { return {}; }
  long GetLastError() const override { return ERROR_FILE_NOT_FOUND; }
};

class FakeProcesses final : public Processes {
 public:
  std::vector<std::string> started;
  bool CreateProcess(std::string_view path, bool, ProcessInformation*) override {
    started.emplace_back(path);
    return true;
  }
  bool ResumeThread(std::uint32_t) override { return true; }
  bool OpenThroughShellAndWait(std::string_view path) override {
    started.emplace_back(path);
    return true;
  }
};

class NoSerialPorts final : public SerialPorts {
 public:
  std::unique_ptr<SerialPort> Open(std::string_view) override { return nullptr; }
};

class FixedMemory final : public MemoryDivision {
 public:
  bool GetDivision(MemoryDivisionFigures* f) override {
    *f = MemoryDivisionFigures{4096, 4096, 4096};
    return true;
  }
  std::uint32_t SetStorageDivision(std::uint32_t) override { return SYSMEM_CHANGED; }
  bool GetObjectStore(ObjectStoreFigures* f) override {
    *f = ObjectStoreFigures{16u << 20, 12u << 20};
    return true;
  }
  bool GetPhysicalMemory(PhysicalMemoryFigures* f) override {
    *f = PhysicalMemoryFigures{32u << 20, 16u << 20};
    return true;
  }
};

class BlankFlash : public FlashWindow {
 public:
  std::uint8_t Load8(std::uint32_t) override { return 0xFF; }
  std::uint16_t Load16(std::uint32_t) override { return 0xFFFF; }
  std::uint32_t Load32(std::uint32_t) override { return 0xFFFFFFFF; }
  void Store8(std::uint32_t, std::uint8_t) override {}
  void Store16(std::uint32_t, std::uint16_t) override {}
  void Store32(std::uint32_t, std::uint32_t) override {}
  void CopyOut(std::uint32_t, void* destination, std::size_t count) override { std::memset(destination, 0xFF, count); }
};

// Every role, with a virtual clock, and the Platform that refers to them.
struct FakeController {
  FakeRegistry registry;
  NoFiles files;
  FakeProcesses processes;
  NoSerialPorts serial;
  FixedMemory memory;
  VirtualClock clock;
  BlankFlash flash;
  FakeSdk sdk;
  Platform platform{registry, files, processes, serial, memory, clock, flash, sdk};
};

}  // namespace talvon::test
