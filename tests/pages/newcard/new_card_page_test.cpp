// The New Card Wizard page on the headless backend: what it draws, which
// module a press of Change To New Module takes from the tree's selection,
// and a registration the registry refuses.
#include <gtest/gtest.h>

#include "pages/newcard/new_card_page.h"
#include "platform/message_box.h"
#include "platform/templates/ids_102.h"
#include "platform/templates/ids_129.h"
#include "platform/templates/ids_237.h"
#include "support/page_test.h"
#include "support/sim_page_test.h"

namespace talvon::test {
namespace {

using namespace ids237;

sim::SlotConfig Module(int identifier) {
  sim::SlotConfig slot;
  slot.occupied = true;
  slot.identifier = identifier;
  slot.name = std::to_string(ModuleSeriesBase + identifier);
  return slot;
}

class NewCardPageTest : public PageTest {
 protected:
  NewCardPageTest() {
    config.slots = {};
    config.slots[0] = Module(17);
    config.slots[4] = Module(ModuleFourPortRs485);
  }
  WindowHandle Page() { return Session().ConfigurationPage(4)->Handle(); }
  void ShowNewCardPage() {
    ASSERT_EQ(Driver().Click(Home(), ids102::kLowerPicture), DriverResult::Done);
    ASSERT_EQ(Driver().SelectTab(Session().RebootSheet().Handle(), ids129::kTabControl, 4), DriverResult::Done);
  }
};

TEST_F(NewCardPageTest, OpensWithTheScanTheImagesAndTheHiddenButtons) {
  Run([&] {
    ShowNewCardPage();
    EXPECT_EQ(Shown(Page(), kFirstSlotLabel), "R - 8017");
    EXPECT_EQ(Shown(Page(), kFirstSlotLabel + 1), "");
    EXPECT_EQ(Shown(Page(), kFirstSlotLabel + 4), "R - 8154");
    EXPECT_EQ(Shown(Page(), kInformationLine), "");
    EXPECT_TRUE(Enabled(Page(), kChangeToNewModule));
    EXPECT_EQ(Driver().Click(Page(), kRemovePorts), DriverResult::Hidden);
    EXPECT_EQ(Driver().Click(Page(), kSlotScan), DriverResult::Hidden);

    const ImageListHandle images = Driver().Control(Page(), kResourceTree)->treeImages;
    EXPECT_EQ(Backend().ImageListBitmaps(images),
              (std::vector<int>{283, 302, 282, 301, 285, 304, 284, 303, 279, 298, 277, 297, 281, 300, 280, 299, 242,
                                295, 296, 269}));
    const auto lines = Driver().TreeLines(Page(), kResourceTree);
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[0].text, "Slot_1: R-8017");
    EXPECT_EQ(lines[0].image, 17);
    EXPECT_EQ(lines[1].text, "Slot_5: R-8154");
    EXPECT_EQ(lines[1].image, 14);

    EXPECT_EQ(Driver().Colours(Page(), kInformationLine).textColour, RGB(255, 0, 0));
    EXPECT_FALSE(Driver().Colours(Page(), kFirstSlotLabel).textColour.has_value());
  });
}

TEST_F(NewCardPageTest, ChangeWithNoModuleOfAPortKindSelectedSoundsTheAlarm) {
  Run([&] {
    ShowNewCardPage();
    Driver().AnswerBox(IDOK);
    ASSERT_EQ(Driver().Click(Page(), kChangeToNewModule), DriverResult::Done);  // nothing selected
    ASSERT_EQ(Driver().SelectTreeItem(Page(), kResourceTree, "Slot_1: R-8017"), DriverResult::Done);
    Driver().AnswerBox(IDOK);
    ASSERT_EQ(Driver().Click(Page(), kChangeToNewModule), DriverResult::Done);
  });
  const auto boxes = Log().MessageBoxes();
  ASSERT_EQ(boxes.size(), 2u);
  for (const MessageBoxEvent& box : boxes) {
    EXPECT_EQ(box.caption, "Alarm");
    EXPECT_EQ(box.text, "This module is not the com port module!!");
    EXPECT_EQ(box.style, MB_ICONSTOP);
  }
  EXPECT_EQ(Log().Reboots(), 0);
  EXPECT_EQ(registry.flushes, 0);
  EXPECT_FALSE(registry.keys.contains("drivers\\builtin\\serial5"));
}

TEST_F(NewCardPageTest, ChangeFromAPortLeafRegistersItsModule) {
  registry.SetDword("Drivers\\BuiltIn\\Serial5", "IoBase", 0x08000940);
  Run([&] {
    ShowNewCardPage();
    ASSERT_EQ(Driver().SelectTreeItem(Page(), kResourceTree, "SYSINTR:2f"), DriverResult::Done);
    ASSERT_EQ(Driver().Click(Page(), kChangeToNewModule), DriverResult::Done);
  });
  EXPECT_EQ(Log().Reboots(), 1);
  EXPECT_EQ(registry.flushes, 1);
  EXPECT_TRUE(registry.keys.contains("drivers\\builtin\\serial8\\unimodem"));
  EXPECT_TRUE(Log().MessageBoxes().empty());
}

using NewCardPageOnController = SimPageTest;

TEST_F(NewCardPageOnController, AValueTheRegistryRefusesIsReportedAndNeitherStoredNorRestartedInto) {
  failSet = {"iobase"};
  const std::vector<std::uint8_t> area = RegistryArea();
  Run([&] {
    const WindowHandle page = ShowTab(4);
    const std::string module = "Slot_3: R-" + std::to_string(ModuleSeriesBase + ModuleTwoPortRs232);
    ASSERT_EQ(Driver().SelectTreeItem(page, kResourceTree, module), DriverResult::Done);
    Driver().AnswerBox(IDOK);
    ASSERT_EQ(Driver().Click(page, kChangeToNewModule), DriverResult::Done);
  });
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_EQ(boxes[0].text,
            "RegSetValueEx Failed\nThe new serial port settings could not all be written, so they have not been "
            "stored and the controller has not been restarted.");
  EXPECT_EQ(boxes[0].style, MB_ICONSTOP);
  EXPECT_EQ(flushes, 0);
  EXPECT_TRUE(RegistryArea() == area);
}

}  // namespace
}  // namespace talvon::test
