#include <gtest/gtest.h>

#include "app/page_rect.h"
#include "platform/templates/ids_102.h"
#include "platform/templates/ids_129.h"
#include "platform/templates/ids_130.h"
#include "platform/templates/ids_131.h"
#include "platform/templates/ids_145.h"
#include "support/app_test.h"

namespace talvon::test {
namespace {

using Sheets = AppTest;

TEST(PageRectFormula, StartsAtTabItemZeroAndStopsShortOfTheClientEdges) {
  const PageRect r = ComputePageRect(Rect{0, 0, 600, 400}, Rect{3, 2, 110, 24});
  EXPECT_EQ(r, (PageRect{3, 25, 596, 374}));
}

TEST_F(Sheets, PagesFillTheRectangleBelowTabItemZero) {
  Run([&] {
    const WindowHandle sheet = ConfigSheet();
    Rect item0;
    ASSERT_TRUE(Backend().TabGetItemRect(sheet, ids129::kTabControl, 0, &item0));
    const Rect client = Backend().GetControlClientRect(sheet, ids129::kTabControl);
    const Rect expected{item0.left, item0.bottom + 1, client.right - 1, client.bottom - 1};
    for (int i = 0; i <= 4; ++i) EXPECT_EQ(Backend().GetWindowRect(Page(i)), expected) << "page " << i;
    EXPECT_EQ(Session().pageRect, (PageRect{expected.left, expected.top, expected.Width(), expected.Height()}));

    const WindowHandle info = InfoSheet();
    ASSERT_TRUE(Backend().TabGetItemRect(info, ids130::kTabControl, 0, &item0));
    const Rect infoClient = Backend().GetControlClientRect(info, ids130::kTabControl);
    EXPECT_EQ(Backend().GetWindowRect(InfoPage()),
              (Rect{item0.left, item0.bottom + 1, infoClient.right - 1, infoClient.bottom - 1}));
  });
}

TEST_F(Sheets, TabsCarryTheirTextsAndTabZeroIsSelectedWithPageZeroShown) {
  Run([&] {
    const WindowHandle sheet = ConfigSheet();
    const char* texts[] = {"General Setting", "Update Version", "Auto-execution", "Server Setting", "New Card Wizard"};
    ASSERT_EQ(Backend().TabGetItemCount(sheet, ids129::kTabControl), 5);
    for (int i = 0; i < 5; ++i) EXPECT_EQ(Backend().TabGetItemText(sheet, ids129::kTabControl, i), texts[i]);
    EXPECT_EQ(Backend().TabGetItemText(InfoSheet(), ids130::kTabControl, 0), "System Configuration");
    EXPECT_EQ(Backend().TabGetCurSel(sheet, ids129::kTabControl), 0);
    EXPECT_TRUE(Backend().IsWindowVisible(Page(0)));
    for (int i = 1; i <= 4; ++i) EXPECT_FALSE(Backend().IsWindowVisible(Page(i)));
    EXPECT_EQ(ShownPage(sheet), Page(0));
    EXPECT_EQ(Backend().FindWindow(Page(3))->dialogTemplate->id, 145);
    EXPECT_EQ(Backend().FindWindow(InfoPage())->dialogTemplate->id, 132);
  });
}

TEST_F(Sheets, TabChangeBringsThatPageOnTopAndLeavesEarlierPagesBeneath) {
  Run([&] {
    Driver().Click(Home(), ids102::kLowerPicture);
    Driver().SelectTab(ConfigSheet(), ids129::kTabControl, 3);
    EXPECT_EQ(ShownPage(ConfigSheet()), Page(3));
    EXPECT_TRUE(Backend().IsWindowVisible(Page(3)));
    EXPECT_TRUE(Backend().IsWindowVisible(Page(0)));  // not hidden, only covered
    EXPECT_EQ(Driver().FrontMostWith(ids145::ConfirmSettingsButton), Page(3));
    Driver().SelectTab(ConfigSheet(), ids129::kTabControl, 0);
    EXPECT_EQ(ShownPage(ConfigSheet()), Page(0));
  });
}

TEST_F(Sheets, NoTabSelectedShowsPageZero) {
  Run([&] {
    Driver().Click(Home(), ids102::kLowerPicture);
    Driver().SelectTab(ConfigSheet(), ids129::kTabControl, 2);
    ASSERT_EQ(ShownPage(ConfigSheet()), Page(2));
    Backend().TabSetCurSel(ConfigSheet(), ids129::kTabControl, -1);
    WindowMessage change;
    change.message = WM_NOTIFY;
    change.controlId = ids129::kTabControl;
    change.code = TCN_SELCHANGE;
    EXPECT_EQ(Backend().Send(ConfigSheet(), change), 0);
    EXPECT_EQ(ShownPage(ConfigSheet()), Page(0));
  });
}

TEST_F(Sheets, PagesAreNeverRecreatedSoTypedTextSurvivesTabsAndSheets) {
  Run([&] {
    Driver().Click(Home(), ids102::kLowerPicture);
    Driver().SelectTab(ConfigSheet(), ids129::kTabControl, 2);
    ASSERT_EQ(Driver().TypeText(Page(2), ids131::ProgramEdit(1), "\\Windows\\demo.exe"), DriverResult::Done);
    const WindowHandle before = Page(2);
    Driver().SelectTab(ConfigSheet(), ids129::kTabControl, 0);
    Driver().Click(ConfigSheet(), ids129::kHomeButton);
    Driver().Click(Home(), ids102::kUpperPicture);
    Driver().Click(Home(), ids102::kLowerPicture);
    Driver().SelectTab(ConfigSheet(), ids129::kTabControl, 2);
    EXPECT_EQ(Page(2), before);
    EXPECT_EQ(Backend().GetControlText(Page(2), ids131::ProgramEdit(1)), "\\Windows\\demo.exe");
    int autoRunWindows = 0;
    for (WindowHandle w : Backend().Windows()) autoRunWindows += Backend().FindWindow(w)->dialogTemplate->id == 131;
    EXPECT_EQ(autoRunWindows, 1);
  });
}

TEST_F(Sheets, HomeButtonAndHomeIconHideTheConfigurationSheet) {
  Run([&] {
    Driver().Click(Home(), ids102::kLowerPicture);
    Driver().Click(ConfigSheet(), ids129::kHomeButton);
    EXPECT_FALSE(Backend().IsWindowVisible(ConfigSheet()));
    Driver().Click(Home(), ids102::kLowerPicture);
    Driver().Click(ConfigSheet(), ids129::kHomeIcon);
    EXPECT_FALSE(Backend().IsWindowVisible(ConfigSheet()));
  });
}

class ConfirmRegistry : public AppTest {
 protected:
  void Confirm(int controlId = ids129::kConfirmRegistryButton) {
    Driver().Click(Home(), ids102::kLowerPicture);
    Driver().Click(ConfigSheet(), controlId);
  }
};

TEST_F(ConfirmRegistry, NoToTheFirstQuestionFlushesNothing) {
  Driver().AnswerBox(IDNO);
  Run([&] { Confirm(); });
  EXPECT_EQ(controller.registry.flushes, 0);
  EXPECT_EQ(controller.sdk.resets, 0);
  const auto boxes = Driver().GetTranscript().MessageBoxes();
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_EQ(boxes[0].caption, "Save Registry");
  EXPECT_EQ(boxes[0].text,
            "It would take 10-15 seconds to store your settings into internal non-volatile memory. Proceed ?");
  EXPECT_EQ(boxes[0].style, 0x24u);
  EXPECT_EQ(boxes[0].ownerTemplateId, 129);
}

TEST_F(ConfirmRegistry, YesThenNoFlushesWithoutReboot) {
  controller.registry.SetDword("Velmar", "MemDivision", 5104);
  Driver().AnswerBox(IDYES);
  Driver().AnswerBox(IDNO);
  Run([&] { Confirm(); });
  EXPECT_EQ(controller.registry.flushes, 1);
  EXPECT_TRUE(controller.registry.flushed.contains("velmar"));
  EXPECT_EQ(controller.sdk.resets, 0);
  const auto boxes = Driver().GetTranscript().MessageBoxes();
  ASSERT_EQ(boxes.size(), 2u);
  EXPECT_EQ(boxes[1].caption, "System Reboot");
  EXPECT_EQ(boxes[1].text, "All settings you changed will take effect\n after system reboot, reboot now ?");
  EXPECT_EQ(boxes[1].style, 0x34u);
}

TEST_F(ConfirmRegistry, YesTwiceFlushesThenReboots) {
  Driver().AnswerBox(IDYES);
  Driver().AnswerBox(IDYES);
  Run([&] { Confirm(); });
  EXPECT_EQ(controller.registry.flushes, 1);
  EXPECT_EQ(controller.sdk.resets, 1);
  EXPECT_EQ(Driver().GetTranscript().Reboots(), 1);
  EXPECT_TRUE(std::holds_alternative<RebootEvent>(Driver().GetTranscript().Events().back()));
}

TEST_F(ConfirmRegistry, FailedFlushIsReportedAndOffersNoReboot) {
  controller.registry.flushResult = ERROR_REGISTRY_IO_FAILED;
  Driver().AnswerBox(IDYES);
  Driver().AnswerBox(IDOK);
  Run([&] { Confirm(); });
  const auto boxes = Driver().GetTranscript().MessageBoxes();
  ASSERT_EQ(boxes.size(), 2u);
  EXPECT_EQ(boxes[1].text, "RegFlushKey failed");
  EXPECT_EQ(boxes[1].caption, "Save Registry");
  EXPECT_EQ(boxes[1].style, 0x30u);
  EXPECT_EQ(controller.sdk.resets, 0);
  EXPECT_EQ(Driver().GetTranscript().Unanswered(), 0);
}

TEST_F(ConfirmRegistry, SaveIconActsAsTheButton) {
  Driver().AnswerBox(IDYES);
  Driver().AnswerBox(IDYES);
  Run([&] { Confirm(ids129::kSaveIcon); });
  EXPECT_EQ(controller.registry.flushes, 1);
  EXPECT_EQ(controller.sdk.resets, 1);
}

}  // namespace
}  // namespace talvon::test
