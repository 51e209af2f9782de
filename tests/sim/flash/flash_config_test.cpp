#include "sim/flash/flash_config.h"

#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include "flash/flash_areas.h"

namespace talvon::sim {
namespace {

using nlohmann::json;

TEST(FlashConfig, DefaultIsOneBankOfTwo16BitIntelChipsFillingTheWindow) {
  const FlashConfig config = DefaultFlashConfig();
  ASSERT_EQ(config.banks.size(), 1u);
  const FlashBankConfig& bank = config.banks[0];
  EXPECT_EQ(bank.commandSet, 1u);
  EXPECT_EQ(bank.busWidth, 4u);
  EXPECT_EQ(bank.chips, 2u);
  EXPECT_EQ(bank.deviceSize, 16u << 20);
  ASSERT_EQ(bank.regions.size(), 1u);
  EXPECT_EQ(bank.regions[0].blockSize, 128u << 10);
  EXPECT_EQ(bank.regions[0].blockCount, 128u);
  EXPECT_EQ(FlashBankSize(bank), FlashWindowSize);
  std::string error;
  EXPECT_TRUE(ValidateFlashConfig(config, &error)) << error;
}

TEST(FlashConfig, JsonRoundTripKeepsLayoutAndFaults) {
  FlashConfig config;
  FlashBankConfig amd;
  amd.commandSet = 2;
  amd.busWidth = 2;
  amd.chips = 1;
  amd.deviceSize = 2u << 20;
  amd.regions = {{16u << 10, 1}, {8u << 10, 2}, {32u << 10, 1}, {64u << 10, 31}};
  amd.timing = {16, 512, 1024, 16384};
  amd.chipExtraPolls = {3};
  config.banks = {DefaultFlashConfig().banks[0], amd};
  config.banks[0].deviceSize = 8u << 20;
  config.banks[0].regions = {{128u << 10, 64}};
  config.faults.eraseFailures = {{0xBCA40000, 1u}, {0xBDA10000, std::nullopt}};
  config.faults.programFailures = {0xBCA80004};
  config.faults.stuckBits = {{0xBCA80010, 0x81, true}};
  config.faults.neverReady = {{1, 0}};
  config.faults.noCfi = {{0, 1}};
  config.faults.powerLossAtCycle = 123456789012ull;

  const json j = FlashConfigToJson(config);
  FlashConfig back;
  std::string error;
  ASSERT_TRUE(ParseFlashConfig(j, &back, &error)) << error;
  EXPECT_EQ(FlashConfigToJson(back), j);
  EXPECT_EQ(back.banks[1].regions.size(), 4u);
  EXPECT_EQ(back.faults.stuckBits[0].mask, 0x81);
  EXPECT_EQ(back.faults.eraseFailures[1].chip, std::nullopt);
  EXPECT_EQ(j["faults"]["programFailures"][0], "0xBCA80004");
}

TEST(FlashConfig, ReadsHexAddressesNamedSetsAndDefaultsForMissingFields) {
  const json j = json::parse(R"({
    "banks": [{"commandSet": "amd", "busWidth": 4, "chips": 4, "deviceSize": "0x800000",
               "regions": [{"blockSize": 65536, "blocks": 128}]}],
    "faults": {"programFailures": ["0xBCA00010", 3164602388]}
  })");
  FlashConfig config;
  std::string error;
  ASSERT_TRUE(ParseFlashConfig(j, &config, &error)) << error;
  EXPECT_EQ(config.banks[0].commandSet, 2u);
  EXPECT_EQ(config.banks[0].deviceSize, 8u << 20);
  EXPECT_EQ(config.banks[0].programPolls, FlashBankConfig{}.programPolls);
  EXPECT_EQ(config.faults.programFailures, (std::vector<std::uint32_t>{0xBCA00010, 3164602388u}));

  FlashConfig empty;
  ASSERT_TRUE(ParseFlashConfig(json::object(), &empty, &error)) << error;
  EXPECT_EQ(FlashConfigToJson(empty), FlashConfigToJson(DefaultFlashConfig()));
}

TEST(FlashConfig, BadInputIsRefusedNamingTheField) {
  struct Case {
    const char* text;
    const char* field;
  };
  const Case cases[] = {
      {R"({"banks": [{"busWidth": 3}]})", "flash.banks[0].busWidth"},
      {R"({"banks": [{"busWidth": 2, "chips": 4}]})", "flash.banks[0].chips"},
      {R"({"banks": [{"busWdith": 4}]})", "flash.banks[0].busWdith: unknown field"},
      {R"({"banks": [{"commandSet": "sharp"}]})", "flash.banks[0].commandSet"},
      {R"({"banks": [{"commandSet": 3}]})", "flash.banks[0].commandSet"},
      {R"({"banks": [{"deviceSize": 8388608}]})", "flash.banks[0].regions"},
      {R"({"banks": [{"regions": [{"blockSize": 1000, "blocks": 1}]}]})", "flash.banks[0].regions[0].blockSize"},
      {R"({"banks": [{"chips": -1}]})", "flash.banks[0].chips: must not be negative"},
      {R"({"banks": [{"timing": {"blockEraseMs": 1000}}]})", "flash.banks[0].timing.blockEraseMs"},
      {R"({"banks": [{}, {}]})", "flash.banks: the banks hold"},
      {R"({"banks": []})", "flash.banks"},
      {R"({"banks": {}})", "flash.banks: must be an array"},
      {R"({"faults": {"programFailures": ["0xBEA00000"]}})", "flash.faults.programFailures[0]"},
      {R"({"faults": {"eraseFailures": [{"address": "0xBCA00000", "chip": 2}]}})",
       "flash.faults.eraseFailures[0].chip"},
      {R"({"faults": {"stuckBits": [{"address": "0xBCA00000", "mask": 256}]}})", "flash.faults.stuckBits[0].mask"},
      {R"({"faults": {"neverReady": [{"bank": 1, "chip": 0}]}})", "flash.faults.neverReady[0].bank"},
      {R"({"faults": {"noCfi": [{"chip": "zero"}]}})", "flash.faults.noCfi[0].chip"},
      {R"({"faults": {"powerLossAtCycle": "soon"}})", "flash.faults.powerLossAtCycle"},
      {R"([1, 2])", "flash: must be an object"},
  };
  for (const Case& c : cases) {
    FlashConfig config;
    config.banks[0].programPolls = 77;
    std::string error;
    EXPECT_FALSE(ParseFlashConfig(json::parse(c.text), &config, &error)) << c.text;
    EXPECT_NE(error.find(c.field), std::string::npos) << c.text << " gave: " << error;
    EXPECT_EQ(config.banks[0].programPolls, 77u) << "changed on bad input: " << c.text;
  }
}

}  // namespace
}  // namespace talvon::sim
