// CDialog on the headless backend: message maps, default processing,
// creation and destruction, data exchange.
#include "platform/dialog.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/headless/headless_driver.h"
#include "platform/message_box.h"
#include "platform/templates/ids_133.h"
#include "platform/templates/ids_134.h"

namespace talvon {
namespace {

// Template 133 gives a page with a button, an edit, a progress bar and a status line.
class ProbePage : public CDialog {
 public:
  ProbePage() : CDialog(133) {
    Messages().OnCommand(ids133::kBrowseButton, BN_CLICKED, [this] { log.push_back("browse"); });
    Messages().OnCommand(ids133::kPathField, EN_SETFOCUS, [this] { log.push_back("focus"); });
    Messages().OnCommand(ids133::kPathField, EN_CHANGE,
                         [this] { log.push_back("change:" + GetDlgItemText(ids133::kPathField)); });
    Messages().OnHScroll([this](int code, int position, int controlId) {
      log.push_back("scroll " + std::to_string(code) + " " + std::to_string(position) + " " +
                    std::to_string(controlId));
    });
    Messages().OnCtlColor([](ControlColours& colours, int controlId) {
      if (controlId == ids133::kStatusLine) colours.textColour = RGB(255, 0, 0);
    });
    Messages().OnDestroy([this] { log.push_back("destroy"); });
  }
  bool OnInitDialog() override {
    CDialog::OnInitDialog();
    log.push_back("init");
    return true;
  }
  void DoDataExchange(DataExchange& exchange) override {
    exchange.Control(ids133::kProgressBar, progress);
    exchange.Text(ids133::kPathField, path);
  }
  std::vector<std::string> log;
  CProgressCtrl progress;
  std::string path = "\\CompactFlash\\nk.bin";
};

class Parent : public CDialog {
 public:
  Parent() : CDialog(130) {}
};

struct DialogTest : ::testing::Test {
  VirtualClock clock;
  HeadlessBackend backend{clock};
  HeadlessDriver driver{backend};
};

TEST_F(DialogTest, CreateInitialisesOnceAndKeepsAHiddenTemplateHidden) {
  Parent parent;
  ASSERT_TRUE(parent.Create(backend));
  ProbePage page;
  ASSERT_TRUE(page.Create(parent));
  EXPECT_EQ(page.log, std::vector<std::string>{"init"});
  EXPECT_FALSE(page.IsWindowVisible());
  EXPECT_FALSE(page.Create(parent));                               // the window exists already
  EXPECT_EQ(page.GetDlgItemText(ids133::kPathField), "\\CompactFlash\\nk.bin");  // data exchange ran on init
  EXPECT_EQ(backend.FindWindow(page.Handle())->parent, parent.Handle());
}

TEST_F(DialogTest, MessageMapTellsNotificationsOfOneControlApart) {
  Parent parent;
  parent.Create(backend);
  parent.ShowWindow(SW_SHOW);
  ProbePage page;
  page.Create(parent);
  page.ShowWindow(SW_SHOW);
  driver.TypeText(page.Handle(), ids133::kPathField, "x");  // read-only: focus, no change
  driver.Click(page.Handle(), ids133::kBrowseButton);
  EXPECT_EQ(page.log, (std::vector<std::string>{"init", "focus", "browse"}));
  EXPECT_EQ(driver.Click(page.Handle(), ids133::kWriteButton), DriverResult::Disabled);
  EXPECT_EQ(page.log.size(), 3u);
}

TEST_F(DialogTest, ColourRequestsStartFromTheDefaults) {
  Parent parent;
  parent.Create(backend);
  ProbePage page;
  page.Create(parent);
  const ControlColours status = driver.Colours(page.Handle(), ids133::kStatusLine);
  EXPECT_EQ(status.textColour, RGB(255, 0, 0));
  EXPECT_EQ(status.controlType, CTLCOLOR_STATIC);
  const ControlColours button = driver.Colours(page.Handle(), ids133::kBrowseButton);
  EXPECT_FALSE(button.textColour.has_value());
  EXPECT_EQ(button.controlType, CTLCOLOR_BTN);
}

TEST_F(DialogTest, DataExchangeMovesTextsBothWaysAndBindsControls) {
  Parent parent;
  parent.Create(backend);
  ProbePage page;
  page.Create(parent);
  page.progress.SetRange32(0, 100);
  EXPECT_EQ(page.progress.SetPos(40), 0);
  EXPECT_EQ(backend.GetProgress(page.Handle(), ids133::kProgressBar).position, 40);
  page.SetDlgItemText(ids133::kPathField, "\\CompactFlash\\other.bin");
  page.UpdateData(true);
  EXPECT_EQ(page.path, "\\CompactFlash\\other.bin");
}

TEST_F(DialogTest, ControlObjectsDoNothingBeforeTheWindowExists) {
  ProbePage page;
  CSliderCtrl slider = page.GetDlgItem<CSliderCtrl>(ids134::kMemorySlider);
  slider.SetPos(5);
  EXPECT_EQ(slider.GetPos(), 0);
  EXPECT_EQ(page.GetDlgItemText(ids133::kPathField), "");
  EXPECT_EQ(page.MessageBox("text", "caption", MB_YESNO), IDCANCEL);
  EXPECT_TRUE(driver.GetTranscript().Events().empty());
}

TEST_F(DialogTest, DestroyingAParentDestroysItsChildrenFirstWithWmDestroy) {
  Parent parent;
  parent.Create(backend);
  ProbePage page;
  page.Create(parent);
  const WindowHandle child = page.Handle();
  parent.DestroyWindow();
  EXPECT_EQ(page.log.back(), "destroy");
  EXPECT_FALSE(page.HasWindow());
  EXPECT_EQ(backend.FindWindow(child), nullptr);
  EXPECT_TRUE(backend.Windows().empty());
}

TEST_F(DialogTest, ChildDestroyedFirstLeavesTheParentSound) {
  Parent parent;
  parent.Create(backend);
  {
    ProbePage page;
    page.Create(parent);
  }
  parent.DestroyWindow();
  EXPECT_TRUE(backend.Windows().empty());
}

TEST_F(DialogTest, CloseEndsAModalDialogAndCaptionOkEndsItWithIdOk) {
  Parent modal;
  backend.SetOperator([&] {
    driver.Close(modal.Handle());
    return true;
  });
  EXPECT_EQ(modal.DoModal(backend), IDCANCEL);
  EXPECT_FALSE(modal.HasWindow());

  Parent second;
  backend.SetOperator([&] {
    driver.PressOk(second.Handle());
    return true;
  });
  EXPECT_EQ(second.DoModal(backend), IDOK);
}

TEST_F(DialogTest, ModalLoopEndsWithMinusOneWhenTheOperatorStops) {
  Parent modal;
  backend.SetOperator([] { return false; });
  EXPECT_EQ(modal.DoModal(backend), -1);
  EXPECT_TRUE(backend.Windows().empty());
}

TEST_F(DialogTest, EndDialogHidesAModelessDialog) {
  Parent sheet;
  sheet.Create(backend);
  sheet.ShowWindow(SW_SHOW);
  sheet.EndDialog(IDOK);
  EXPECT_FALSE(sheet.IsWindowVisible());
  EXPECT_TRUE(sheet.HasWindow());
  EXPECT_EQ(sheet.Result(), IDOK);
}

TEST_F(DialogTest, FileDialogHandsBackTheFullPathOnlyOnOk) {
  driver.AnswerFile("\\CompactFlash\\nk.bin");
  driver.CancelFile();
  CFileDialog first(backend, "OSimage Files(*.bin)|*.bin", OFN_FILEMUSTEXIST | OFN_PATHMUSTEXIST);
  EXPECT_EQ(first.DoModal(), IDOK);
  EXPECT_EQ(first.GetPathName(), "\\CompactFlash\\nk.bin");
  CFileDialog second(backend, "ALL Files(*.*)|*.*", 0x1800);
  EXPECT_EQ(second.DoModal(), IDCANCEL);
  EXPECT_EQ(second.GetPathName(), "");
  CFileDialog third(backend, "ALL Files(*.*)|*.*", 0x1800);
  EXPECT_EQ(third.DoModal(), IDCANCEL);
  const auto dialogs = driver.GetTranscript().FileDialogs();
  ASSERT_EQ(dialogs.size(), 3u);
  EXPECT_EQ(dialogs[0].filter, "OSimage Files(*.bin)|*.bin");
  EXPECT_EQ(dialogs[0].flags, 0x1800u);
  EXPECT_TRUE(dialogs[1].answered);
  EXPECT_FALSE(dialogs[2].answered);
}

}  // namespace
}  // namespace talvon
