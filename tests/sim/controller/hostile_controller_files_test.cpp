// A controller whose files were lost, mangled or written by hand, booted
// the way the utility boots it.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "platform/text.h"
#include "sim/controller/simulated_controller.h"
#include "support/temp_dir.h"

namespace talvon::sim {
namespace {

namespace fs = std::filesystem;
using ::testing::HasSubstr;
using test::TempDir;
using test::WriteFile;

class HostileControllerFiles : public ::testing::Test {
 protected:
  fs::path Controller() const { return dir_.Path() / "controller"; }
  std::unique_ptr<SimulatedController> Boot() {
    ControllerOptions options;
    options.childOutput = SimProcesses::ChildOutput::Discard;
    error_.clear();
    return SimulatedController::Boot(Controller(), clock_, &error_, options);
  }

  TempDir dir_;
  VirtualClock clock_;
  std::string error_;
};

TEST_F(HostileControllerFiles, AMissingFlashBinStopsTheBootAndIsNotMadeBlank) {
  ASSERT_NE(Boot(), nullptr) << error_;
  fs::remove(Controller() / "flash.bin");
  EXPECT_EQ(Boot(), nullptr);
  EXPECT_THAT(error_, HasSubstr("flash.bin missing"));
  EXPECT_FALSE(fs::exists(Controller() / "flash.bin"));
}

TEST_F(HostileControllerFiles, ASavedHiveBootsWithoutFactoryReg) {
  {
    auto controller = Boot();
    ASSERT_NE(controller, nullptr) << error_;
    Registry& registry = controller->GetPlatform().registry;
    HKEY key = 0;
    ASSERT_EQ(registry.CreateKey(HKEY_LOCAL_MACHINE, "Saved", &key, nullptr), ERROR_SUCCESS);
    const auto text = ToRegSz("kept");
    ASSERT_EQ(registry.SetValue(key, "Value", REG_SZ, text.data(), static_cast<std::uint32_t>(text.size())),
              ERROR_SUCCESS);
    registry.CloseKey(key);
    ASSERT_EQ(registry.FlushKey(HKEY_LOCAL_MACHINE), ERROR_SUCCESS);
  }
  fs::remove(Controller() / "factory.reg");
  auto controller = Boot();
  ASSERT_NE(controller, nullptr) << error_;
  EXPECT_EQ(controller->RegistryBoot().source, RegistryBootSource::SavedHive);
  HKEY key = 0;
  EXPECT_EQ(controller->GetPlatform().registry.OpenKey(HKEY_LOCAL_MACHINE, "Saved", 0xF003F, &key), ERROR_SUCCESS);
}

TEST_F(HostileControllerFiles, WithoutAHiveAndWithoutFactoryRegTheBootSaysWhy) {
  ASSERT_NE(Boot(), nullptr) << error_;  // the registry area stays blank
  fs::remove(Controller() / "factory.reg");
  EXPECT_EQ(Boot(), nullptr);
  EXPECT_THAT(error_, HasSubstr("factory.reg is missing"));
}

TEST_F(HostileControllerFiles, AControllerJsonNestedThousandsDeepIsRefused) {
  ASSERT_NE(Boot(), nullptr) << error_;
  WriteFile(Controller() / "controller.json",
            "{\"flash\": {\"banks\": " + std::string(50000, '[') + std::string(50000, ']') + "}}");
  EXPECT_EQ(Boot(), nullptr);
  EXPECT_THAT(error_, HasSubstr("nested more than 32 levels"));
}

TEST_F(HostileControllerFiles, ANumberNoDoubleHoldsIsRefusedWithAMessage) {
  std::string error;
  EXPECT_EQ(ParseControllerConfig(R"({"flash": {"banks": [{"regions": [{"blockSize": 16e384}]}]}})", &error),
            std::nullopt);
  EXPECT_THAT(error, HasSubstr("number overflow"));
}

}  // namespace
}  // namespace talvon::sim
