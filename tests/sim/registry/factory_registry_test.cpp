#include "sim/registry/factory_registry.h"

#include <gtest/gtest.h>

#include <cstring>

#include "platform/text.h"
#include "sim/registry/hive_format.h"
#include "sim/registry/memory_hive_storage.h"
#include "sim/registry/sim_registry.h"

namespace talvon::sim {
namespace {

// Reads the factory registry through the registry role, the way the pages
// do: keys opened with full access, sized queries.
class FactoryRegistry : public ::testing::Test {
 protected:
  void SetUp() override {
    RegistryBootReport report = registry.Boot(DefaultFactoryRegistry());
    ASSERT_TRUE(report.ok) << report.detail;
    ASSERT_EQ(report.source, RegistryBootSource::FactoryRegistry);
  }

  // The value of a 4-byte query; fails the test when the key or value is
  // missing or the value is not a 4-byte REG_DWORD.
  std::uint32_t Dword(std::string_view keyPath, std::string_view name) {
    HKEY key = 0;
    EXPECT_EQ(registry.OpenKey(HKEY_LOCAL_MACHINE, keyPath, KEY_ALL_ACCESS, &key), ERROR_SUCCESS) << keyPath;
    std::uint32_t value = 0xFFFFFFFF;
    std::uint32_t type = 0;
    std::uint32_t size = 4;
    EXPECT_EQ(registry.QueryValue(key, name, &type, reinterpret_cast<std::uint8_t*>(&value), &size), ERROR_SUCCESS)
        << keyPath << " " << name;
    EXPECT_EQ(type, REG_DWORD) << name;
    EXPECT_EQ(size, 4u) << name;
    registry.CloseKey(key);
    return value;
  }

  // A REG_SZ read into a buffer of `bufferBytes`, as a page would.
  long Text(std::string_view keyPath, std::string_view name, std::uint32_t bufferBytes, std::string* text) {
    HKEY key = 0;
    if (long error = registry.OpenKey(HKEY_LOCAL_MACHINE, keyPath, KEY_ALL_ACCESS, &key); error != ERROR_SUCCESS) {
      return error;
    }
    std::vector<std::uint8_t> buffer(bufferBytes);
    std::uint32_t size = bufferBytes;
    long error = registry.QueryValue(key, name, nullptr, buffer.data(), &size);
    if (error == ERROR_SUCCESS) *text = FromRegSz(buffer.data(), size);
    registry.CloseKey(key);
    return error;
  }

  MemoryHiveStorage storage;
  SimRegistry registry{storage};
};

TEST_F(FactoryRegistry, DisplayIs640By480At16BitsAnd60Hertz) {
  EXPECT_EQ(Dword("Drivers\\Display\\MQ200", "CxScreen"), 640u);
  EXPECT_EQ(Dword("Drivers\\Display\\MQ200", "CyScreen"), 480u);
  EXPECT_EQ(Dword("Drivers\\Display\\MQ200", "Bpp"), 16u);
  EXPECT_EQ(Dword("Drivers\\Display\\MQ200", "Freq"), 60u);
}

TEST_F(FactoryRegistry, ServersAndServicePasswordReadCleanly) {
  EXPECT_EQ(Dword("comm\\FTPD", "UseAuthentication"), 0u);
  EXPECT_EQ(Dword("comm\\TELNETD", "UseAuthentication"), 0u);
  EXPECT_EQ(Dword("Velmar", "Pa2"), 0u);
  Dword("Velmar", "MemDivision");
  std::string dir;
  EXPECT_EQ(Text("Comm\\FTPD", "DefaultDir", 200, &dir), ERROR_SUCCESS);
  EXPECT_EQ(dir, "\\CompactFlash");
  EXPECT_EQ(Text("Comm\\HTTPD\\VROOTS\\/", "Default", 200, &dir), ERROR_SUCCESS);
  EXPECT_FALSE(dir.empty());
  const RegistryValue* pa1 = registry.Store().FindValue("Velmar", "Pa1");
  ASSERT_NE(pa1, nullptr);
  EXPECT_EQ(pa1->type, REG_BINARY);
  EXPECT_TRUE(pa1->data.empty());
}

TEST_F(FactoryRegistry, StartUpProgramsAreSomeSetSomeEmptySomeMissing) {
  int set = 0, empty = 0, missing = 0;
  for (int n = 80; n <= 89; ++n) {
    std::string text;
    long error = Text("Init", "Launch" + std::to_string(n), 400, &text);
    if (error == ERROR_FILE_NOT_FOUND) {
      ++missing;
    } else {
      ASSERT_EQ(error, ERROR_SUCCESS) << n;  // every present value fits 400 bytes
      (text.empty() ? empty : set)++;
    }
  }
  EXPECT_GT(set, 0);
  EXPECT_GT(empty, 0);
  EXPECT_GT(missing, 0);
}

TEST_F(FactoryRegistry, TouchDriverKeysExistAndNoSlotPortsAreRegistered) {
  EXPECT_EQ(Dword("Drivers\\BuiltIn\\Dmc9x00", "Port"), 2u);
  Dword("Drivers\\USB\\ClientDrivers\\PenMount_USB_HID_Class_Driver\\0", "Mode");
  for (int n = 5; n <= 8; ++n) {
    HKEY key = 0;
    EXPECT_EQ(registry.OpenKey(HKEY_LOCAL_MACHINE, "Drivers\\BuiltIn\\Serial" + std::to_string(n), KEY_ALL_ACCESS,
                               &key),
              ERROR_FILE_NOT_FOUND);
  }
  EXPECT_EQ(registry.OpenHandleCount(), 0u);
}

TEST_F(FactoryRegistry, SurvivesFlushAndExportUnchanged) {
  ASSERT_EQ(registry.FlushKey(HKEY_LOCAL_MACHINE), ERROR_SUCCESS);
  SimRegistry rebooted(storage);
  EXPECT_EQ(rebooted.Boot(DefaultFactoryRegistry()).source, RegistryBootSource::SavedHive);
  EXPECT_EQ(rebooted.ExportText(), registry.ExportText());
  RegistryStore reimported;
  ASSERT_TRUE(ImportRegText(registry.ExportText(), reimported).ok);
  EXPECT_EQ(EncodeHive(reimported), EncodeHive(registry.Store()));
}

}  // namespace
}  // namespace talvon::sim
