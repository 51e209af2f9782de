// The New Card Wizard end to end on a simulated controller kept in a
// directory, its slots set in controller.json: registration through scripted
// runs, and the hidden buttons pressed on the page itself, each followed by
// the reboot and a look at what the next boot reads.
#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <initializer_list>
#include <sstream>
#include <string>
#include <string_view>

#include "app/utility_session.h"
#include "pages/newcard/new_card_fixture.h"
#include "platform/headless/headless_driver.h"
#include "platform/templates/ids_102.h"
#include "platform/templates/ids_129.h"
#include "platform/templates/ids_237.h"
#include "runner/script.h"
#include "runner/script_fixture.h"
#include "runner/script_runner.h"
#include "runner/simulated_controller_provider.h"
#include "script_ids.h"
#include "sim/controller/controller_config.h"
#include "support/controller_folder.h"
#include "support/utility_test.h"

namespace talvon {
namespace {

using test::ExpectSerialPort;
using test::Id;

sim::SlotConfig Module(int identifier, std::string name = {}) {
  sim::SlotConfig slot;
  slot.occupied = true;
  slot.identifier = identifier;
  slot.name = name.empty() ? std::to_string(ModuleSeriesBase + identifier) : std::move(name);
  return slot;
}

struct NewCardScript : test::UtilityTest {
  NewCardScript() : provider(Directory(), dir.Clock(), test::ControllerFolder::QuietOptions()) {}

  std::filesystem::path Directory() const { return dir.Dir(); }

  // Creates the controller and puts these modules in its slots (1 to 7).
  void Slots(const std::vector<std::pair<int, sim::SlotConfig>>& modules) {
    std::string error;
    ASSERT_NE(provider.Boot(&error), nullptr) << error;
    const auto file = Directory() / "controller.json";
    std::optional<sim::ControllerConfig> config = sim::LoadControllerConfig(file, &error);
    ASSERT_TRUE(config) << error;
    config->slots = {};
    for (const auto& [slot, module] : modules) config->slots[slot - 1] = module;
    ASSERT_TRUE(sim::SaveControllerConfig(*config, file, &error)) << error;
  }

  int Run(const std::string& source) {
    out.str("");
    return test::RunScriptText(provider, source, out, err);
  }

  // One run of the utility with the operator's steps on the shown New Card
  // Wizard page; answers false when the run ended in a reboot.
  bool RunOnPage(const std::function<void(HeadlessDriver&, WindowHandle page)>& steps) {
    std::string error;
    std::unique_ptr<runner::BootedController> controller = provider.Boot(&error);
    EXPECT_NE(controller, nullptr) << error;
    if (!controller) return true;
    SetUpRun(controller->GetPlatform(), dir.Clock());
    UtilityTest::Run([&] {
      Driver().Click(Home(), ids102::kLowerPicture);
      Driver().SelectTab(ConfigSheet(), ids129::kTabControl, 4);
      steps(Driver(), Page(4));
    });
    const bool rebooted = RebootRequested();
    EndRun();
    return !rebooted;
  }

  // What the next boot reads.
  std::unique_ptr<sim::SimulatedController> NextBoot() { return dir.Boot(); }

  test::ControllerFolder dir;
  runner::SimulatedControllerProvider provider;
  std::ostringstream out;
  std::ostringstream err;
};

void PressHidden(HeadlessDriver& driver, WindowHandle page, int controlId) {
  WindowMessage m;
  m.message = WM_COMMAND;
  m.controlId = controlId;
  m.code = BN_CLICKED;
  driver.Backend().Send(page, m);
}

const std::string kShowTree = "config\ntab 4\nprint " + Id(ids237::kResourceTree) + "\n";
const std::string kChange = "click " + Id(ids237::kChangeToNewModule) + "\n";

// The resource tree as the transcript prints it: "DEPTH IMAGE SELECTEDIMAGE TEXT" a line.
std::string Tree(std::initializer_list<std::string_view> lines) {
  std::string text;
  for (std::string_view line : lines) text += "tree " + Id(ids237::kResourceTree) + " " + std::string(line) + "\n";
  return text;
}

TEST_F(NewCardScript, FourPortRs485ModuleIsWrittenStoredAndShownAfterTheReboot) {
  Slots({{5, Module(ModuleFourPortRs485)}});
  const int code = Run(kShowTree + "tree \"Slot_5: R-8154\"\n" + kChange + kShowTree);
  ASSERT_EQ(code, runner::kExitOk) << err.str();
  EXPECT_EQ(out.str(),
            Tree({"0 14 15 Slot_5: R-8154"}) + "reboot\n" +
                Tree({"0 12 13 Slot_5: R-8154", "1 19 19 Com 5:", "2 16 16 I/O Base:8000940", "2 16 16 SYSINTR:2c",
                      "1 19 19 Com 6:", "2 16 16 I/O Base:8000960", "2 16 16 SYSINTR:2d",
                      "1 19 19 Com 7:", "2 16 16 I/O Base:8000980", "2 16 16 SYSINTR:2e",
                      "1 19 19 Com 8:", "2 16 16 I/O Base:80009a0", "2 16 16 SYSINTR:2f"}));
  const auto controller = NextBoot();
  ASSERT_NE(controller, nullptr);
  const sim::RegistryStore& store = controller->Registry().Store();
  ExpectSerialPort(store, 5, "RS485", 0x08000940);
  ExpectSerialPort(store, 6, "RS485", 0x08000960);
  ExpectSerialPort(store, 7, "RS485", 0x08000980);
  ExpectSerialPort(store, 8, "RS485", 0x080009A0);
}

TEST_F(NewCardScript, EitherModuleOfATwoPortPairWritesTheSameKeysAndBothShowRegistered) {
  Slots({{1, Module(ModuleTwoPortRs485)}, {3, Module(ModuleTwoPortRs232)}});
  std::string after;
  for (const char* selected : {"Slot_3: R-8142", "Slot_1: R-8152"}) {
    SCOPED_TRACE(selected);
    ASSERT_EQ(Run(std::string("config\ntab 4\ntree \"") + selected + "\"\n" + kChange + kShowTree), runner::kExitOk)
        << err.str();
    const auto controller = NextBoot();
    ASSERT_NE(controller, nullptr);
    const sim::RegistryStore& store = controller->Registry().Store();
    ExpectSerialPort(store, 5, "RS485", 0x08000140);
    ExpectSerialPort(store, 6, "RS485", 0x08000160);
    ExpectSerialPort(store, 7, "RS232", 0x08000340);
    ExpectSerialPort(store, 8, "RS232", 0x08000360);
    if (!after.empty()) {
      EXPECT_EQ(out.str(), after);
    }
    after = out.str();
  }
  EXPECT_EQ(after, "reboot\n" +
                       Tree({"0 8 9 Slot_1: R-8152", "1 19 19 Com 5:", "2 16 16 I/O Base:8000140", "2 16 16 SYSINTR:2c",
                             "1 19 19 Com 6:", "2 16 16 I/O Base:8000160", "2 16 16 SYSINTR:2d", "0 0 1 Slot_3: R-8142",
                             "1 19 19 Com 7:", "2 16 16 I/O Base:8000340", "2 16 16 SYSINTR:2e",
                             "1 19 19 Com 8:", "2 16 16 I/O Base:8000360", "2 16 16 SYSINTR:2f"}));
}

TEST_F(NewCardScript, ModulesBeyondFourPortsTurnTheInformationLineOnAndTheButtonOff) {
  Slots({{2, Module(ModuleFourPortRs232)}, {6, Module(ModuleTwoPortRs485)}});
  const std::string line = Id(ids237::kInformationLine);
  ASSERT_EQ(Run("config\ntab 4\nprint " + line + "\ntree \"Slot_2: R-8144\"\n" + kChange), runner::kExitOk)
      << err.str();
  EXPECT_EQ(out.str(), "print " + line + " T-5x5x ONLY support FOUR communication ports NOW!!\nignored click " +
                           Id(ids237::kChangeToNewModule) + ": disabled\n");
}

TEST_F(NewCardScript, OrdinaryModuleSoundsTheAlarmAndChangesNothing) {
  Slots({{1, Module(17)}, {4, Module(ModuleFourPortRs232)}});
  const std::string before = NextBoot()->Registry().ExportText();
  const std::string slot1 = Id(ids237::kFirstSlotLabel);
  ASSERT_EQ(Run("config\ntab 4\nanswer ok\ntree \"Slot_1: R-8017\"\n" + kChange + "print " + slot1 + "\n"),
            runner::kExitOk)
      << err.str();
  EXPECT_EQ(out.str(),
            "box Alarm | This module is not the com port module!! | 16 -> ok\nprint " + slot1 + " R - 8017\n");
  EXPECT_EQ(NextBoot()->Registry().ExportText(), before);
}

TEST_F(NewCardScript, DelOnThePageRemovesEveryKeyForTheNextBoot) {
  Slots({{5, Module(ModuleFourPortRs485)}});
  ASSERT_EQ(Run("config\ntab 4\ntree \"Com 6:\"\n" + kChange), runner::kExitScriptError);  // no such item yet
  ASSERT_EQ(Run("config\ntab 4\ntree \"Slot_5: R-8154\"\n" + kChange), runner::kExitOk) << err.str();
  ASSERT_NE(NextBoot()->Registry().Store().Find("Drivers\\BuiltIn\\Serial8\\Unimodem"), nullptr);

  EXPECT_FALSE(RunOnPage([](HeadlessDriver& driver, WindowHandle page) {
    EXPECT_EQ(driver.Click(page, ids237::kRemovePorts), DriverResult::Hidden);
    PressHidden(driver, page, ids237::kRemovePorts);
  }));
  const auto controller = NextBoot();
  const sim::RegistryStore& store = controller->Registry().Store();
  for (int com = 5; com <= 8; ++com) {
    EXPECT_EQ(store.Find("Drivers\\BuiltIn\\Serial" + std::to_string(com)), nullptr) << com;
  }
  EXPECT_NE(store.Find("Drivers\\BuiltIn\\Serial1"), nullptr);
}

TEST_F(NewCardScript, RescanLeavesOneNodePerModule) {
  Slots({{1, Module(17)}, {3, Module(ModuleTwoPortRs232)}, {7, Module(54)}});
  EXPECT_TRUE(RunOnPage([](HeadlessDriver& driver, WindowHandle page) {
    for (int scan = 0; scan < 3; ++scan) PressHidden(driver, page, ids237::kSlotScan);
    std::vector<std::string> texts;
    for (const TreeLine& line : driver.TreeLines(page, ids237::kResourceTree)) texts.push_back(line.text);
    EXPECT_EQ(texts, (std::vector<std::string>{"Slot_1: R-8017", "Slot_3: R-8142", "Slot_7: R-8054"}));
  }));
}

}  // namespace
}  // namespace talvon
