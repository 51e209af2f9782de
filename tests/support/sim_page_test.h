#pragma once
// The utility on a whole simulated controller kept in a temporary folder:
// its registry store, its flash and its files. Registry opens and writes
// can be made to fail by name, as a damaged controller would refuse them.
#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "flash/flash_areas.h"
#include "platform/little_endian.h"
#include "platform/text.h"
#include "sim/controller/simulated_controller.h"
#include "support/controller_folder.h"
#include "support/utility_test.h"

namespace talvon::test {

// The controller's registry with failures switched on by (folded) name.
class FaultyRegistry final : public Registry {
 public:
  FaultyRegistry(Registry& inner, const std::set<std::string>& failOpen, const std::set<std::string>& failSet)
      : inner_(inner), failOpen_(failOpen), failSet_(failSet) {}
  long OpenKey(HKEY root, std::string_view subKey, std::uint32_t access, HKEY* result) override {
    if (failOpen_.contains(sim::FoldName(subKey))) return ERROR_ACCESS_DENIED;
    return inner_.OpenKey(root, subKey, access, result);
  }
  long CreateKey(HKEY root, std::string_view subKey, HKEY* result, bool* created) override {
    return inner_.CreateKey(root, subKey, result, created);
  }
  long QueryValue(HKEY key, std::string_view name, std::uint32_t* type, std::uint8_t* data,
                  std::uint32_t* size) override {
    return inner_.QueryValue(key, name, type, data, size);
  }
  long SetValue(HKEY key, std::string_view name, std::uint32_t type, const std::uint8_t* data,
                std::uint32_t size) override {
    if (failSet_.contains(sim::FoldName(name))) return ERROR_REGISTRY_IO_FAILED;
    return inner_.SetValue(key, name, type, data, size);
  }
  long DeleteValue(HKEY key, std::string_view name) override { return inner_.DeleteValue(key, name); }
  long DeleteKey(HKEY root, std::string_view subKey) override { return inner_.DeleteKey(root, subKey); }
  long CloseKey(HKEY key) override { return inner_.CloseKey(key); }
  long FlushKey(HKEY key) override {
    ++flushes;
    return inner_.FlushKey(key);
  }
  SavedRegistryCheck CheckSavedRegistry(std::span<const std::uint8_t> area) override {
    return inner_.CheckSavedRegistry(area);
  }
  int flushes = 0;

 private:
  Registry& inner_;
  const std::set<std::string>& failOpen_;
  const std::set<std::string>& failSet_;
};

class SimPageTest : public UtilityTest {
 protected:
  sim::SimulatedController& Controller() {
    if (!controller_) controller_ = folder_.Boot();
    return *controller_;
  }
  // The controller goes down (what was not flushed is gone) and boots again.
  void Reboot() {
    EndRun();
    controller_.reset();
    Controller();
  }

  // One run of the utility; `steps` runs once the home screen is up. What
  // it showed is kept in `boxes` and `fileDialogs`.
  void Run(const std::function<void()>& steps) {
    sim::SimulatedController& controller = Controller();
    FaultyRegistry registry(controller.GetPlatform().registry, failOpen, failSet);
    Platform base = controller.GetPlatform();
    Platform platform{registry,     base.files, base.processes, base.serialPorts, base.memory,
                      base.clock,   base.flash, base.sdk};
    SetUpRun(platform, folder_.Clock());
    UtilityTest::Run(steps);
    boxes = Log().MessageBoxes();
    fileDialogs = Log().FileDialogs();
    flushes = registry.flushes;
    EndRun();
  }

  // From the next boot on, neither copy of the registry area erases, so
  // every flush fails and the registry last flushed is what boots.
  void FailRegistryFlushes() {
    const std::filesystem::path file = Controller().Directory().ConfigFile();
    std::string error;
    std::optional<sim::ControllerConfig> config = sim::LoadControllerConfig(file, &error);
    ASSERT_TRUE(config) << error;
    std::optional<sim::FlashConfig> flash = sim::FlashConfigOf(*config, &error);
    ASSERT_TRUE(flash) << error;
    for (std::uint32_t copy : {0u, 1u}) {
      flash->faults.eraseFailures.push_back({RegistryFlashArea + copy * sim::RegistryCopySize, std::nullopt});
    }
    config->flash = sim::FlashConfigToJson(*flash);
    ASSERT_TRUE(sim::SaveControllerConfig(*config, file, &error)) << error;
    Reboot();
  }
  // The registry area of the flash as the next boot reads it.
  std::vector<std::uint8_t> RegistryArea() {
    const std::uint8_t* area = Controller().Flash().Contents() + (RegistryFlashArea - FlashWindowBase);
    return std::vector<std::uint8_t>(area, area + RegistryFlashAreaSize);
  }

  // ---- The controller's registry, read and set directly ----
  sim::RegistryStore& Store() { return Controller().Registry().Store(); }
  void SetValue(std::string_view key, std::string_view name, std::uint32_t type, std::vector<std::uint8_t> data) {
    sim::RegistryKey* k = nullptr;
    ASSERT_EQ(Store().Root().CreatePath(key, &k, nullptr), ERROR_SUCCESS);
    ASSERT_EQ(k->SetValue(name, type, data), ERROR_SUCCESS);
  }
  void SetDword(std::string_view key, std::string_view name, std::uint32_t v) {
    const auto bytes = Le32Bytes(v);
    SetValue(key, name, REG_DWORD, {bytes.begin(), bytes.end()});
  }
  void SetText(std::string_view key, std::string_view name, std::string_view text) {
    SetValue(key, name, REG_SZ, ToRegSz(text));
  }
  void RemoveValue(std::string_view key, std::string_view name) {
    if (sim::RegistryKey* k = Store().Find(key)) k->DeleteValue(name);
  }
  void RemoveKey(std::string_view key) { Store().Root().DeletePath(key); }
  const sim::RegistryValue* Value(std::string_view key, std::string_view name) {
    return Store().FindValue(key, name);
  }
  std::uint32_t Dword(std::string_view key, std::string_view name) {
    const sim::RegistryValue* v = Value(key, name);
    if (v == nullptr || v->type != REG_DWORD || v->data.size() != 4) return 0xDEADBEEF;
    return LoadLe32(v->data.data());
  }
  std::string Text(std::string_view key, std::string_view name) {
    const sim::RegistryValue* v = Value(key, name);
    return v == nullptr ? "<missing>" : FromRegSz(v->data.data(), v->data.size());
  }

  // A file or folder of the controller's file system ("CompactFlash/a.exe").
  void PutFile(const std::string& relative) {
    Controller();  // created with its factory files first
    folder_.PutFile(relative, "stand-in\n");
  }

  std::set<std::string> failOpen;  // folded key paths
  std::set<std::string> failSet;   // folded value names
  std::vector<MessageBoxEvent> boxes;
  std::vector<FileDialogEvent> fileDialogs;
  int flushes = 0;

 private:
  ControllerFolder folder_;
  std::unique_ptr<sim::SimulatedController> controller_;
};

}  // namespace talvon::test
