// Change To New Module and Del on a real registry store: the exact bytes
// written, the pair rule, failures that are told and passed over, and what
// happens when the registry cannot be stored.
#include <gtest/gtest.h>

#include "new_card_fixture.h"

namespace talvon::test {
namespace {

using Shown = RecordingMessageBoxes::Shown;

class SerialPortRegistration : public NewCardLogicTest {
 protected:
  ModuleChange Change(int slot) { return ChangeToNewModule(Roles(), State(), slot); }

  void ExpectPort(int com, const std::string& line, std::uint32_t ioBase) {
    ExpectSerialPort(registry.Store(), com, line, ioBase);
  }
};

TEST_F(SerialPortRegistration, FourPortRs485ModuleWritesEveryValueInOrderThenFlushesAndReboots) {
  sdk.Put(5, ModuleFourPortRs485);
  Scan();
  EXPECT_EQ(Change(5), ModuleChange::Rebooting);
  ExpectPort(5, "RS485", 0x08000940);
  ExpectPort(6, "RS485", 0x08000960);
  ExpectPort(7, "RS485", 0x08000980);
  ExpectPort(8, "RS485", 0x080009A0);
  EXPECT_EQ(sdk.reboots, 1);
  EXPECT_EQ(storage.StoreCount(), 1);
  EXPECT_TRUE(boxes.shown.empty());
}

TEST_F(SerialPortRegistration, PairOfTwoPortModulesTakesLowerSlotFirstWhicheverIsSelected) {
  sdk.Put(1, ModuleTwoPortRs485);
  sdk.Put(3, ModuleTwoPortRs232);
  Scan();
  for (int selected : {3, 1}) {
    SCOPED_TRACE(selected);
    ASSERT_EQ(Change(selected), ModuleChange::Rebooting);
    EXPECT_EQ(pairHighSlot, 3);
    ExpectPort(5, "RS485", 0x08000140);
    ExpectPort(6, "RS485", 0x08000160);
    ExpectPort(7, "RS232", 0x08000340);
    ExpectPort(8, "RS232", 0x08000360);
  }
  EXPECT_EQ(sdk.reboots, 2);
}

TEST_F(SerialPortRegistration, LoneTwoPortModuleGetsTwoPortsAndEarlierHighPortsGo) {
  // Left by a four-port module that was registered before this one came in.
  Import(
      "[HKEY_LOCAL_MACHINE\\Drivers\\BuiltIn\\Serial7]\n\"IoBase\"=dword:08000980\n"
      "[HKEY_LOCAL_MACHINE\\Drivers\\BuiltIn\\Serial7\\Unimodem]\n\"Tsp\"=\"Unimodem.dll\"\n"
      "[HKEY_LOCAL_MACHINE\\Drivers\\BuiltIn\\Serial8]\n\"IoBase\"=dword:080009a0\n");
  sdk.Put(6, ModuleTwoPortRs232);
  Scan();
  EXPECT_EQ(Change(6), ModuleChange::Rebooting);
  ExpectPort(5, "RS232", 0x08000A40);
  ExpectPort(6, "RS232", 0x08000A60);
  EXPECT_FALSE(KeyExists("Drivers\\BuiltIn\\Serial7"));
  EXPECT_FALSE(KeyExists("Drivers\\BuiltIn\\Serial8"));
  EXPECT_EQ(pairHighSlot, 0);
}

TEST_F(SerialPortRegistration, RegisteringOverExistingKeysKeepsTheirOtherValues) {
  Import(
      "[HKEY_LOCAL_MACHINE\\Drivers\\BuiltIn\\Serial5]\n\"IoBase\"=dword:00000001\n\"Extra\"=\"kept\"\n"
      "[HKEY_LOCAL_MACHINE\\Drivers\\BuiltIn\\Serial5\\Unimodem]\n\"Mine\"=dword:00000007\n");
  sdk.Put(2, ModuleFourPortRs232);
  Scan();
  ASSERT_EQ(Change(2), ModuleChange::Rebooting);
  const auto values = Values("Drivers\\BuiltIn\\Serial5");
  ASSERT_EQ(values.size(), 12u);
  EXPECT_EQ(values[0].name, "IoBase");  // replaced in its place
  EXPECT_EQ(values[0].data, DwordBytes(0x08000240));
  EXPECT_EQ(values[1].name, "Extra");
  EXPECT_EQ(Values("Drivers\\BuiltIn\\Serial5\\Unimodem").size(), 5u);
}

TEST_F(SerialPortRegistration, NothingUsableSelectedWritesNothingAndKeepsRunning) {
  sdk.Put(1, 17, "8017");
  sdk.Put(2, ModuleFourPortRs232);
  Scan();
  for (int selected : {1, 0, 4, 8}) {  // ordinary module, no selection, empty slot, no such slot
    SCOPED_TRACE(selected);
    EXPECT_EQ(Change(selected), ModuleChange::NotCommunicationModule);
  }
  EXPECT_FALSE(KeyExists("Drivers\\BuiltIn\\Serial5"));
  EXPECT_EQ(sdk.reboots, 0);
  EXPECT_EQ(storage.StoreCount(), 0);
}

TEST_F(SerialPortRegistration, UnstorableRegistryIsNotRebootedAway) {
  sdk.Put(5, ModuleFourPortRs485);
  Scan();
  storage.SetStoreFails(true);
  EXPECT_EQ(Change(5), ModuleChange::FlushFailed);
  EXPECT_EQ(RemoveSerialPorts(Roles()), PortRemoval::FlushFailed);
  EXPECT_EQ(sdk.reboots, 0);
}

// Fails key creation or opening for paths that contain a text.
class RefusingRegistry final : public Registry {
 public:
  explicit RefusingRegistry(Registry& inner) : inner_(inner) {}
  long OpenKey(HKEY root, std::string_view subKey, std::uint32_t access, HKEY* result) override {
    if (!refuseOpen.empty() && subKey.find(refuseOpen) != std::string_view::npos) return ERROR_ACCESS_DENIED;
    return inner_.OpenKey(root, subKey, access, result);
  }
  long CreateKey(HKEY root, std::string_view subKey, HKEY* result, bool* created) override {
    if (!refuseCreate.empty() && subKey.find(refuseCreate) != std::string_view::npos) return ERROR_ACCESS_DENIED;
    return inner_.CreateKey(root, subKey, result, created);
  }
  long QueryValue(HKEY k, std::string_view n, std::uint32_t* t, std::uint8_t* d, std::uint32_t* s) override {
    return inner_.QueryValue(k, n, t, d, s);
  }
  long SetValue(HKEY k, std::string_view n, std::uint32_t t, const std::uint8_t* d, std::uint32_t s) override {
    return inner_.SetValue(k, n, t, d, s);
  }
  long DeleteValue(HKEY k, std::string_view n) override { return inner_.DeleteValue(k, n); }
  long DeleteKey(HKEY r, std::string_view s) override { return inner_.DeleteKey(r, s); }
  long CloseKey(HKEY k) override { return inner_.CloseKey(k); }
  long FlushKey(HKEY k) override { return inner_.FlushKey(k); }

  std::string refuseCreate;
  std::string refuseOpen;

 private:
  Registry& inner_;
};

TEST_F(SerialPortRegistration, KeyThatCannotBeMadeIsToldAndTheRestIsWritten) {
  sdk.Put(4, ModuleFourPortRs232);
  Scan();
  RefusingRegistry refusing(registry);
  refusing.refuseCreate = "Serial6";  // both of COM6's keys
  refusing.refuseOpen = "Serial8\\Unimodem";
  const SerialPortRoles roles{refusing, sdk, boxes};
  EXPECT_EQ(ChangeToNewModule(roles, State(), 4), ModuleChange::Rebooting);
  EXPECT_EQ(boxes.shown, (std::vector<Shown>{{"RegCreateKeyEx Failed", 0},
                                             {"RegCreateKeyEx Failed", 0},
                                             {"RegOpenKeyEx Failed", 0}}));
  ExpectPort(5, "RS232", 0x08000840);
  ExpectPort(7, "RS232", 0x08000880);
  EXPECT_FALSE(KeyExists("Drivers\\BuiltIn\\Serial6"));
  EXPECT_EQ(Values("Drivers\\BuiltIn\\Serial8").size(), 11u);
  EXPECT_TRUE(Values("Drivers\\BuiltIn\\Serial8\\Unimodem").empty());  // created, never opened
  EXPECT_EQ(sdk.reboots, 1);
}

TEST_F(SerialPortRegistration, RemovalDeletesEveryKeyAndTellsEachMissingValue) {
  sdk.Put(5, ModuleFourPortRs485);
  Scan();
  ASSERT_EQ(Change(5), ModuleChange::Rebooting);
  Import("[HKEY_LOCAL_MACHINE\\Drivers\\BuiltIn\\Serial6]\n\"Irq\"=-\n\"Dll\"=-\n");
  EXPECT_EQ(RemoveSerialPorts(Roles()), PortRemoval::Rebooting);
  EXPECT_EQ(boxes.shown, (std::vector<Shown>{{"AutoRun RegSetValueEx Failed", 0},
                                             {"AutoRun RegSetValueEx Failed", 0}}));
  for (int com = 5; com <= 8; ++com) EXPECT_FALSE(KeyExists("Drivers\\BuiltIn\\Serial" + std::to_string(com)));
  EXPECT_TRUE(KeyExists("Drivers\\BuiltIn"));
  EXPECT_EQ(sdk.reboots, 2);
  EXPECT_EQ(storage.StoreCount(), 2);  // the removal is stored before the reboot
}

TEST_F(SerialPortRegistration, RemovalWithNothingRegisteredSaysNothingAndReboots) {
  EXPECT_EQ(RemoveSerialPorts(Roles()), PortRemoval::Rebooting);
  EXPECT_TRUE(boxes.shown.empty());
  EXPECT_EQ(sdk.reboots, 1);
}

}  // namespace
}  // namespace talvon::test
