#pragma once
// The New Card Wizard's logic on a real registry store (booted from REGEDIT4
// text, flushed into a registry area kept in memory) and an SDK whose slots a
// test fills in.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstring>
#include <string>
#include <vector>

#include "pages/newcard/serial_port_registration.h"
#include "pages/newcard/slot_scan.h"
#include "platform/little_endian.h"
#include "sdk/controller_sdk.h"
#include "sim/registry/memory_hive_storage.h"
#include "sim/registry/sim_registry.h"
#include "support/recording_message_boxes.h"

namespace talvon::test {

// An SDK that answers the slots it is given and counts reboots. A name of 8
// characters fills the buffer with no terminator.
class SlotSdk final : public ControllerSdk {
 public:
  struct Module {
    int identifier = 0;
    std::string name;
  };
  void Put(int slot, int identifier, std::string name) { slots[slot - 1] = {identifier, std::move(name)}; }
  void Put(int slot, int identifier) { Put(slot, identifier, std::to_string(ModuleSeriesBase + identifier)); }

  void Reset_TalVon() override { ++reboots; }
  void ChangeSlotTo53R(std::uint8_t) override {}
  std::uint32_t Get_Slot_No() override { return 7; }
  int GetNameOfModule(int slot, char* name8) override {
    const Module& m = slots[slot - 1];
    std::memcpy(name8, m.name.data(), std::min<std::size_t>(m.name.size() + 1, 8));
    return m.identifier;
  }
  void GetSystemSerialNumber(std::uint8_t*) override {}
  void ReadMAC(std::uint8_t*) override {}
  std::int32_t GetFlashSize(std::uint8_t*) override { return 0; }
  void GetOSversion(char16_t* b) override { b[0] = 0; }
  void GetSDKversion(char16_t* b) override { b[0] = 0; }

  std::array<Module, 7> slots{};
  int reboots = 0;
};

class NewCardLogicTest : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(registry.Boot("REGEDIT4\n").ok); }

  SlotScanResult Scan() { return ScanSlots(sdk, table); }
  SerialPortRoles Roles() { return {registry, sdk, boxes}; }
  SerialPortRegistrationState State() { return {table, pairHighSlot}; }

  // The values of a key as the store holds them, in order.
  std::vector<sim::RegistryValue> Values(const std::string& path) const {
    std::vector<sim::RegistryValue> out;
    if (const sim::RegistryKey* key = registry.Store().Find(path)) {
      for (std::size_t i = 0; i < key->ValueCount(); ++i) out.push_back(key->ValueAt(i));
    }
    return out;
  }
  bool KeyExists(const std::string& path) const { return registry.Store().Find(path) != nullptr; }
  void Import(const std::string& text) { ASSERT_TRUE(registry.ImportText("REGEDIT4\n" + text).ok); }

  sim::MemoryHiveStorage storage;
  sim::SimRegistry registry{storage};
  SlotSdk sdk;
  SlotScanTable table;
  std::int32_t pairHighSlot = 0;
  RecordingMessageBoxes boxes;
};

inline std::vector<std::uint8_t> DwordBytes(std::uint32_t v) {
  const auto bytes = Le32Bytes(v);
  return {bytes.begin(), bytes.end()};
}

// UTF-16LE bytes of the text, zero-padded to `size`.
inline std::vector<std::uint8_t> SzBytes(const std::string& text, std::size_t size) {
  std::vector<std::uint8_t> out;
  for (char c : text) {
    out.push_back(static_cast<std::uint8_t>(c));
    out.push_back(0);
  }
  out.resize(size, 0);
  return out;
}

// Checks both keys of COM n, value by value in the order they are written:
// name, type and every byte.
inline void ExpectSerialPort(const sim::RegistryStore& store, int com, const std::string& line, std::uint32_t ioBase) {
  SCOPED_TRACE("COM" + std::to_string(com));
  const std::string key = "Drivers\\BuiltIn\\Serial" + std::to_string(com);
  const std::string n = std::to_string(com);
  auto expect = [&](const std::string& path, const std::vector<sim::RegistryValue>& expected) {
    const sim::RegistryKey* k = store.Find(path);
    ASSERT_NE(k, nullptr) << path;
    ASSERT_EQ(k->ValueCount(), expected.size()) << path;
    for (std::size_t i = 0; i < expected.size(); ++i) {
      EXPECT_EQ(k->ValueAt(i).name, expected[i].name) << path << " value " << i;
      EXPECT_EQ(k->ValueAt(i).type, expected[i].type) << expected[i].name;
      EXPECT_EQ(k->ValueAt(i).data, expected[i].data) << expected[i].name;
    }
  };
  expect(key, {
                  {"FriendlyName", REG_SZ, SzBytes("Velmar-COM" + n + "-" + line, 40)},
                  {"IClass", REG_SZ, SzBytes("CC5195AC-BA49-48a0-BE17-DF6D1B0173DD", 100)},
                  {"DeviceArrayIndex", REG_DWORD, DwordBytes(0)},
                  {"IoLen", REG_DWORD, DwordBytes(0x10)},
                  {"IoBase", REG_DWORD, DwordBytes(ioBase)},
                  {"SysIntr", REG_DWORD, DwordBytes(0x2C + static_cast<std::uint32_t>(com - 5))},
                  {"Irq", REG_DWORD, DwordBytes(0)},
                  {"Index", REG_DWORD, DwordBytes(static_cast<std::uint32_t>(com))},
                  {"Order", REG_DWORD, DwordBytes(0)},
                  {"Dll", REG_SZ, SzBytes("ms2_serial.dll", 30)},
                  {"Prefix", REG_SZ, SzBytes("COM", 8)},
              });
  expect(key + "\\Unimodem",
         {{"DevConfig", REG_BINARY, {0x10, 0x00, 0x00, 0x00, 0x05, 0x00, 0x00, 0x00, 0x10, 0x01, 0x00, 0x00, 0x00,
                                     0x4B, 0x00, 0x00, 0x00, 0x00, 0x08, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00}},
          {"FriendlyName", REG_SZ, SzBytes("Serial Cable on COM" + n, 42)},
          {"DeviceType", REG_DWORD, DwordBytes(0)},
          {"Tsp", REG_SZ, SzBytes("Unimodem.dll", 26)}});
}

}  // namespace talvon::test
