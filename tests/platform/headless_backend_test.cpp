// The headless backend's controls, timers, paints and answers.
#include "platform/headless/headless_backend.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/headless/headless_driver.h"
#include "platform/message_box.h"
#include "platform/templates/ids_129.h"
#include "platform/templates/ids_133.h"
#include "platform/templates/ids_134.h"
#include "platform/templates/ids_237.h"

namespace talvon {
namespace {

// Records every message a window receives.
class Recorder final : public DialogWindowSink {
 public:
  LRESULT OnWindowMessage(const WindowMessage& m) override {
    messages.push_back(m);
    if (onMessage) onMessage(m);
    return 0;
  }
  std::vector<WindowMessage> messages;
  std::function<void(const WindowMessage&)> onMessage;
  int Count(std::uint32_t message, int code = -1000) const {
    int n = 0;
    for (const auto& m : messages) n += m.message == message && (code == -1000 || m.code == code);
    return n;
  }
};

struct HeadlessTest : ::testing::Test {
  VirtualClock clock;
  HeadlessBackend backend{clock};
  HeadlessDriver driver{backend};
  Recorder sheetSink;
  Recorder pageSink;

  // A shown configuration sheet with the general setting page shown in it.
  std::pair<WindowHandle, WindowHandle> SheetWithPage() {
    const WindowHandle sheet = backend.CreateDialogWindow(*FindDialogTemplate(129), 0, sheetSink);
    const WindowHandle page = backend.CreateDialogWindow(*FindDialogTemplate(134), sheet, pageSink);
    backend.ShowWindow(sheet, SW_SHOW);
    backend.ShowWindow(page, SW_SHOW);
    return {sheet, page};
  }
};

TEST_F(HeadlessTest, ControlsStartAsTheTemplateSays) {
  const auto [sheet, page] = SheetWithPage();
  EXPECT_EQ(backend.GetControlText(sheet, ids129::kConfirmRegistryButton), "        Confirm Registry");
  EXPECT_FALSE(backend.IsControlVisible(page, ids134::kPreview800));
  EXPECT_EQ(backend.ComboGetCount(page, ids134::kFreqCombo), 4);
  EXPECT_EQ(backend.ComboGetCurSel(page, ids134::kFreqCombo), CB_ERR);
  EXPECT_EQ(backend.ResourceOfImage(backend.GetControlImage(page, ids134::kPreview640)), 143);
  EXPECT_FALSE(backend.HasControl(page, 9999));
  EXPECT_EQ(backend.GetControlText(page, 9999), "");
  // Every picture has a picture of its own.
  EXPECT_NE(backend.GetControlImage(page, ids134::kPreview), backend.GetControlImage(page, ids134::kPreview320));
}

TEST_F(HeadlessTest, PictureHandlesAreSharedNotCopied) {
  const auto [sheet, page] = SheetWithPage();
  const ImageHandle store = backend.GetControlImage(page, ids134::kPreview1024);
  const ImageHandle old = backend.SetControlImage(page, ids134::kPreview, store);
  EXPECT_EQ(backend.ResourceOfImage(old), 142);
  EXPECT_EQ(backend.GetControlImage(page, ids134::kPreview), store);
  EXPECT_EQ(driver.PictureBitmap(page, ids134::kPreview), 141);
}

TEST_F(HeadlessTest, TrackbarKeepsThePositionWithinItsRange) {
  const auto [sheet, page] = SheetWithPage();
  backend.TrackbarSetRange(page, ids134::kResolutionSlider, 0, 3, false);
  backend.TrackbarSetPosition(page, ids134::kResolutionSlider, 7, true);
  EXPECT_EQ(backend.GetTrackbar(page, ids134::kResolutionSlider).position, 3);
  backend.TrackbarSetPosition(page, ids134::kResolutionSlider, -2, true);
  EXPECT_EQ(backend.GetTrackbar(page, ids134::kResolutionSlider).position, 0);
  backend.TrackbarSetRange(page, ids134::kMemorySlider, 1, 512, false);
  EXPECT_EQ(backend.GetTrackbar(page, ids134::kMemorySlider).position, 1);
  EXPECT_EQ(backend.TrackbarSetPageSize(page, ids134::kMemorySlider, 3), 20);
  backend.TrackbarSetSelection(page, ids134::kMemorySlider, 62, 321, false);
  const TrackbarState s = backend.GetTrackbar(page, ids134::kMemorySlider);
  EXPECT_EQ(s.selectionStart, 62);
  EXPECT_EQ(s.selectionEnd, 321);
  EXPECT_EQ(s.pageSize, 3);
}

TEST_F(HeadlessTest, ComboSelectionShowsTheItemAndBadIndexClearsIt) {
  const auto [sheet, page] = SheetWithPage();
  EXPECT_EQ(backend.ComboSetCurSel(page, ids134::kBppCombo, 3), 3);
  EXPECT_EQ(backend.GetControlText(page, ids134::kBppCombo), "16");
  EXPECT_EQ(backend.ComboSetCurSel(page, ids134::kBppCombo, 4), CB_ERR);
  EXPECT_EQ(backend.ComboGetCurSel(page, ids134::kBppCombo), CB_ERR);
  EXPECT_EQ(backend.GetControlText(page, ids134::kBppCombo), "");
}

TEST_F(HeadlessTest, ProgressBarSetPosAnswersThePreviousAndStaysInRange) {
  const WindowHandle page = backend.CreateDialogWindow(*FindDialogTemplate(133), 0, pageSink);
  backend.ProgressSetRange(page, ids133::kProgressBar, 0, 100);
  EXPECT_EQ(backend.ProgressSetStep(page, ids133::kProgressBar, 1), 10);
  EXPECT_EQ(backend.ProgressSetPosition(page, ids133::kProgressBar, 42), 0);
  EXPECT_EQ(backend.ProgressSetPosition(page, ids133::kProgressBar, 140), 42);
  EXPECT_EQ(backend.GetProgress(page, ids133::kProgressBar).position, 100);
}

TEST_F(HeadlessTest, TabsSelectTheFirstItemAndMeasureItemsSideBySide) {
  const auto [sheet, page] = SheetWithPage();
  EXPECT_EQ(backend.TabGetCurSel(sheet, ids129::kTabControl), -1);
  backend.TabInsertItem(sheet, ids129::kTabControl, 0, "General Setting");
  backend.TabInsertItem(sheet, ids129::kTabControl, 1, "Update Version");
  EXPECT_EQ(backend.TabGetCurSel(sheet, ids129::kTabControl), 0);
  Rect first;
  Rect second;
  ASSERT_TRUE(backend.TabGetItemRect(sheet, ids129::kTabControl, 0, &first));
  ASSERT_TRUE(backend.TabGetItemRect(sheet, ids129::kTabControl, 1, &second));
  EXPECT_EQ(first.left, 2);
  EXPECT_EQ(second.left, first.right);
  EXPECT_EQ(second.top, first.top);
  EXPECT_FALSE(backend.TabGetItemRect(sheet, ids129::kTabControl, 2, &first));
  EXPECT_EQ(backend.GetControlClientRect(sheet, ids129::kTabControl), (Rect{0, 0, 591, 358}));
}

TEST_F(HeadlessTest, TreeInsertsLastChildrenAndWalksBack) {
  Recorder sink;
  const WindowHandle page = backend.CreateDialogWindow(*FindDialogTemplate(237), 0, sink);
  const TreeItemHandle module = backend.TreeInsertItem(page, ids237::kResourceTree, TVI_ROOT, "Slot_2: R-8142", 4, 5);
  const TreeItemHandle port = backend.TreeInsertItem(page, ids237::kResourceTree, module, "Com 5:", 19, 19);
  const TreeItemHandle leaf = backend.TreeInsertItem(page, ids237::kResourceTree, port, "I/O Base:8000240", 16, 16);
  backend.TreeInsertItem(page, ids237::kResourceTree, port, "SYSINTR:2c", 16, 16);
  backend.TreeInsertItem(page, ids237::kResourceTree, TVI_ROOT, "Slot_3: R-8017", 17, 18);
  EXPECT_EQ(backend.TreeInsertItem(page, ids237::kResourceTree, 0xDEAD, "orphan", 0, 0), 0u);
  EXPECT_EQ(backend.TreeGetParent(page, ids237::kResourceTree, leaf), port);
  EXPECT_EQ(backend.TreeGetParent(page, ids237::kResourceTree, module), TVI_ROOT);
  EXPECT_EQ(backend.TreeGetChild(page, ids237::kResourceTree, TVI_ROOT), module);
  const auto lines = driver.TreeLines(page, ids237::kResourceTree);
  ASSERT_EQ(lines.size(), 5u);
  EXPECT_EQ(lines[3].text, "SYSINTR:2c");
  EXPECT_EQ(lines[3].depth, 2);
  EXPECT_EQ(lines[4].depth, 0);
  EXPECT_EQ(lines[4].selectedImage, 18);
  EXPECT_TRUE(backend.TreeSelectItem(page, ids237::kResourceTree, leaf));
  EXPECT_EQ(backend.TreeGetSelection(page, ids237::kResourceTree), leaf);
  backend.TreeDeleteAllItems(page, ids237::kResourceTree);
  EXPECT_EQ(backend.TreeGetSelection(page, ids237::kResourceTree), 0u);
  EXPECT_TRUE(driver.TreeLines(page, ids237::kResourceTree).empty());
}

TEST_F(HeadlessTest, TrackbarsArePaintedOnlyWhenOnScreen) {
  const WindowHandle sheet = backend.CreateDialogWindow(*FindDialogTemplate(129), 0, sheetSink);
  const WindowHandle page = backend.CreateDialogWindow(*FindDialogTemplate(134), sheet, pageSink);
  backend.ShowWindow(page, SW_SHOW);
  driver.Settle();
  EXPECT_EQ(pageSink.Count(WM_NOTIFY, NM_CUSTOMDRAW), 0);  // the sheet is hidden
  backend.ShowWindow(sheet, SW_SHOW);
  EXPECT_TRUE(backend.PumpOneMessage());  // one message per call
  EXPECT_EQ(pageSink.Count(WM_NOTIFY, NM_CUSTOMDRAW), 1);
  driver.Settle();
  EXPECT_EQ(pageSink.Count(WM_NOTIFY, NM_CUSTOMDRAW), 2);  // both sliders
  EXPECT_FALSE(backend.PumpOneMessage());
  backend.TrackbarSetPosition(page, ids134::kResolutionSlider, 2, false);
  EXPECT_FALSE(backend.PumpOneMessage());  // no redraw asked
  backend.TrackbarSetPosition(page, ids134::kResolutionSlider, 1, true);
  backend.UpdateWindow(page);
  EXPECT_EQ(pageSink.Count(WM_NOTIFY, NM_CUSTOMDRAW), 3);
}

TEST_F(HeadlessTest, TimersFallDueEachPeriodAndALateOneComesOnce) {
  const WindowHandle home = backend.CreateDialogWindow(*FindDialogTemplate(102), 0, sheetSink);
  EXPECT_EQ(backend.SetTimer(home, 1, 500), 1u);
  driver.Wait(1600);
  EXPECT_EQ(sheetSink.Count(WM_TIMER), 3);
  clock.Sleep(5000);  // the thread was busy
  driver.Settle();
  EXPECT_EQ(sheetSink.Count(WM_TIMER), 4);
  EXPECT_TRUE(backend.KillTimer(home, 1));
  EXPECT_FALSE(backend.KillTimer(home, 1));
  driver.Wait(5000);
  EXPECT_EQ(sheetSink.Count(WM_TIMER), 4);
}

TEST_F(HeadlessTest, TimersEndWithTheirWindow) {
  const WindowHandle home = backend.CreateDialogWindow(*FindDialogTemplate(102), 0, sheetSink);
  backend.SetTimer(home, 1, 500);
  backend.DestroyDialogWindow(home);
  EXPECT_FALSE(backend.NextTimerDue().has_value());
}

TEST_F(HeadlessTest, MessageBoxesTakeQueuedAnswersThatFitTheirButtons) {
  const WindowHandle sheet = backend.CreateDialogWindow(*FindDialogTemplate(129), 0, sheetSink);
  driver.AnswerBox(IDYES);
  driver.AnswerBox(IDYES);  // does not fit an OK box
  EXPECT_EQ(backend.MessageBox(sheet, "Proceed ?", "Save Registry", 0x24), IDYES);
  EXPECT_EQ(backend.MessageBox(0, "done", ApplicationTitle, MB_OK), IDOK);
  EXPECT_EQ(backend.MessageBox(0, "again ?", ApplicationTitle, MB_YESNO), IDNO);  // nothing queued
  const auto boxes = driver.GetTranscript().MessageBoxes();
  ASSERT_EQ(boxes.size(), 3u);
  EXPECT_EQ(boxes[0].ownerTemplateId, 129);
  EXPECT_TRUE(boxes[0].answered);
  EXPECT_EQ(boxes[1].ownerTemplateId, 0);
  EXPECT_FALSE(boxes[1].answered);
  EXPECT_FALSE(boxes[2].answered);
  EXPECT_EQ(driver.GetTranscript().Unanswered(), 2);
}

}  // namespace
}  // namespace talvon
