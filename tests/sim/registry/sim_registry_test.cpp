#include "sim/registry/sim_registry.h"

#include <gtest/gtest.h>

#include <cstring>

#include "platform/text.h"
#include "sim/registry/hive_format.h"
#include "sim/registry/memory_hive_storage.h"

namespace talvon::sim {
namespace {

constexpr std::string_view SmallFactory =
    "REGEDIT4\n\n[HKEY_LOCAL_MACHINE\\Init]\n\"Launch80\"=\"factory.exe\"\n";

class SimRegistryTest : public ::testing::Test {
 protected:
  SimRegistryTest() { registry.Boot(SmallFactory); }

  HKEY Create(std::string_view path) {
    HKEY key = 0;
    EXPECT_EQ(registry.CreateKey(HKEY_LOCAL_MACHINE, path, &key, nullptr), ERROR_SUCCESS);
    return key;
  }

  void SetDword(HKEY key, std::string_view name, std::uint32_t value) {
    std::uint8_t bytes[4];
    std::memcpy(bytes, &value, 4);
    ASSERT_EQ(registry.SetValue(key, name, REG_DWORD, bytes, 4), ERROR_SUCCESS);
  }

  MemoryHiveStorage storage;
  SimRegistry registry{storage};
};

TEST_F(SimRegistryTest, OpeningAMissingKeyFailsWithFileNotFound) {
  HKEY key = 123;
  EXPECT_EQ(registry.OpenKey(HKEY_LOCAL_MACHINE, "Drivers\\BuiltIn\\Serial5", KEY_ALL_ACCESS, &key),
            ERROR_FILE_NOT_FOUND);
  EXPECT_EQ(key, 0u);
  EXPECT_EQ(registry.OpenHandleCount(), 0u);
}

TEST_F(SimRegistryTest, CreateMakesIntermediateKeysAndOpenIgnoresCase) {
  bool created = false;
  HKEY key = 0;
  ASSERT_EQ(registry.CreateKey(HKEY_LOCAL_MACHINE, "Comm\\HTTPD\\VROOTS\\/", &key, &created), ERROR_SUCCESS);
  EXPECT_TRUE(created);
  registry.CloseKey(key);
  ASSERT_EQ(registry.CreateKey(HKEY_LOCAL_MACHINE, "comm\\httpd\\vroots\\/", &key, &created), ERROR_SUCCESS);
  EXPECT_FALSE(created);
  registry.CloseKey(key);
  HKEY middle = 0;
  ASSERT_EQ(registry.OpenKey(HKEY_LOCAL_MACHINE, "COMM\\Httpd", KEY_READ, &middle), ERROR_SUCCESS);
  // Paths below an open key are relative to it.
  HKEY leaf = 0;
  EXPECT_EQ(registry.OpenKey(middle, "Vroots\\/", KEY_ALL_ACCESS, &leaf), ERROR_SUCCESS);
  EXPECT_EQ(registry.Store().Find("Comm\\HTTPD\\VROOTS\\/")->Path(), "Comm\\HTTPD\\VROOTS\\/");
  registry.CloseKey(leaf);
  registry.CloseKey(middle);
  EXPECT_EQ(registry.OpenHandleCount(), 0u);
}

TEST_F(SimRegistryTest, SizedQueryAnswersMoreDataWithoutCopying) {
  HKEY key = Create("Comm\\FTPD");
  std::vector<std::uint8_t> dir = ToRegSz("\\CompactFlash");  // 28 bytes
  ASSERT_EQ(registry.SetValue(key, "DefaultDir", REG_SZ, dir.data(), static_cast<std::uint32_t>(dir.size())),
            ERROR_SUCCESS);

  std::uint32_t type = 0;
  std::uint32_t size = 0;
  EXPECT_EQ(registry.QueryValue(key, "defaultdir", &type, nullptr, &size), ERROR_SUCCESS);
  EXPECT_EQ(type, REG_SZ);
  EXPECT_EQ(size, 28u);

  std::uint8_t small[27];
  std::memset(small, 0xEE, sizeof small);
  size = sizeof small;
  type = 0;
  EXPECT_EQ(registry.QueryValue(key, "DefaultDir", &type, small, &size), ERROR_MORE_DATA);
  EXPECT_EQ(size, 28u);
  EXPECT_EQ(type, REG_SZ);
  for (std::uint8_t b : small) ASSERT_EQ(b, 0xEE);

  std::uint8_t big[200];
  size = sizeof big;
  EXPECT_EQ(registry.QueryValue(key, "DefaultDir", nullptr, big, &size), ERROR_SUCCESS);
  EXPECT_EQ(size, 28u);
  EXPECT_EQ(FromRegSz(big, size), "\\CompactFlash");

  EXPECT_EQ(registry.QueryValue(key, "Missing", &type, big, &size), ERROR_FILE_NOT_FOUND);
  EXPECT_EQ(registry.QueryValue(key, "DefaultDir", &type, big, nullptr), ERROR_INVALID_PARAMETER);
  registry.CloseKey(key);
}

TEST_F(SimRegistryTest, SetKeepsExactlyTheByteCountGiven) {
  HKEY key = Create("Comm\\FTPD");
  std::uint8_t padded[200] = {};
  std::vector<std::uint8_t> text = ToRegSz("\\Temp");
  std::memcpy(padded, text.data(), text.size());
  ASSERT_EQ(registry.SetValue(key, "DefaultDir", REG_SZ, padded, 200), ERROR_SUCCESS);
  std::uint8_t odd[3] = {'a', 0, 'b'};
  ASSERT_EQ(registry.SetValue(key, "Odd", REG_SZ, odd, 3), ERROR_SUCCESS);
  ASSERT_EQ(registry.SetValue(key, "Pa1", REG_BINARY, nullptr, 0), ERROR_SUCCESS);

  std::uint32_t size = 0;
  registry.QueryValue(key, "DefaultDir", nullptr, nullptr, &size);
  EXPECT_EQ(size, 200u);
  registry.QueryValue(key, "Odd", nullptr, nullptr, &size);
  EXPECT_EQ(size, 3u);
  std::uint32_t type = 0;
  std::uint8_t buffer[4];
  size = sizeof buffer;
  EXPECT_EQ(registry.QueryValue(key, "Pa1", &type, buffer, &size), ERROR_SUCCESS);
  EXPECT_EQ(size, 0u);
  EXPECT_EQ(type, REG_BINARY);

  EXPECT_EQ(registry.SetValue(key, "Null", REG_BINARY, nullptr, 4), ERROR_INVALID_PARAMETER);
  std::vector<std::uint8_t> huge(MaxRegistryValueSize + 1);
  EXPECT_EQ(registry.SetValue(key, "Huge", REG_BINARY, huge.data(), static_cast<std::uint32_t>(huge.size())),
            ERROR_INVALID_PARAMETER);
  EXPECT_EQ(registry.SetValue(key, std::string(300, 'n'), REG_BINARY, huge.data(), 1), ERROR_INVALID_PARAMETER);
  registry.CloseKey(key);
}

TEST_F(SimRegistryTest, DeleteValueFailsOnAMissingValue) {
  HKEY key = Create("Drivers\\BuiltIn\\Dmc9x00");
  SetDword(key, "X_0", 5);
  EXPECT_EQ(registry.DeleteValue(key, "x_0"), ERROR_SUCCESS);
  EXPECT_EQ(registry.DeleteValue(key, "X_0"), ERROR_FILE_NOT_FOUND);
  registry.CloseKey(key);
}

TEST_F(SimRegistryTest, DeleteKeyTakesSubkeysAndItsHandlesFailCleanly) {
  HKEY port = Create("Drivers\\BuiltIn\\Serial5");
  HKEY modem = Create("Drivers\\BuiltIn\\Serial5\\Unimodem");
  SetDword(modem, "DeviceType", 0);
  ASSERT_EQ(registry.DeleteKey(HKEY_LOCAL_MACHINE, "drivers\\builtin\\serial5"), ERROR_SUCCESS);
  HKEY reopened = 0;
  EXPECT_EQ(registry.OpenKey(HKEY_LOCAL_MACHINE, "Drivers\\BuiltIn\\Serial5\\Unimodem", KEY_ALL_ACCESS, &reopened),
            ERROR_FILE_NOT_FOUND);
  EXPECT_EQ(registry.DeleteKey(HKEY_LOCAL_MACHINE, "Drivers\\BuiltIn\\Serial5"), ERROR_FILE_NOT_FOUND);

  std::uint32_t size = 4;
  std::uint8_t data[4];
  EXPECT_EQ(registry.QueryValue(modem, "DeviceType", nullptr, data, &size), ERROR_KEY_DELETED);
  EXPECT_EQ(registry.SetValue(port, "Index", REG_DWORD, data, 4), ERROR_KEY_DELETED);
  // A key created again under the same name is a new key: the old handle
  // does not come back to life.
  HKEY fresh = Create("Drivers\\BuiltIn\\Serial5");
  EXPECT_EQ(registry.SetValue(port, "Index", REG_DWORD, data, 4), ERROR_KEY_DELETED);
  EXPECT_EQ(registry.CloseKey(port), ERROR_SUCCESS);
  EXPECT_EQ(registry.CloseKey(modem), ERROR_SUCCESS);
  EXPECT_EQ(registry.CloseKey(fresh), ERROR_SUCCESS);
  EXPECT_EQ(registry.DeleteKey(HKEY_LOCAL_MACHINE, ""), ERROR_INVALID_PARAMETER);
}

TEST_F(SimRegistryTest, OtherRootsAndUnknownHandlesAreInvalid) {
  constexpr HKEY HKEY_CURRENT_USER = 0x80000001;
  HKEY key = 0;
  std::uint32_t size = 0;
  EXPECT_EQ(registry.OpenKey(HKEY_CURRENT_USER, "Init", KEY_ALL_ACCESS, &key), ERROR_INVALID_HANDLE);
  EXPECT_EQ(registry.CreateKey(HKEY_CURRENT_USER, "Init", &key, nullptr), ERROR_INVALID_HANDLE);
  EXPECT_EQ(registry.QueryValue(0, "x", nullptr, nullptr, &size), ERROR_INVALID_HANDLE);
  EXPECT_EQ(registry.FlushKey(0xDEAD), ERROR_INVALID_HANDLE);
  EXPECT_EQ(registry.OpenKey(HKEY_LOCAL_MACHINE, "Init", KEY_ALL_ACCESS, nullptr), ERROR_INVALID_PARAMETER);

  ASSERT_EQ(registry.OpenKey(HKEY_LOCAL_MACHINE, "Init", KEY_READ, &key), ERROR_SUCCESS);
  EXPECT_EQ(registry.CloseKey(key), ERROR_SUCCESS);
  EXPECT_EQ(registry.CloseKey(key), ERROR_INVALID_HANDLE);
  EXPECT_EQ(registry.DeleteValue(key, "Launch80"), ERROR_INVALID_HANDLE);
  EXPECT_EQ(registry.CloseKey(HKEY_LOCAL_MACHINE), ERROR_SUCCESS);
}

TEST_F(SimRegistryTest, EmptySubkeyOpensTheRootAndReadHandlesCanWrite) {
  HKEY root = 0;
  ASSERT_EQ(registry.OpenKey(HKEY_LOCAL_MACHINE, "", KEY_READ, &root), ERROR_SUCCESS);
  SetDword(root, "AtRoot", 9);
  EXPECT_NE(registry.Store().Root().FindValue("atroot"), nullptr);
  registry.CloseKey(root);
}

TEST_F(SimRegistryTest, FlushPersistsTheWholeTreeForTheNextBoot) {
  HKEY key = Create("Drivers\\Display\\MQ200");
  SetDword(key, "CxScreen", 800);
  registry.CloseKey(key);
  ASSERT_EQ(registry.FlushKey(HKEY_LOCAL_MACHINE), ERROR_SUCCESS);
  EXPECT_TRUE(registry.LastFlushError().empty());

  // Changes after the flush are lost at the next boot.
  key = Create("Unflushed");
  SimRegistry next(storage);
  RegistryBootReport report = next.Boot(SmallFactory);
  EXPECT_EQ(report.source, RegistryBootSource::SavedHive);
  EXPECT_TRUE(report.ok);
  const RegistryValue* cx = next.Store().FindValue("drivers\\display\\mq200", "cxscreen");
  ASSERT_NE(cx, nullptr);
  EXPECT_EQ(cx->data, (std::vector<std::uint8_t>{0x20, 0x03, 0, 0}));
  EXPECT_EQ(next.Store().Find("Unflushed"), nullptr);
  EXPECT_NE(next.Store().FindValue("Init", "Launch80"), nullptr);

  // A reboot closes every handle.
  registry.Boot(SmallFactory);
  EXPECT_EQ(registry.OpenHandleCount(), 0u);
  EXPECT_EQ(registry.CloseKey(key), ERROR_INVALID_HANDLE);
}

TEST_F(SimRegistryTest, AHiveTooLargeForTheAreaFailsAndKeepsTheStoredHive) {
  ASSERT_EQ(registry.FlushKey(HKEY_LOCAL_MACHINE), ERROR_SUCCESS);
  std::vector<std::uint8_t> before = storage.Area();
  HKEY key = Create("Big");
  std::vector<std::uint8_t> block(MaxRegistryValueSize, 0x5A);
  for (int i = 0; i < 13; ++i) {  // 13 x 64 KiB > 0xC0000
    ASSERT_EQ(registry.SetValue(key, "Block" + std::to_string(i), REG_BINARY, block.data(),
                                static_cast<std::uint32_t>(block.size())),
              ERROR_SUCCESS);
  }
  EXPECT_EQ(registry.FlushKey(key), ERROR_NOT_ENOUGH_MEMORY);
  EXPECT_FALSE(registry.LastFlushError().empty());
  EXPECT_EQ(storage.Area(), before);
  registry.CloseKey(key);
}

TEST_F(SimRegistryTest, AFailingAreaFailsTheFlushAndKeepsTheStoredHive) {
  ASSERT_EQ(registry.FlushKey(HKEY_LOCAL_MACHINE), ERROR_SUCCESS);
  std::vector<std::uint8_t> before = storage.Area();
  Create("Changed");
  storage.SetStoreFails(true);
  EXPECT_EQ(registry.FlushKey(HKEY_LOCAL_MACHINE), ERROR_REGISTRY_IO_FAILED);
  EXPECT_EQ(storage.Area(), before);
}

TEST(SimRegistryBoot, BlankOrDamagedAreaBootsTheFactoryRegistry) {
  MemoryHiveStorage storage;
  SimRegistry registry(storage);
  RegistryBootReport report = registry.Boot(SmallFactory);
  EXPECT_EQ(report.source, RegistryBootSource::FactoryRegistry);
  EXPECT_TRUE(report.ok);
  EXPECT_NE(report.detail.find("blank"), std::string::npos);
  EXPECT_NE(registry.Store().FindValue("Init", "Launch80"), nullptr);

  ASSERT_EQ(registry.FlushKey(HKEY_LOCAL_MACHINE), ERROR_SUCCESS);
  storage.Area()[20] ^= 0x01;
  report = registry.Boot(SmallFactory);
  EXPECT_EQ(report.source, RegistryBootSource::FactoryRegistry);
  EXPECT_NE(report.detail.find("damaged"), std::string::npos);
}

TEST(SimRegistryBoot, UnreadableFactoryTextLeavesAnEmptyRegistryAndSaysWhy) {
  MemoryHiveStorage storage;
  SimRegistry registry(storage);
  RegistryBootReport report = registry.Boot("REGEDIT4\n[HKEY_LOCAL_MACHINE\\A]\n\"x\"=hex:zz\n");
  EXPECT_FALSE(report.ok);
  EXPECT_NE(report.detail.find("line 3"), std::string::npos);
  EXPECT_EQ(registry.Store().KeyCount(), 0u);
}

}  // namespace
}  // namespace talvon::sim
