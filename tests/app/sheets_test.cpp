#include <gtest/gtest.h>

#include "app/app_fixture.h"
#include "app/page_rect.h"

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
    ASSERT_TRUE(backend.TabGetItemRect(sheet, 1001, 0, &item0));
    const Rect client = backend.GetControlClientRect(sheet, 1001);
    const Rect expected{item0.left, item0.bottom + 1, client.right - 1, client.bottom - 1};
    for (int i = 0; i <= 4; ++i) EXPECT_EQ(backend.GetWindowRect(Page(i)), expected) << "page " << i;
    EXPECT_EQ(Session().pageRect, (PageRect{expected.left, expected.top, expected.Width(), expected.Height()}));

    const WindowHandle info = InfoSheet();
    ASSERT_TRUE(backend.TabGetItemRect(info, 1000, 0, &item0));
    const Rect infoClient = backend.GetControlClientRect(info, 1000);
    EXPECT_EQ(backend.GetWindowRect(InfoPage()),
              (Rect{item0.left, item0.bottom + 1, infoClient.right - 1, infoClient.bottom - 1}));
  });
}

TEST_F(Sheets, TabsCarryTheirTextsAndTabZeroIsSelectedWithPageZeroShown) {
  Run([&] {
    const WindowHandle sheet = ConfigSheet();
    const char* texts[] = {"General Setting", "Update Version", "Auto-execution", "Server Setting", "New Card Wizard"};
    ASSERT_EQ(backend.TabGetItemCount(sheet, 1001), 5);
    for (int i = 0; i < 5; ++i) EXPECT_EQ(backend.TabGetItemText(sheet, 1001, i), texts[i]);
    EXPECT_EQ(backend.TabGetItemText(InfoSheet(), 1000, 0), "System Configuration");
    EXPECT_EQ(backend.TabGetCurSel(sheet, 1001), 0);
    EXPECT_TRUE(backend.IsWindowVisible(Page(0)));
    for (int i = 1; i <= 4; ++i) EXPECT_FALSE(backend.IsWindowVisible(Page(i)));
    EXPECT_EQ(ShownPage(sheet), Page(0));
    EXPECT_EQ(backend.FindWindow(Page(3))->dialogTemplate->id, 145);
    EXPECT_EQ(backend.FindWindow(InfoPage())->dialogTemplate->id, 132);
  });
}

TEST_F(Sheets, TabChangeBringsThatPageOnTopAndLeavesEarlierPagesBeneath) {
  Run([&] {
    driver.Click(Home(), 1076);
    driver.SelectTab(ConfigSheet(), 1001, 3);
    EXPECT_EQ(ShownPage(ConfigSheet()), Page(3));
    EXPECT_TRUE(backend.IsWindowVisible(Page(3)));
    EXPECT_TRUE(backend.IsWindowVisible(Page(0)));  // not hidden, only covered
    EXPECT_EQ(driver.FrontMostWith(1061), Page(3));
    driver.SelectTab(ConfigSheet(), 1001, 0);
    EXPECT_EQ(ShownPage(ConfigSheet()), Page(0));
  });
}

TEST_F(Sheets, NoTabSelectedShowsPageZero) {
  Run([&] {
    driver.Click(Home(), 1076);
    driver.SelectTab(ConfigSheet(), 1001, 2);
    ASSERT_EQ(ShownPage(ConfigSheet()), Page(2));
    backend.TabSetCurSel(ConfigSheet(), 1001, -1);
    WindowMessage change;
    change.message = WM_NOTIFY;
    change.controlId = 1001;
    change.code = TCN_SELCHANGE;
    EXPECT_EQ(backend.Send(ConfigSheet(), change), 0);
    EXPECT_EQ(ShownPage(ConfigSheet()), Page(0));
  });
}

TEST_F(Sheets, PagesAreNeverRecreatedSoTypedTextSurvivesTabsAndSheets) {
  Run([&] {
    driver.Click(Home(), 1076);
    driver.SelectTab(ConfigSheet(), 1001, 2);
    ASSERT_EQ(driver.TypeText(Page(2), 1017, "\\Windows\\demo.exe"), DriverResult::Done);
    const WindowHandle before = Page(2);
    driver.SelectTab(ConfigSheet(), 1001, 0);
    driver.Click(ConfigSheet(), 1087);
    driver.Click(Home(), 1075);
    driver.Click(Home(), 1076);
    driver.SelectTab(ConfigSheet(), 1001, 2);
    EXPECT_EQ(Page(2), before);
    EXPECT_EQ(backend.GetControlText(Page(2), 1017), "\\Windows\\demo.exe");
    int autoRunWindows = 0;
    for (WindowHandle w : backend.Windows()) autoRunWindows += backend.FindWindow(w)->dialogTemplate->id == 131;
    EXPECT_EQ(autoRunWindows, 1);
  });
}

TEST_F(Sheets, HomeButtonAndHomeIconHideTheConfigurationSheet) {
  Run([&] {
    driver.Click(Home(), 1076);
    driver.Click(ConfigSheet(), 1087);
    EXPECT_FALSE(backend.IsWindowVisible(ConfigSheet()));
    driver.Click(Home(), 1076);
    driver.Click(ConfigSheet(), 1082);
    EXPECT_FALSE(backend.IsWindowVisible(ConfigSheet()));
  });
}

class ConfirmRegistry : public AppTest {
 protected:
  void Confirm(int controlId = 1088) {
    driver.Click(Home(), 1076);
    driver.Click(ConfigSheet(), controlId);
  }
};

TEST_F(ConfirmRegistry, NoToTheFirstQuestionFlushesNothing) {
  driver.AnswerBox(IDNO);
  Run([&] { Confirm(); });
  EXPECT_EQ(controller.registry.flushes, 0);
  EXPECT_EQ(controller.sdk.resets, 0);
  const auto boxes = driver.GetTranscript().MessageBoxes();
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_EQ(boxes[0].caption, "Save Registry");
  EXPECT_EQ(boxes[0].text,
            "It would take 10-15 seconds to store your settings into internal non-volatile memory. Proceed ?");
  EXPECT_EQ(boxes[0].style, 0x24u);
  EXPECT_EQ(boxes[0].ownerTemplateId, 129);
}

TEST_F(ConfirmRegistry, YesThenNoFlushesWithoutReboot) {
  controller.registry.SetDword("Velmar", "MemDivision", 5104);
  driver.AnswerBox(IDYES);
  driver.AnswerBox(IDNO);
  Run([&] { Confirm(); });
  EXPECT_EQ(controller.registry.flushes, 1);
  EXPECT_TRUE(controller.registry.flushed.contains("velmar"));
  EXPECT_EQ(controller.sdk.resets, 0);
  const auto boxes = driver.GetTranscript().MessageBoxes();
  ASSERT_EQ(boxes.size(), 2u);
  EXPECT_EQ(boxes[1].caption, "System Reboot");
  EXPECT_EQ(boxes[1].text, "All settings you changed will take effect\n after system reboot, reboot now ?");
  EXPECT_EQ(boxes[1].style, 0x34u);
}

TEST_F(ConfirmRegistry, YesTwiceFlushesThenReboots) {
  driver.AnswerBox(IDYES);
  driver.AnswerBox(IDYES);
  Run([&] { Confirm(); });
  EXPECT_EQ(controller.registry.flushes, 1);
  EXPECT_EQ(controller.sdk.resets, 1);
  EXPECT_EQ(driver.GetTranscript().Reboots(), 1);
  EXPECT_TRUE(std::holds_alternative<RebootEvent>(driver.GetTranscript().Events().back()));
}

TEST_F(ConfirmRegistry, FailedFlushIsReportedAndOffersNoReboot) {
  controller.registry.flushResult = ERROR_REGISTRY_IO_FAILED;
  driver.AnswerBox(IDYES);
  driver.AnswerBox(IDOK);
  Run([&] { Confirm(); });
  const auto boxes = driver.GetTranscript().MessageBoxes();
  ASSERT_EQ(boxes.size(), 2u);
  EXPECT_EQ(boxes[1].text, "RegFlushKey failed");
  EXPECT_EQ(boxes[1].caption, "Save Registry");
  EXPECT_EQ(boxes[1].style, 0x30u);
  EXPECT_EQ(controller.sdk.resets, 0);
  EXPECT_EQ(driver.GetTranscript().Unanswered(), 0);
}

TEST_F(ConfirmRegistry, SaveIconActsAsTheButton) {
  driver.AnswerBox(IDYES);
  driver.AnswerBox(IDYES);
  Run([&] { Confirm(1090); });
  EXPECT_EQ(controller.registry.flushes, 1);
  EXPECT_EQ(controller.sdk.resets, 1);
}

}  // namespace
}  // namespace talvon::test
