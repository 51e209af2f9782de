// The display mode's registry rows on a registry in memory: what a read
// leaves in the record, and what a save that is partly refused tells.
#include "pages/general/display_settings.h"

#include <gtest/gtest.h>

#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "support/fakes.h"
#include "pages/general/general_registry.h"
#include "support/sim_page_test.h"

namespace talvon::test {
namespace {

using general_registry::DisplayModeKey;

TEST(DisplaySettings, AShortValueChangesOnlyItsOwnBytesAndALongOrMissingOneNothing) {
  FakeRegistry registry;
  auto& values = registry.keys[Lower(DisplayModeKey)];
  values["cxscreen"] = {REG_BINARY, {0x20, 0x03}};  // two bytes of 800, stored by hand
  values["cyscreen"] = {REG_DWORD, std::vector<std::uint8_t>(8, 0x01)};
  values["bpp"] = {REG_DWORD, {16, 0, 0, 0}};
  VirtualClock clock;
  DisplayMode mode{0xAAAA0000, 0xBBBBBBBB, 0, 0xCCCCCCCC};
  LoadDisplayMode(registry, clock, mode);
  EXPECT_EQ(mode.width, 0xAAAA0320u);
  EXPECT_EQ(mode.height, 0xBBBBBBBBu);
  EXPECT_EQ(mode.bpp, 16u);
  EXPECT_EQ(mode.freq, 0xCCCCCCCCu);
}

TEST(DisplaySettings, ASaveNamesEachRefusedValueInOrderAndStillWritesTheOthers) {
  FakeRegistry inner;
  inner.AddKey(DisplayModeKey);
  const std::set<std::string> failOpen;
  const std::set<std::string> failSet = {"cyscreen", "freq"};
  FaultyRegistry registry(inner, failOpen, failSet);
  const DisplaySaveResult saved = WriteDisplayMode(registry, {800, 600, 8, 70});
  EXPECT_TRUE(saved.keyOpened);
  EXPECT_EQ(saved.failedValues, (std::vector<std::string_view>{"CyScreen", "Freq"}));
  const auto& values = inner.keys[Lower(DisplayModeKey)];
  EXPECT_EQ(values.at("cxscreen").data, (std::vector<std::uint8_t>{0x20, 0x03, 0, 0}));
  EXPECT_EQ(values.at("bpp").data, (std::vector<std::uint8_t>{8, 0, 0, 0}));
  EXPECT_FALSE(values.contains("freq"));
}

}  // namespace
}  // namespace talvon::test
