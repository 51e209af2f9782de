// The operator's actions through the driver, and where an id is found.
#include "platform/headless/headless_driver.h"

#include <gtest/gtest.h>

#include <vector>

#include "platform/message_box.h"
#include "platform/templates/ids_102.h"
#include "platform/templates/ids_129.h"
#include "platform/templates/ids_131.h"
#include "platform/templates/ids_134.h"
#include "platform/templates/ids_145.h"
#include "platform/templates/ids_237.h"

namespace talvon {
namespace {

class Recorder final : public DialogWindowSink {
 public:
  LRESULT OnWindowMessage(const WindowMessage& m) override {
    if (m.message == WM_CTLCOLOR) return 0;
    messages.push_back(m);
    return 0;
  }
  std::vector<WindowMessage> messages;
};

struct DriverTest : ::testing::Test {
  VirtualClock clock;
  HeadlessBackend backend{clock};
  HeadlessDriver driver{backend};
  Recorder homeSink;
  Recorder sheetSink;
  Recorder pageSink;
  Recorder otherPageSink;

  WindowHandle Show(int templateId, WindowHandle parent, Recorder& sink) {
    const WindowHandle w = backend.CreateDialogWindow(*FindDialogTemplate(templateId), parent, sink);
    backend.ShowWindow(w, SW_SHOW);
    driver.Settle();
    sink.messages.clear();
    return w;
  }
};

TEST_F(DriverTest, CheckBoxTogglesBeforeItReportsTheClick) {
  const WindowHandle sheet = Show(129, 0, sheetSink);
  const WindowHandle page = Show(145, sheet, pageSink);
  EXPECT_EQ(driver.Click(page, ids145::FtpServerCheck), DriverResult::Done);
  EXPECT_EQ(backend.GetCheck(page, ids145::FtpServerCheck), BST_CHECKED);
  ASSERT_EQ(pageSink.messages.size(), 1u);
  EXPECT_EQ(pageSink.messages[0].controlId, ids145::FtpServerCheck);
  EXPECT_EQ(pageSink.messages[0].code, BN_CLICKED);
  driver.Click(page, ids145::FtpServerCheck);
  EXPECT_EQ(driver.DisplayValue(page, ids145::FtpServerCheck), "0");
}

TEST_F(DriverTest, TapsThatCannotReachAControlSendNothing) {
  const WindowHandle sheet = Show(129, 0, sheetSink);
  const WindowHandle page = Show(145, sheet, pageSink);
  EXPECT_EQ(driver.Click(page, ids145::HomeButton), DriverResult::Hidden);  // hidden Home
  EXPECT_EQ(driver.TypeText(page, ids145::PasswordEdit, "pw"), DriverResult::Disabled);
  EXPECT_EQ(driver.Click(sheet, 4242), DriverResult::NoControl);
  EXPECT_EQ(driver.Click(page, ids145::FtpDirectoryLabel), DriverResult::WrongKind);  // a label
  EXPECT_EQ(driver.SelectTab(page, ids145::ConfirmSettingsButton, 0), DriverResult::WrongKind);
  EXPECT_TRUE(pageSink.messages.empty());
  backend.ShowWindow(sheet, SW_HIDE);
  EXPECT_EQ(driver.Click(page, ids145::ConfirmSettingsButton), DriverResult::Hidden);  // its sheet is hidden
}

TEST_F(DriverTest, TypingFocusesTheEditOnceThenReplacesItsText) {
  const WindowHandle sheet = Show(129, 0, sheetSink);
  const WindowHandle page = Show(131, sheet, pageSink);
  driver.TypeText(page, ids131::ProgramEdit(2), "\\Windows\\a.exe");
  driver.TypeText(page, ids131::ProgramEdit(2), "\\Windows\\b.exe");
  std::vector<int> codes;
  for (const auto& m : pageSink.messages) codes.push_back(m.code);
  EXPECT_EQ(codes, (std::vector<int>{EN_SETFOCUS, EN_CHANGE, EN_CHANGE}));
  EXPECT_EQ(backend.GetControlText(page, ids131::ProgramEdit(2)), "\\Windows\\b.exe");
  pageSink.messages.clear();
  driver.TypeText(page, ids131::ProgramEdit(3), "x");  // the focus moves on
  EXPECT_EQ(pageSink.messages[0].controlId, ids131::ProgramEdit(2));
  EXPECT_EQ(pageSink.messages[0].code, EN_KILLFOCUS);
  EXPECT_EQ(pageSink.messages[1].controlId, ids131::ProgramEdit(3));
  EXPECT_EQ(pageSink.messages[1].code, EN_SETFOCUS);
}

TEST_F(DriverTest, ATapOnAButtonTakesTheFocusFromAnEdit) {
  const WindowHandle sheet = Show(129, 0, sheetSink);
  const WindowHandle page = Show(131, sheet, pageSink);
  driver.Click(page, ids131::ProgramEdit(1));
  driver.Click(page, ids131::ConfirmSettingButton);
  pageSink.messages.clear();
  driver.Click(page, ids131::ProgramEdit(1));
  ASSERT_EQ(pageSink.messages.size(), 1u);
  EXPECT_EQ(pageSink.messages[0].code, EN_SETFOCUS);
}

TEST_F(DriverTest, SliderDragEndsWithTheThumbReleasedAtItsClampedPosition) {
  const WindowHandle sheet = Show(129, 0, sheetSink);
  const WindowHandle page = Show(134, sheet, pageSink);
  backend.TrackbarSetRange(page, ids134::kMemorySlider, 1, 512, false);
  EXPECT_EQ(driver.MoveTrackbar(page, ids134::kMemorySlider, 900), DriverResult::Done);
  std::vector<std::pair<int, int>> scrolls;
  for (const auto& m : pageSink.messages) {
    if (m.message == WM_HSCROLL) {
      EXPECT_EQ(m.controlId, ids134::kMemorySlider);
      scrolls.emplace_back(m.code, m.position);
    }
  }
  EXPECT_EQ(scrolls,
            (std::vector<std::pair<int, int>>{{TB_THUMBTRACK, 512}, {TB_THUMBPOSITION, 512}, {TB_ENDTRACK, 0}}));
  EXPECT_EQ(driver.DisplayValue(page, ids134::kMemorySlider), "512");
}

TEST_F(DriverTest, ComboPickAndTabSelectionNotifyTheirDialogs) {
  const WindowHandle sheet = Show(129, 0, sheetSink);
  const WindowHandle page = Show(134, sheet, pageSink);
  backend.TabInsertItem(sheet, ids129::kTabControl, 0, "General Setting");
  backend.TabInsertItem(sheet, ids129::kTabControl, 1, "Update Version");
  EXPECT_EQ(driver.PickComboItem(page, ids134::kFreqCombo, 1), DriverResult::Done);
  EXPECT_EQ(pageSink.messages.back().code, CBN_SELCHANGE);
  EXPECT_EQ(driver.DisplayValue(page, ids134::kFreqCombo), "1");
  EXPECT_EQ(driver.PickComboItem(page, ids134::kFreqCombo, 4), DriverResult::OutOfRange);
  EXPECT_EQ(driver.SelectTab(sheet, ids129::kTabControl, 0), DriverResult::Done);  // already selected: no notification
  EXPECT_TRUE(sheetSink.messages.empty());
  EXPECT_EQ(driver.SelectTab(sheet, ids129::kTabControl, 1), DriverResult::Done);
  ASSERT_EQ(sheetSink.messages.size(), 1u);
  EXPECT_EQ(sheetSink.messages[0].code, TCN_SELCHANGE);
  EXPECT_EQ(driver.SelectTab(sheet, ids129::kTabControl, 5), DriverResult::OutOfRange);
}

TEST_F(DriverTest, TreeItemIsFoundByTextInDisplayOrder) {
  const WindowHandle sheet = Show(129, 0, sheetSink);
  const WindowHandle page = Show(237, sheet, pageSink);
  const TreeItemHandle a = backend.TreeInsertItem(page, ids237::kResourceTree, TVI_ROOT, "Slot_1: R-8142", 0, 1);
  backend.TreeInsertItem(page, ids237::kResourceTree, a, "Com 5:", 19, 19);
  const TreeItemHandle b = backend.TreeInsertItem(page, ids237::kResourceTree, TVI_ROOT, "Slot_2: R-8142", 0, 1);
  const TreeItemHandle second = backend.TreeInsertItem(page, ids237::kResourceTree, b, "Com 5:", 19, 19);
  EXPECT_EQ(driver.SelectTreeItem(page, ids237::kResourceTree, "Com 5:"), DriverResult::Done);
  EXPECT_NE(backend.TreeGetSelection(page, ids237::kResourceTree), second);
  EXPECT_EQ(backend.TreeGetParent(page, ids237::kResourceTree, backend.TreeGetSelection(page, ids237::kResourceTree)),
            a);
  EXPECT_EQ(pageSink.messages.back().code, TVN_SELCHANGED);
  EXPECT_EQ(driver.SelectTreeItem(page, ids237::kResourceTree, "Com 9:"), DriverResult::NotFound);
}

TEST_F(DriverTest, AnIdIsFoundOnTheShownPageThenItsSheetThenTheHomeScreen) {
  // The same number names a control of the home screen and one of the wizard.
  static_assert(ids102::kUpperPicture == ids237::kInformationLine);
  const WindowHandle home = Show(102, 0, homeSink);
  const WindowHandle sheet = backend.CreateDialogWindow(*FindDialogTemplate(129), 0, sheetSink);
  const WindowHandle general = backend.CreateDialogWindow(*FindDialogTemplate(134), sheet, pageSink);
  const WindowHandle wizard = backend.CreateDialogWindow(*FindDialogTemplate(237), sheet, otherPageSink);
  backend.SetWindowPos(general, HWND_TOP, 0, 0, 10, 10, SWP_SHOWWINDOW);
  backend.SetWindowPos(wizard, HWND_TOP, 0, 0, 10, 10, SWP_HIDEWINDOW);
  EXPECT_EQ(driver.FrontMostWith(ids102::kUpperPicture), home);  // the sheet is hidden
  backend.ShowWindow(sheet, SW_SHOW);
  EXPECT_EQ(driver.FrontMostWith(ids129::kConfirmRegistryButton), sheet);
  EXPECT_EQ(driver.FrontMostWith(ids134::kConfirmSettings), general);
  EXPECT_EQ(driver.FrontMostWith(ids102::kUpperPicture), home);  // the wizard is not shown
  backend.SetWindowPos(wizard, HWND_TOP, 0, 0, 10, 10, SWP_SHOWWINDOW);
  EXPECT_EQ(driver.FrontMostWith(ids102::kUpperPicture), wizard);
  EXPECT_EQ(driver.FrontMostWith(ids134::kConfirmSettings), 0u);  // covered by the wizard
  EXPECT_EQ(driver.WindowsFrontToBack(), (std::vector<WindowHandle>{wizard, sheet, home}));
  EXPECT_EQ(driver.FrontMostWith(7777), 0u);
}

TEST_F(DriverTest, WaitDeliversEachTickAtItsTime) {
  class Ticks final : public DialogWindowSink {
   public:
    explicit Ticks(Clock& c) : clock(c) {}
    LRESULT OnWindowMessage(const WindowMessage& m) override {
      if (m.message == WM_TIMER) at.push_back(clock.NowMs());
      return 0;
    }
    Clock& clock;
    std::vector<std::uint64_t> at;
  } ticks(clock);
  const WindowHandle w = backend.CreateDialogWindow(*FindDialogTemplate(102), 0, ticks);
  backend.SetTimer(w, 1, 500);
  backend.SetTimer(w, 2, 1500);
  driver.Wait(1500);
  EXPECT_EQ(ticks.at, (std::vector<std::uint64_t>{500, 1000, 1500, 1500}));
  EXPECT_EQ(clock.NowMs(), 1500u);
}

}  // namespace
}  // namespace talvon
