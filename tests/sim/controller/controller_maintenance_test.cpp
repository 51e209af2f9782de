// Recovering a controller whose OS image area was wiped.
#include "sim/controller/controller_maintenance.h"

#include <gtest/gtest.h>

#include <sstream>

#include "flash/bin_image_builder.h"
#include "flash/flash_areas.h"
#include "flash/flash_device.h"
#include "flash/os_image_version.h"
#include "sim/controller/simulated_controller.h"
#include "support/temp_dir.h"

namespace talvon::sim {
namespace {

using test::TempDir;

class ControllerMaintenanceTest : public ::testing::Test {
 protected:
  std::filesystem::path Dir() const { return scratch_.Path() / "controller"; }

  std::unique_ptr<ControllerFiles> Open() {
    std::string error;
    auto files = OpenControllerFiles(Dir(), &error);
    EXPECT_NE(files, nullptr) << error;
    return files;
  }

  bool Boots() {
    VirtualClock clock;
    ControllerOptions options;
    options.childOutput = SimProcesses::ChildOutput::Discard;
    std::string error;
    return SimulatedController::Boot(Dir(), clock, &error, options) != nullptr;
  }

  std::string WriteImage(const std::string& name, const std::vector<std::uint8_t>& bytes) {
    auto path = scratch_.Path() / name;
    test::WriteFile(path, std::string(bytes.begin(), bytes.end()));
    return path.string();
  }

  TempDir scratch_;
};

TEST_F(ControllerMaintenanceTest, WipedControllerBootsAgainAfterRecoveryWithTheImagesVersion) {
  {
    auto files = Open();
    std::string error;
    ASSERT_TRUE(WipeOsArea(*files, &error)) << error;
  }
  EXPECT_FALSE(Boots());
  BinImageOptions options;
  options.version = "TalvonOS 6.1";
  options.size = 0x30000;
  options.recordSize = 0x10000;
  const std::string image = WriteImage("new.bin", BuildBinImage(options));
  {
    auto files = Open();
    std::string error;
    ASSERT_TRUE(WriteOsImageFile(*files, image, &error)) << error;
    EXPECT_EQ(ReadOsVersion(*files->flash), "TalvonOS 6.1");
  }
  EXPECT_TRUE(Boots());
}

TEST_F(ControllerMaintenanceTest, DamagedImageLeavesTheOsAreaUntouched) {
  auto files = Open();
  std::vector<std::uint8_t> before(files->flash->Contents(), files->flash->Contents() + FlashWindowSize);
  BinImageOptions options;
  options.size = 0x20000;
  std::vector<std::uint8_t> bytes = BuildBinImage(options);
  bytes[15 + 12 + 100] ^= 0x01;  // a data byte of the first record: its checksum no longer matches
  std::string error;
  EXPECT_FALSE(WriteOsImageFile(*files, WriteImage("bad.bin", bytes), &error));
  EXPECT_FALSE(error.empty());
  EXPECT_TRUE(std::equal(before.begin(), before.end(), files->flash->Contents()));
}

TEST_F(ControllerMaintenanceTest, FactoryRecoveryRestoresTheConfiguredVersion) {
  auto files = Open();
  std::string error;
  ASSERT_TRUE(WipeOsArea(*files, &error)) << error;
  ASSERT_TRUE(WriteFactoryOsImage(*files, &error)) << error;
  EXPECT_EQ(ReadOsVersion(*files->flash), files->config.osVersion);
  std::ostringstream info;
  PrintControllerInfo(*files, info);
  EXPECT_NE(info.str().find("OS image    present"), std::string::npos) << info.str();
}

TEST_F(ControllerMaintenanceTest, FlashFaultsApplyFromTheNextBootAndBadOnesChangeNothing) {
  const auto configFile = Dir() / "controller.json";
  {
    auto files = Open();
    std::string error;
    ASSERT_TRUE(AddFlashFault(*files, {"program", "0xBCA90000"}, &error)) << error;
    const std::string before = test::ReadFile(configFile);
    EXPECT_FALSE(AddFlashFault(*files, {"never-ready", "0", "9"}, &error));
    EXPECT_NE(error.find("chip"), std::string::npos) << error;
    EXPECT_FALSE(AddFlashFault(*files, {"program", "0xZZ"}, &error));
    EXPECT_FALSE(AddFlashFault(*files, {"melt"}, &error));
    EXPECT_EQ(test::ReadFile(configFile), before);
  }
  {
    auto files = Open();
    const std::uint8_t zeros[4] = {};
    EXPECT_EQ(ProgramFlashRange(*files->flash, FlashWindowBase, 0xBCA90000, 4, zeros), 0);
    std::string error;
    ASSERT_TRUE(AddFlashFault(*files, {"clear"}, &error)) << error;
  }
  auto files = Open();
  EXPECT_TRUE(files->config.flash["faults"].empty() || files->config.flash["faults"]["programFailures"].empty());
}

}  // namespace
}  // namespace talvon::sim
