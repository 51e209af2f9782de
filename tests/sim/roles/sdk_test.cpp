#include "sim/roles/sim_sdk.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "platform/clock.h"
#include "platform/text.h"
#include "sim/controller/controller_config.h"

namespace talvon::sim {
namespace {

class SdkTest : public ::testing::Test {
 protected:
  VirtualClock clock_;
  ControllerConfig config_ = DefaultControllerConfig();
  Backplane backplane_{config_.slots, clock_};
};

TEST_F(SdkTest, ModuleNamesComeFromTheSlots) {
  SimSdk sdk(config_, backplane_);
  char name[8];
  std::memset(name, 'x', sizeof name);
  EXPECT_EQ(sdk.GetNameOfModule(2, name), config_.slots[1].identifier);
  // Byte-wise the series text, terminator included.
  EXPECT_EQ(std::memcmp(name, ModuleSeriesText, sizeof ModuleSeriesText), 0);

  EXPECT_EQ(sdk.GetNameOfModule(3, name), ModuleTwoPortRs232);
  EXPECT_STREQ(name, "8142");

  std::memset(name, 'x', sizeof name);
  EXPECT_EQ(sdk.GetNameOfModule(6, name), NoModuleIdentifier);
  EXPECT_EQ(std::string(name, 8), std::string(8, '\0'));
  for (int outside : {0, 8, -1, 1000}) {
    std::memset(name, 'x', sizeof name);
    EXPECT_EQ(sdk.GetNameOfModule(outside, name), NoModuleIdentifier);
    EXPECT_EQ(name[0], '\0');
  }
}

TEST_F(SdkTest, LongestNameTextStillEndsWithinTheBuffer) {
  config_.slots[0].name = "ABCDEFG";
  SimSdk sdk(config_, backplane_);
  char name[8];
  std::memset(name, 'x', sizeof name);
  sdk.GetNameOfModule(1, name);
  EXPECT_EQ(std::string(name, 8), std::string("ABCDEFG\0", 8));
}

TEST_F(SdkTest, IdentityFiguresComeFromTheConfiguration) {
  config_.getSlotNo = 0x100;
  config_.flashSize = -5;
  SimSdk sdk(config_, backplane_);
  std::uint8_t buffer[8] = {};
  sdk.GetSystemSerialNumber(buffer);
  EXPECT_EQ(std::memcmp(buffer, config_.serialNumber.data(), 8), 0);
  std::memset(buffer, 0, sizeof buffer);
  sdk.ReadMAC(buffer);
  EXPECT_EQ(std::memcmp(buffer, config_.macAddress.data(), 6), 0);
  EXPECT_EQ(buffer[6], 0);
  EXPECT_EQ(buffer[7], 0);
  EXPECT_EQ(sdk.Get_Slot_No(), 0x100u);
  std::uint8_t scratch[8];
  EXPECT_EQ(sdk.GetFlashSize(scratch), -5);
}

TEST_F(SdkTest, VersionsFillTheWideBufferTerminated) {
  config_.sdkVersion = "SDK é 1";
  config_.osVersion = "fallback OS";
  SimSdk sdk(config_, backplane_);
  char16_t buffer[80];
  sdk.GetSDKversion(buffer);
  EXPECT_EQ(std::u16string(buffer), u"SDK é 1");
  sdk.GetOSversion(buffer);
  EXPECT_EQ(std::u16string(buffer), u"fallback OS");
  sdk.SetOsVersion("Image OS 5.0");
  sdk.GetOSversion(buffer);
  EXPECT_EQ(std::u16string(buffer), u"Image OS 5.0");
  sdk.SetOsVersion(std::nullopt);
  sdk.GetOSversion(buffer);
  EXPECT_EQ(std::u16string(buffer), u"fallback OS");

  // Too long: cut to 79 units, never through a surrogate pair.
  char16_t guarded[81];
  guarded[80] = u'#';
  sdk.SetOsVersion(std::string(78, 'v') + "😀");
  sdk.GetOSversion(guarded);
  EXPECT_EQ(std::u16string(guarded).size(), 78u);
  EXPECT_EQ(guarded[80], u'#');
  sdk.SetOsVersion(std::string(200, 'v'));
  sdk.GetOSversion(guarded);
  EXPECT_EQ(std::u16string(guarded).size(), 79u);
  EXPECT_EQ(guarded[80], u'#');
}

TEST_F(SdkTest, ResetRecordsARebootRequestOnly) {
  SimSdk sdk(config_, backplane_);
  EXPECT_FALSE(sdk.RebootRequested());
  sdk.Reset_TalVon();
  EXPECT_TRUE(sdk.RebootRequested());
  sdk.ClearRebootRequest();
  EXPECT_FALSE(sdk.RebootRequested());
}

TEST_F(SdkTest, ChangeSlotConnectsTheSerialLine) {
  SimSdk sdk(config_, backplane_);
  sdk.ChangeSlotTo53R(5);
  EXPECT_EQ(backplane_.SelectedSlot(), 5);
}

}  // namespace
}  // namespace talvon::sim
