// Settings read and written through their rows: type and size are checked,
// nothing is written that does not fit, and the key is closed on every path.
#include "platform/registry_setting.h"

#include <gtest/gtest.h>

#include "platform/text.h"
#include "sim/registry/memory_hive_storage.h"
#include "sim/registry/sim_registry.h"

namespace talvon {
namespace {

constexpr RegistrySetting kCount{"Velmar", "Count", REG_DWORD, 4};
constexpr RegistrySetting kName{"Velmar", "Name", REG_SZ, 8};
constexpr RegistrySetting kPaddedName{"Velmar", "Name", REG_SZ, 8, true};

class RegistrySettingTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(registry.ImportText("REGEDIT4\n\n[HKEY_LOCAL_MACHINE\\Velmar]\n"
                                    "\"Count\"=dword:00000007\n"
                                    "\"Short\"=hex(4):01,02\n"
                                    "\"Name\"=\"abc\"\n"
                                    "\"Tiny\"=\"a\"\n")
                    .ok);
  }
  const sim::RegistryValue* Stored(std::string_view name) { return registry.Store().FindValue("Velmar", name); }
  void TearDown() override { EXPECT_EQ(registry.OpenHandleCount(), 0u); }

  sim::MemoryHiveStorage storage;
  sim::SimRegistry registry{storage};
};

TEST_F(RegistrySettingTest, ReadsCheckTypeAndSize) {
  std::uint32_t value = 0;
  EXPECT_EQ(ReadDwordSetting(registry, kCount, &value), SettingResult::Done);
  EXPECT_EQ(value, 7u);
  EXPECT_EQ(ReadDwordSetting(registry, {"Velmar", "Tiny", REG_DWORD, 4}, &value), SettingResult::WrongType);
  EXPECT_EQ(ReadDwordSetting(registry, {"Velmar", "Short", REG_DWORD, 4}, &value), SettingResult::WrongSize);
  EXPECT_EQ(ReadDwordSetting(registry, {"Velmar", "None", REG_DWORD, 4}, &value), SettingResult::NoValue);
  EXPECT_EQ(ReadDwordSetting(registry, {"Nowhere", "Count", REG_DWORD, 4}, &value), SettingResult::NoKey);
  EXPECT_EQ(value, 7u);

  std::string text = "untouched";
  EXPECT_EQ(ReadTextSetting(registry, {"Velmar", "Name", REG_SZ, 6}, &text), SettingResult::WrongSize);
  EXPECT_EQ(ReadTextSetting(registry, {"Velmar", "Count", REG_SZ, 8}, &text), SettingResult::WrongType);
  EXPECT_EQ(text, "untouched");
  EXPECT_EQ(ReadTextSetting(registry, kName, &text), SettingResult::Done);
  EXPECT_EQ(text, "abc");
}

TEST_F(RegistrySettingTest, BytesReadAreOnlyWhatTheValueHolds) {
  SettingsKey key(registry, "Velmar");
  std::vector<std::uint8_t> data;
  std::uint32_t type = 0;
  ASSERT_EQ(key.ReadBytes({"Velmar", "Name", REG_NONE, 400}, &data, &type), SettingResult::Done);
  EXPECT_EQ(data.size(), 8u);
  ASSERT_EQ(key.ReadBytes({"Velmar", "Short", REG_NONE, 400}, &data, &type), SettingResult::Done);
  EXPECT_EQ(data, (std::vector<std::uint8_t>{1, 2}));
  EXPECT_EQ(type, REG_DWORD);
}

TEST_F(RegistrySettingTest, TextIsWrittenWholeOrNotAtAll) {
  EXPECT_EQ(WriteTextSetting(registry, kName, "abcd"), SettingResult::TooLong);  // 10 bytes with its terminator
  EXPECT_EQ(FromRegSz(Stored("Name")->data.data(), Stored("Name")->data.size()), "abc");

  EXPECT_EQ(WriteTextSetting(registry, kName, "x"), SettingResult::Done);
  EXPECT_EQ(Stored("Name")->data, (std::vector<std::uint8_t>{'x', 0, 0, 0}));
  EXPECT_EQ(WriteTextSetting(registry, kPaddedName, "x"), SettingResult::Done);
  EXPECT_EQ(Stored("Name")->data, (std::vector<std::uint8_t>{'x', 0, 0, 0, 0, 0, 0, 0}));
  EXPECT_EQ(Stored("Name")->type, REG_SZ);

  EXPECT_EQ(WriteDwordSetting(registry, {"Nowhere", "Count", REG_DWORD, 4}, 1), SettingResult::NoKey);
  EXPECT_EQ(registry.Store().Find("Nowhere"), nullptr);  // never created
}

}  // namespace
}  // namespace talvon
