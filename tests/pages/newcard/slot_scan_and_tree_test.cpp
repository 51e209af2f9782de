// The slot scan and the resource tree: labels, the port limit, what the
// registry makes of each module, and which slot a selection names.
#include <gtest/gtest.h>

#include "new_card_fixture.h"
#include "pages/newcard/resource_tree.h"

namespace talvon::test {
namespace {

constexpr char kLimit[] = "T-5x5x ONLY support FOUR communication ports NOW!!";

class SlotScan : public NewCardLogicTest {};

TEST_F(SlotScan, PortWeightAboveTwoRefusesRegistration) {
  struct Case {
    std::vector<int> modules;
    bool accepted;
  };
  const std::vector<Case> cases = {
      {{ModuleTwoPortRs232}, true},
      {{ModuleTwoPortRs232, ModuleTwoPortRs485}, true},
      {{ModuleFourPortRs485}, true},
      {{ModuleFourPortRs232, ModuleTwoPortRs232}, false},
      {{ModuleTwoPortRs232, ModuleTwoPortRs485, ModuleTwoPortRs232}, false},
      {{ModuleFourPortRs232, ModuleFourPortRs485}, false},
  };
  for (const Case& c : cases) {
    sdk = SlotSdk{};
    for (std::size_t i = 0; i < c.modules.size(); ++i) sdk.Put(static_cast<int>(2 * i + 1), c.modules[i]);
    const SlotScanResult result = Scan();
    EXPECT_EQ(result.changeEnabled, c.accepted) << c.modules.size() << " modules";
    EXPECT_EQ(result.informationLine, c.accepted ? "" : kLimit);
  }
}

TEST_F(SlotScan, LabelsShowModulesAndLeaveSerialBusAndEmptySlotsBlank) {
  sdk.Put(1, 17, "8017");
  sdk.Put(2, 55, "8000");  // serial-bus module: the series text
  sdk.Put(3, ModuleTwoPortRs232);
  const SlotScanResult result = Scan();
  EXPECT_EQ(result.labels[0], "R - 8017");
  EXPECT_EQ(result.labels[1], "");
  EXPECT_EQ(result.labels[2], "R - 8142");
  for (int slot = 4; slot <= 7; ++slot) EXPECT_EQ(result.labels[slot - 1], "") << slot;
  EXPECT_EQ(table.Slot(1).nodeText, "Slot_1: R-8017");
  EXPECT_EQ(table.Slot(2).nodeText, "");
  EXPECT_EQ(table.Slot(4).identifier, 0);
  EXPECT_EQ(table.twoPortCount, 1);
  EXPECT_EQ(table.fourPortCount, 0);
}

TEST_F(SlotScan, SeriesTextKeepsTheTextOfAnEarlierScan) {
  sdk.Put(4, 54, "8054");
  Scan();
  sdk.Put(4, 54, "8000");
  const SlotScanResult again = Scan();
  EXPECT_EQ(again.labels[3], "");
  EXPECT_EQ(table.Slot(4).nodeText, "Slot_4: R-8054");
}

TEST_F(SlotScan, RescanGivesTheSameResult) {
  sdk.Put(2, ModuleFourPortRs232);
  sdk.Put(5, ModuleTwoPortRs485);
  const SlotScanResult first = Scan();
  const SlotScanTable firstTable = table;
  const SlotScanResult second = Scan();
  EXPECT_EQ(second.labels, first.labels);
  EXPECT_EQ(second.informationLine, first.informationLine);
  EXPECT_EQ(second.changeEnabled, first.changeEnabled);
  EXPECT_EQ(table.twoPortCount, firstTable.twoPortCount);
  EXPECT_EQ(table.fourPortCount, firstTable.fourPortCount);
}

TEST_F(SlotScan, UnterminatedOrHighByteNameStaysWithinItsEightBytes) {
  sdk.Put(1, 17, "ABCDEFGHIJ");  // 8 bytes arrive, no terminator
  sdk.Put(2, 18, "\xE9t\xE9");   // Latin-1 bytes
  const SlotScanResult result = Scan();
  EXPECT_EQ(result.labels[0], "R - ABCDEFGH");
  EXPECT_EQ(table.Slot(1).nodeText, "Slot_1: R-ABCDEFGH");
  EXPECT_EQ(result.labels[1], "R - \xC3\xA9t\xC3\xA9");
}

class ResourceTree : public NewCardLogicTest {
 protected:
  std::vector<ResourceTreeNode> Nodes() { return ResourceTreeNodes(registry, table); }
  void RegisterIoBase(int com, std::uint32_t ioBase) {
    char text[96];
    std::snprintf(text, sizeof text, "[HKEY_LOCAL_MACHINE\\Drivers\\BuiltIn\\Serial%d]\n\"IoBase\"=dword:%08x\n", com,
                  ioBase);
    Import(text);
  }
};

// "text image/selected" of a node and, indented, of its descendants.
void Flatten(const std::vector<ResourceTreeNode>& nodes, int depth, std::vector<std::string>& out) {
  for (const ResourceTreeNode& n : nodes) {
    out.push_back(std::string(2 * depth, ' ') + n.text + " " + std::to_string(n.image) + "/" +
                  std::to_string(n.selectedImage));
    Flatten(n.children, depth + 1, out);
  }
}
std::vector<std::string> Flat(const std::vector<ResourceTreeNode>& nodes) {
  std::vector<std::string> out;
  Flatten(nodes, 0, out);
  return out;
}

TEST_F(ResourceTree, RegisteredFourPortModuleShowsFourPortsWithLowerCaseResources) {
  sdk.Put(2, ModuleFourPortRs232);
  Scan();
  RegisterIoBase(5, 0x08000240);
  EXPECT_EQ(Flat(Nodes()), (std::vector<std::string>{
                               "Slot_2: R-8144 4/5",
                               "  Com 5: 19/19", "    I/O Base:8000240 16/16", "    SYSINTR:2c 16/16",
                               "  Com 6: 19/19", "    I/O Base:8000260 16/16", "    SYSINTR:2d 16/16",
                               "  Com 7: 19/19", "    I/O Base:8000280 16/16", "    SYSINTR:2e 16/16",
                               "  Com 8: 19/19", "    I/O Base:80002a0 16/16", "    SYSINTR:2f 16/16",
                           }));
}

TEST_F(ResourceTree, BothModulesOfARegisteredPairShowAsRegistered) {
  sdk.Put(1, ModuleTwoPortRs485);
  sdk.Put(3, ModuleTwoPortRs232);
  Scan();
  ASSERT_EQ(ChangeToNewModule(Roles(), State(), 3), ModuleChange::Rebooting);
  EXPECT_EQ(Flat(Nodes()), (std::vector<std::string>{
                               "Slot_1: R-8152 8/9",
                               "  Com 5: 19/19", "    I/O Base:8000140 16/16", "    SYSINTR:2c 16/16",
                               "  Com 6: 19/19", "    I/O Base:8000160 16/16", "    SYSINTR:2d 16/16",
                               "Slot_3: R-8142 0/1",
                               "  Com 7: 19/19", "    I/O Base:8000340 16/16", "    SYSINTR:2e 16/16",
                               "  Com 8: 19/19", "    I/O Base:8000360 16/16", "    SYSINTR:2f 16/16",
                           }));
}

TEST_F(ResourceTree, UnregisteredAndOrdinaryModulesHaveNoChildren) {
  sdk.Put(1, 17, "8017");
  sdk.Put(4, ModuleTwoPortRs485);
  sdk.Put(6, ModuleFourPortRs485);
  Scan();
  RegisterIoBase(5, 0x08000140);  // slot 1's first port: not the ordinary module's business
  EXPECT_EQ(Flat(Nodes()), (std::vector<std::string>{"Slot_1: R-8017 17/18", "Slot_4: R-8152 10/11",
                                                     "Slot_6: R-8154 14/15"}));
}

TEST_F(ResourceTree, IoBaseOfTheWrongTypeOrSizeCountsAsNoValue) {
  sdk.Put(2, ModuleFourPortRs232);
  Scan();
  Import("[HKEY_LOCAL_MACHINE\\Drivers\\BuiltIn\\Serial5]\n\"IoBase\"=hex:40,02,00,08\n");
  EXPECT_EQ(RegistrationOf(registry, 2, ModuleFourPortRs232), SlotRegistration::NotRegistered);
  Import("[HKEY_LOCAL_MACHINE\\Drivers\\BuiltIn\\Serial5]\n\"IoBase\"=hex(4):40,02,00,08,00\n");
  EXPECT_EQ(RegistrationOf(registry, 2, ModuleFourPortRs232), SlotRegistration::NotRegistered);
  Import("[HKEY_LOCAL_MACHINE\\Drivers\\BuiltIn\\Serial5]\n\"IoBase\"=dword:08000240\n");
  EXPECT_EQ(RegistrationOf(registry, 2, ModuleFourPortRs232), SlotRegistration::AllPorts);
  EXPECT_EQ(registry.OpenHandleCount(), 0u);
}

TEST(SlotDigit, OnlyModuleNodesNameASlot) {
  EXPECT_EQ(SlotDigitOf("Slot_3: R-8142"), 3);
  EXPECT_EQ(SlotDigitOf("Slot_9: R-1"), 9);
  EXPECT_EQ(SlotDigitOf("Slot_0: R-1"), 0);
  EXPECT_EQ(SlotDigitOf("Com 5:"), 0);
  EXPECT_EQ(SlotDigitOf("I/O Base:8000140"), 0);
  EXPECT_EQ(SlotDigitOf("SYSINTR:2c"), 0);
  EXPECT_EQ(SlotDigitOf("Slot_"), 0);
  EXPECT_EQ(SlotDigitOf(""), 0);
}

}  // namespace
}  // namespace talvon::test
