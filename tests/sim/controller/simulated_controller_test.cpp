// A whole simulated controller: boots, reboots and what survives them.
#include "sim/controller/simulated_controller.h"

#include <gtest/gtest.h>

#include "support/recording_message_boxes.h"
#include "flash/flash_areas.h"
#include "flash/flash_device.h"
#include "flash/image_files.h"
#include "flash/transfer_buffer.h"
#include "operations/flash_files.h"
#include "platform/text.h"
#include "sim/registry/flash_hive_storage.h"
#include "support/temp_dir.h"

#include <unistd.h>

namespace talvon::sim {
namespace {

using test::TempDir;

class SimulatedControllerTest : public ::testing::Test {
 protected:
  std::unique_ptr<SimulatedController> Boot() {
    ControllerOptions options;
    options.childOutput = SimProcesses::ChildOutput::Discard;
    std::string error;
    auto controller = SimulatedController::Boot(dir_.Path() / "controller", clock_, &error, options);
    lastError_ = error;
    return controller;
  }

  static void SetText(Registry& registry, std::string_view key, std::string_view name, std::string_view text) {
    HKEY h = 0;
    ASSERT_EQ(registry.CreateKey(HKEY_LOCAL_MACHINE, key, &h, nullptr), ERROR_SUCCESS);
    auto bytes = ToRegSz(text);
    ASSERT_EQ(registry.SetValue(h, name, REG_SZ, bytes.data(), static_cast<std::uint32_t>(bytes.size())),
              ERROR_SUCCESS);
    registry.CloseKey(h);
  }

  static std::string GetText(Registry& registry, std::string_view key, std::string_view name) {
    HKEY h = 0;
    if (registry.OpenKey(HKEY_LOCAL_MACHINE, key, KEY_ALL_ACCESS, &h) != ERROR_SUCCESS) return "<no key>";
    std::uint8_t data[400];
    std::uint32_t size = sizeof data;
    std::uint32_t type = 0;
    long rc = registry.QueryValue(h, name, &type, data, &size);
    registry.CloseKey(h);
    if (rc != ERROR_SUCCESS) return "<no value>";
    return FromRegSz(data, size);
  }

  static std::string OsVersion(ControllerSdk& sdk) {
    char16_t buffer[80] = {};
    sdk.GetOSversion(buffer);
    return Utf16ToUtf8(buffer);
  }

  TempDir dir_;
  VirtualClock clock_;
  std::string lastError_;
};

TEST_F(SimulatedControllerTest, FirstBootCreatesAFactoryControllerRunningItsImage) {
  auto controller = Boot();
  ASSERT_NE(controller, nullptr) << lastError_;
  EXPECT_EQ(controller->RegistryBoot().source, RegistryBootSource::FactoryRegistry);
  EXPECT_EQ(OsVersion(controller->GetPlatform().sdk), controller->Config().osVersion);
  EXPECT_TRUE(std::filesystem::exists(controller->Directory().FlashImageFile()));
  EXPECT_EQ(GetText(controller->GetPlatform().registry, "Init", "Launch80").empty(), false);
}

TEST_F(SimulatedControllerTest, FlushedChangesSurviveARebootAndOthersDoNot) {
  {
    auto controller = Boot();
    ASSERT_NE(controller, nullptr) << lastError_;
    Registry& registry = controller->GetPlatform().registry;
    SetText(registry, "Init", "Launch83", "\\CompactFlash\\kept.exe");
    ASSERT_EQ(registry.FlushKey(HKEY_LOCAL_MACHINE), ERROR_SUCCESS);
    SetText(registry, "Init", "Launch84", "\\CompactFlash\\lost.exe");
  }
  auto controller = Boot();
  ASSERT_NE(controller, nullptr) << lastError_;
  EXPECT_EQ(controller->RegistryBoot().source, RegistryBootSource::SavedHive);
  EXPECT_EQ(GetText(controller->GetPlatform().registry, "Init", "Launch83"), "\\CompactFlash\\kept.exe");
  EXPECT_EQ(GetText(controller->GetPlatform().registry, "Init", "Launch84"), "<no value>");
}

TEST_F(SimulatedControllerTest, ErasedRegistryAreaBootsTheFactoryRegistry) {
  {
    auto controller = Boot();
    ASSERT_NE(controller, nullptr) << lastError_;
    Registry& registry = controller->GetPlatform().registry;
    SetText(registry, "Init", "Launch83", "x");
    ASSERT_EQ(registry.FlushKey(HKEY_LOCAL_MACHINE), ERROR_SUCCESS);
    ASSERT_EQ(EraseFlashRange(controller->Flash(), FlashWindowBase, RegistryFlashArea, RegistryFlashAreaSize), 1);
  }
  auto controller = Boot();
  ASSERT_NE(controller, nullptr) << lastError_;
  EXPECT_EQ(controller->RegistryBoot().source, RegistryBootSource::FactoryRegistry);
  EXPECT_EQ(GetText(controller->GetPlatform().registry, "Init", "Launch83"), "<no value>");
}

TEST_F(SimulatedControllerTest, FlushCutShortByPowerLossStillBoots) {
  {
    auto controller = Boot();
    ASSERT_NE(controller, nullptr) << lastError_;
    Registry& registry = controller->GetPlatform().registry;
    SetText(registry, "Init", "Launch83", "first");
    ASSERT_EQ(registry.FlushKey(HKEY_LOCAL_MACHINE), ERROR_SUCCESS);
    SetText(registry, "Init", "Launch83", "second");
    // Power fails shortly after the erase of the area has begun.
    controller->Flash().CutPowerAtCycle(controller->Flash().Stats().busCycles + 40);
    EXPECT_NE(registry.FlushKey(HKEY_LOCAL_MACHINE), ERROR_SUCCESS);
  }
  auto controller = Boot();
  ASSERT_NE(controller, nullptr) << lastError_;
  // The copy being replaced was not the one holding "first".
  EXPECT_EQ(GetText(controller->GetPlatform().registry, "Init", "Launch83"), "first");
}

TEST_F(SimulatedControllerTest, FlushesAlternateBetweenTheTwoCopiesAndBootTheNewest) {
  auto controller = Boot();
  ASSERT_NE(controller, nullptr) << lastError_;
  Registry& registry = controller->GetPlatform().registry;
  std::vector<int> copies;
  for (const char* text : {"one", "two", "three"}) {
    SetText(registry, "Init", "Launch83", text);
    ASSERT_EQ(registry.FlushKey(HKEY_LOCAL_MACHINE), ERROR_SUCCESS);
    std::vector<std::uint8_t> area(RegistryFlashAreaSize);
    ASSERT_EQ(ReadFlashRange(controller->Flash(), FlashWindowBase, RegistryFlashArea, RegistryFlashAreaSize,
                             area.data()), 1);
    auto newest = NewestHiveCopy(area);
    ASSERT_TRUE(newest.has_value());
    copies.push_back(newest->copy);
  }
  EXPECT_EQ(copies[0], 1 - copies[1]);
  EXPECT_EQ(copies[2], copies[0]);
  controller.reset();
  controller = Boot();
  ASSERT_NE(controller, nullptr) << lastError_;
  EXPECT_EQ(GetText(controller->GetPlatform().registry, "Init", "Launch83"), "three");
}

TEST_F(SimulatedControllerTest, SecondOpenerOfAControllerIsRefusedAtOnceNamingTheHolder) {
  auto first = Boot();
  ASSERT_NE(first, nullptr) << lastError_;
  EXPECT_EQ(Boot(), nullptr);
  EXPECT_NE(lastError_.find("controller in use"), std::string::npos) << lastError_;
  EXPECT_NE(lastError_.find("process " + std::to_string(::getpid())), std::string::npos) << lastError_;
  first.reset();
  EXPECT_NE(Boot(), nullptr) << lastError_;
}

TEST_F(SimulatedControllerTest, LayoutsWhoseBlocksCrossTheAreasAreRefusedNamingTheLayout) {
  {
    auto controller = Boot();
    ASSERT_NE(controller, nullptr) << lastError_;
  }
  auto file = dir_.Path() / "controller" / "controller.json";
  const std::string original = test::ReadFile(file);
  auto withFlash = [&](const std::string& bank) {
    std::string json = original;
    json.insert(json.rfind('}'), ",\n  \"flash\": {\"banks\": [" + bank + "]}\n");
    test::WriteFile(file, json);
  };
  // Four 8-bit chips of 128 KiB blocks: 512 KiB erase blocks.
  withFlash(R"({"commandSet": "intel", "busWidth": 4, "chips": 4, "deviceSize": 8388608,
                "regions": [{"blockSize": 131072, "blocks": 64}]})");
  EXPECT_EQ(Boot(), nullptr);
  EXPECT_NE(lastError_.find("4 x 8-bit Intel chips"), std::string::npos) << lastError_;
  EXPECT_NE(lastError_.find("crosses 0xBE940000"), std::string::npos) << lastError_;
  // Two 16-bit chips of 512 KiB blocks: 1 MiB erase blocks.
  withFlash(R"({"commandSet": "intel", "busWidth": 4, "chips": 2, "deviceSize": 16777216,
                "regions": [{"blockSize": 524288, "blocks": 32}]})");
  EXPECT_EQ(Boot(), nullptr);
  EXPECT_NE(lastError_.find("crosses 0xBCA80000"), std::string::npos) << lastError_;
}

TEST_F(SimulatedControllerTest, WipedOsAreaRefusesToBootWithAClearMessage) {
  {
    auto controller = Boot();
    ASSERT_NE(controller, nullptr) << lastError_;
    ASSERT_EQ(EraseFlashRange(controller->Flash(), FlashWindowBase, OsImageFlashArea, OsImageFlashAreaSize), 1);
  }
  EXPECT_EQ(Boot(), nullptr);
  EXPECT_NE(lastError_.find("OS image area holds no image"), std::string::npos) << lastError_;
}

TEST_F(SimulatedControllerTest, RegistryDumpRestoreAndRebootBootsTheDumpedRegistry) {
  const std::string dumpPath = "\\CompactFlash\\Velmar\\Tools\\BackUp.REG";
  {
    auto controller = Boot();
    ASSERT_NE(controller, nullptr) << lastError_;
    Platform& p = controller->GetPlatform();
    SetText(p.registry, "Init", "Launch83", "dumped");
    ASSERT_EQ(p.registry.FlushKey(HKEY_LOCAL_MACHINE), ERROR_SUCCESS);
    test::RecordingMessageBoxes boxes;
    TransferBuffer transfer;
    ImageFileContext context{p.files, p.flash, boxes, transfer};
    ASSERT_EQ(DumpRegistryFile(context, dumpPath), 0);
    SetText(p.registry, "Init", "Launch83", "changed later");
    ASSERT_EQ(p.registry.FlushKey(HKEY_LOCAL_MACHINE), ERROR_SUCCESS);
    ASSERT_EQ(RestoreRegistryFile(context, p.registry, dumpPath), RegistryRestore::Restored);
  }
  auto controller = Boot();
  ASSERT_NE(controller, nullptr) << lastError_;
  EXPECT_EQ(GetText(controller->GetPlatform().registry, "Init", "Launch83"), "dumped");
}

TEST_F(SimulatedControllerTest, BrokenFlashSectionNamesTheField) {
  {
    auto controller = Boot();
    ASSERT_NE(controller, nullptr) << lastError_;
  }
  auto file = dir_.Path() / "controller" / "controller.json";
  std::string json = test::ReadFile(file);
  auto brace = json.rfind('}');
  json.insert(brace, ",\n  \"flash\": {\"banks\": 7}\n");
  test::WriteFile(file, json);
  EXPECT_EQ(Boot(), nullptr);
  EXPECT_NE(lastError_.find("flash"), std::string::npos) << lastError_;
}

}  // namespace
}  // namespace talvon::sim
