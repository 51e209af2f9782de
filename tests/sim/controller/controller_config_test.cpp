#include "sim/controller/controller_config.h"

#include <gtest/gtest.h>

#include <string>

#include "sdk/controller_sdk.h"
#include "support/temp_dir.h"

namespace talvon::sim {
namespace {

using test::TempDir;
using test::WriteFile;

// The default configuration with one part of it replaced.
std::string DefaultWith(const std::string& pointer, const nlohmann::json& value) {
  nlohmann::json config = nlohmann::json::parse(ControllerConfigToJson(DefaultControllerConfig()));
  config[nlohmann::json::json_pointer(pointer)] = value;
  return config.dump();
}

std::string ErrorOf(const std::string& text) {
  std::string error;
  EXPECT_FALSE(ParseControllerConfig(text, &error).has_value()) << text;
  return error;
}

TEST(ControllerConfig, DefaultHoldsEachKindOfModuleAndEmptySlots) {
  ControllerConfig config = DefaultControllerConfig();
  int ordinary = 0, serialBus = 0, twoPort = 0, empty = 0;
  for (const SlotConfig& slot : config.slots) {
    if (!slot.occupied) {
      ++empty;
    } else if (slot.name == ModuleSeriesText) {
      EXPECT_TRUE(slot.IsSerialBusModule());
      ++serialBus;
    } else if (slot.identifier == ModuleTwoPortRs232) {
      ++twoPort;
    } else {
      EXPECT_FALSE(slot.busName.has_value());
      ++ordinary;
    }
  }
  EXPECT_GE(ordinary, 1);
  EXPECT_EQ(serialBus, 1);
  EXPECT_EQ(twoPort, 1);
  EXPECT_GE(empty, 1);
  EXPECT_NE(config.getSlotNo & 0xFF, 0u);
}

TEST(ControllerConfig, WrittenJsonReadsBackTheSame) {
  ControllerConfig config = DefaultControllerConfig();
  config.slots[1].reply = BusReply::Late;
  config.slots[1].replyDelayMs = 250;
  config.slots[6].occupied = true;
  config.slots[6].identifier = 3;
  config.slots[6].name = "";
  config.slots[6].busName = "X";
  config.slots[6].reply = BusReply::ZeroByte;
  config.slots[6].zeroBytePosition = 2;
  config.flash = nlohmann::json::parse(R"({"banks": [{"chips": 2}]})");
  const std::string text = ControllerConfigToJson(config);
  std::string error;
  auto back = ParseControllerConfig(text, &error);
  ASSERT_TRUE(back) << error;
  EXPECT_EQ(ControllerConfigToJson(*back), text);
  EXPECT_EQ(back->slots[1].replyDelayMs, 250u);
  EXPECT_EQ(back->slots[6].zeroBytePosition, 2u);
  EXPECT_EQ(back->flash["banks"][0]["chips"], 2);
  EXPECT_EQ(back->serialNumber, config.serialNumber);
  EXPECT_EQ(back->macAddress, config.macAddress);
}

TEST(ControllerConfig, MissingFieldsTakeTheDefaultControllers) {
  std::string error;
  auto config = ParseControllerConfig(R"({"getSlotNo": 0, "memory": {"storagePages": 2048}})", &error);
  ASSERT_TRUE(config) << error;
  EXPECT_EQ(config->getSlotNo, 0u);
  EXPECT_EQ(config->memory.storagePages, 2048u);
  EXPECT_EQ(config->memory.totalPages, DefaultControllerConfig().memory.totalPages);
  EXPECT_EQ(config->slots[1].busName, DefaultControllerConfig().slots[1].busName);
  EXPECT_TRUE(config->flash.is_null());
}

TEST(ControllerConfig, HexBytesAcceptCommonSpellings) {
  std::string error;
  auto config = ParseControllerConfig(R"({"serialNumber": "0102030405060708", "macAddress": "aa-bb-cc-dd-ee-ff"})",
                                      &error);
  ASSERT_TRUE(config) << error;
  EXPECT_EQ(config->serialNumber[7], 0x08);
  EXPECT_EQ(config->macAddress[0], 0xAA);
}

TEST(ControllerConfig, ErrorsNameTheField) {
  struct Case {
    std::string text;
    std::string message;
  };
  const Case cases[] = {
      {DefaultWith("/slots/3/identifier", "x"), "slots[3].identifier (slot 4): expected an integer"},
      {DefaultWith("/slots/3/identifier", 1.5), "slots[3].identifier (slot 4): expected an integer"},
      {DefaultWith("/slots/0/identifier", true), "slots[0].identifier (slot 1): expected an integer"},
      {DefaultWith("/slots/0/identifier", 4294967296LL), "slots[0].identifier (slot 1): must be"},
      {DefaultWith("/colour", "red"), "colour: unknown field"},
      {DefaultWith("/slots/0/colour", "red"), "slots[0].colour: unknown field"},
      {DefaultWith("/memory/bogus", 1), "memory.bogus: unknown field"},
      {DefaultWith("/slots", nlohmann::json::array({nullptr})), "slots: expected an array of 7 entries"},
      {DefaultWith("/slots/4", 17), "slots[4] (slot 5): expected a module object"},
      {DefaultWith("/slots/0/name", "80170000"), "slots[0].name (slot 1): longer than 7 characters"},
      {DefaultWith("/slots/0/name", "Donn\u00e9ess"), "slots[0].name (slot 1): longer than 7 characters"},
      {DefaultWith("/slots/1/busName", "\u0100"), "slots[1].busName (slot 2): has a character beyond Latin-1"},
      {DefaultWith("/slots/0/name", std::string("80\0" "17", 5)), "slots[0].name (slot 1): must not contain"},
      {DefaultWith("/slots/4", {{"name", "8017"}}), "slots[4].identifier (slot 5): missing"},
      {DefaultWith("/slots/0/reply", "late"), "slots[0].reply (slot 1): only a serial-bus module"},
      {DefaultWith("/slots/1/reply", "sideways"), "slots[1].reply (slot 2): expected one of \"normal\""},
      {DefaultWith("/slots/1/reply", "late"), "slots[1].replyDelayMs (slot 2): missing"},
      {DefaultWith("/slots/1/replyDelayMs", 5), "slots[1].replyDelayMs (slot 2): only for \"reply\": \"late\""},
      {DefaultWith("/slots/1", {{"identifier", 55}, {"name", "8000"}, {"busName", "87055"}, {"reply", "late"},
                                {"replyDelayMs", -5}}),
       "slots[1].replyDelayMs (slot 2): must be between 0"},
      {DefaultWith("/slots/1/busName", std::string(33, 'n')), "slots[1].busName (slot 2): longer than 32"},
      {DefaultWith("/serialNumber", "01 02 03"), "serialNumber: expected 8 bytes in hexadecimal"},
      {DefaultWith("/serialNumber", "0102030405060708090A"), "serialNumber: expected 8 bytes"},
      {DefaultWith("/macAddress", "zz:bb:cc:dd:ee:ff"), "macAddress: expected 6 bytes"},
      {DefaultWith("/macAddress", 12), "macAddress: expected 6 bytes"},
      {DefaultWith("/sdkVersion", std::string(80, 'v')), "sdkVersion: longer than 79 bytes"},
      {DefaultWith("/flashSize", 2147483648LL), "flashSize: must be between"},
      {DefaultWith("/getSlotNo", -1), "getSlotNo: must be between 0 and 4294967295"},
      {DefaultWith("/flash", "chips"), "flash: expected an object"},
      {DefaultWith("/memory/pageSize", 1000), "memory.pageSize: must be a power of two"},
      {DefaultWith("/memory/pageSize", 512), "memory.pageSize"},
      {DefaultWith("/memory/storagePages", 9000), "memory.storagePages: more than totalPages"},
      {DefaultWith("/memory/totalPages", 0), "memory.totalPages"},
      {DefaultWith("/memory/totalPages", 1048576), "memory.totalPages"},
      {DefaultWith("/memory/storageUsedBytes", 4096 * 4096 + 1), "memory.storageUsedBytes: more than"},
      {DefaultWith("/memory/programUsedBytes", 4096 * 4096 + 1), "memory.programUsedBytes: more than"},
      {"[1, 2]", "expected a JSON object at the top level"},
      {"{\"slots\": ", "not valid JSON"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(ErrorOf(c.text).rfind(c.message, 0), 0u) << "got \"" << ErrorOf(c.text) << "\"\nwanted \"" << c.message
                                                        << "\"";
  }
}

TEST(ControllerConfig, ModuleNamesCountTheLatinOneCharactersTheModuleHolds) {
  std::string error;
  nlohmann::json json = nlohmann::json::parse(DefaultWith("/slots/0/name", "Donn\u00e9es"));  // 8 bytes of UTF-8
  json["slots"][1]["busName"] = "R\u00e9gl\u00e9" + std::string(27, 'x');                      // 32 characters
  json["slots"][1]["reply"] = "zeroByte";
  json["slots"][1]["zeroBytePosition"] = 35;  // the CR after them
  const auto config = ParseControllerConfig(json.dump(), &error);
  ASSERT_TRUE(config) << error;
  EXPECT_EQ(ModuleNameBytes(config->slots[0].name), "Donn\xE9" "es");
  json["slots"][1]["zeroBytePosition"] = 36;
  EXPECT_FALSE(ParseControllerConfig(json.dump(), &error));
}

TEST(ControllerConfig, ZeroBytePositionMustFallInsideTheReply) {
  // "!00" + "87055" + CR: positions 0 to 8.
  std::string text = DefaultWith("/slots/1/reply", "zeroByte");
  nlohmann::json json = nlohmann::json::parse(text);
  json["slots"][1]["zeroBytePosition"] = 8;
  std::string error;
  EXPECT_TRUE(ParseControllerConfig(json.dump(), &error)) << error;
  json["slots"][1]["zeroBytePosition"] = 9;
  EXPECT_EQ(ErrorOf(json.dump()).rfind("slots[1].zeroBytePosition (slot 2): must be between 0 and 8", 0), 0u);
}

TEST(ControllerConfig, FilesAreSavedAndLoadedWithTheFileNamedInErrors) {
  TempDir dir;
  const auto file = dir.Path() / "controller.json";
  std::string error;
  EXPECT_FALSE(LoadControllerConfig(file, &error));
  EXPECT_NE(error.find("controller.json"), std::string::npos);

  ControllerConfig config = DefaultControllerConfig();
  config.sdkVersion = "SDK 9";
  ASSERT_TRUE(SaveControllerConfig(config, file, &error)) << error;
  auto loaded = LoadControllerConfig(file, &error);
  ASSERT_TRUE(loaded) << error;
  EXPECT_EQ(loaded->sdkVersion, "SDK 9");

  WriteFile(file, R"({"getSlotNo": "seven"})");
  EXPECT_FALSE(LoadControllerConfig(file, &error));
  EXPECT_EQ(error, "controller.json: getSlotNo: expected an integer");
}

}  // namespace
}  // namespace talvon::sim
