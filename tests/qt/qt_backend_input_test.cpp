// What the operator does on the Qt backend reaches the dialogs as the same
// messages as on the headless backend: taps with the mouse and with a
// finger, tabs, sliders, typing, combo boxes and trees.
#include <gtest/gtest.h>

#include <QComboBox>
#include <QLineEdit>
#include <QTreeWidget>

#include "platform/clock.h"
#include "platform/headless/headless_driver.h"
#include "platform/message_box.h"
#include "platform/templates/ids_102.h"
#include "platform/templates/ids_129.h"
#include "platform/templates/ids_133.h"
#include "platform/templates/ids_134.h"
#include "platform/templates/ids_145.h"
#include "platform/templates/ids_237.h"
#include "qt/frame_window.h"
#include "qt/tab_control_widget.h"
#include "qt/trackbar_widget.h"
#include "qt_test_support.h"

namespace talvon::qt {
namespace {

using namespace test;

// The controls a tap acts on, as the headless driver sees them.
bool Tappable(const DialogItem& item) {
  if (item.id == IDC_STATIC || !item.Visible() || item.Disabled()) return false;
  switch (item.kind) {
    case ControlKind::PushButton:
    case ControlKind::CheckBox:
    case ControlKind::Edit:
      return true;
    case ControlKind::Picture:
      return item.Notifies();
    default:
      return false;
  }
}

enum class Finger { Mouse, Touch };

class TapsMatchHeadless : public ::testing::TestWithParam<Finger> {};

// Every tappable control of every template, tapped in template order on both
// backends, sends each dialog the same messages.
TEST_P(TapsMatchHeadless, EveryControlOfEveryTemplate) {
  for (int id : AllDialogTemplateIds()) {
    SCOPED_TRACE(id);
    const DialogTemplate& t = *FindDialogTemplate(id);
    VirtualClock clock;
    HeadlessBackend headless(clock);
    HeadlessDriver driver(headless);
    RecordingSink headlessSink;
    RecordingSink headlessHost;
    const WindowHandle h = OpenShown(headless, id, headlessSink, headlessHost);

    QtDialogBackend backend;
    ShowPanel(backend);
    RecordingSink sink;
    RecordingSink host;
    const WindowHandle q = OpenShown(backend, id, sink, host);
    QCoreApplication::processEvents();

    int tapped = 0;
    for (const DialogItem& item : t.items) {
      if (!Tappable(item) || t.FindItem(item.id) != &item) continue;
      SCOPED_TRACE(item.id);
      headlessSink.Clear();
      sink.Clear();
      ASSERT_EQ(driver.Click(h, item.id), DriverResult::Done);
      const std::optional<QPoint> at = TapPoint(backend.Panel(), backend.ControlWidget(q, item.id));
      ASSERT_TRUE(at.has_value()) << "covered";
      if (GetParam() == Finger::Mouse) {
        MouseTap(backend.Panel(), *at);
      } else {
        TouchTap(backend.Panel(), *at);
      }
      EXPECT_EQ(sink.Input(), headlessSink.Input());
      EXPECT_FALSE(sink.Input().empty());
      EXPECT_EQ(backend.GetCheck(q, item.id), headless.GetCheck(h, item.id));
      ++tapped;
    }
    if (id == 102) {
      EXPECT_EQ(tapped, 2);  // the two balls
    }
    EXPECT_TRUE(host.Input().empty());
  }
}

INSTANTIATE_TEST_SUITE_P(QtInput, TapsMatchHeadless, ::testing::Values(Finger::Mouse, Finger::Touch),
                         [](const auto& info) { return info.param == Finger::Mouse ? "Mouse" : "Touch"; });

// A fixture with one window of a template on a shown panel.
class QtInput : public ::testing::Test {
 protected:
  WindowHandle Open(int templateId) {
    ShowPanel(backend);
    window = OpenShown(backend, templateId, sink, host);
    QCoreApplication::processEvents();
    return window;
  }
  QWidget* Control(int id) { return backend.ControlWidget(window, id); }
  void Tap(int id) { MouseTap(backend.Panel(), *TapPoint(backend.Panel(), Control(id))); }

  QtDialogBackend backend;
  RecordingSink sink;
  RecordingSink host;
  WindowHandle window = 0;
};

TEST_F(QtInput, DisabledAndHiddenControlsTakeNoTaps) {
  Open(133);
  const QPoint write =
      *TapPoint(backend.Panel(), Control(ids133::kWriteButton));  // "Write to Flash Now" starts disabled
  MouseTap(backend.Panel(), write);
  EXPECT_TRUE(sink.Input().empty()) << ::testing::PrintToString(sink.Input());
  backend.EnableControl(window, ids133::kWriteButton, true);
  MouseTap(backend.Panel(), write);
  EXPECT_EQ(sink.Input(), (std::vector<Received>{{WM_COMMAND, ids133::kWriteButton, BN_CLICKED}}));
  sink.Clear();
  backend.ShowControl(window, ids133::kWriteButton, false);
  MouseTap(backend.Panel(), write);
  EXPECT_TRUE(sink.Input().empty());
}

// Disabling the button that has the focus must not hand the focus (and an
// EN_SETFOCUS) to another control behind the dialog's back.
TEST_F(QtInput, ADialogDisablingTheFocusedButtonMovesNoFocus) {
  Open(133);
  backend.EnableControl(window, ids133::kWriteButton, true);
  sink.onMessage = [&](const WindowMessage& m) {
    if (m.message == WM_COMMAND && m.controlId == ids133::kWriteButton) {
      backend.EnableControl(window, ids133::kBrowseButton, false);
      backend.EnableControl(window, ids133::kWriteButton, false);
    }
  };
  Tap(ids133::kWriteButton);
  EXPECT_EQ(sink.Input(), (std::vector<Received>{{WM_COMMAND, ids133::kWriteButton, BN_CLICKED}}));
  sink.onMessage = nullptr;
  sink.Clear();
  Tap(ids133::kPathField);  // the path edit takes the focus as headless has it
  EXPECT_EQ(sink.Input(), (std::vector<Received>{{WM_COMMAND, ids133::kPathField, EN_SETFOCUS}}));
}

TEST_F(QtInput, PicturesWithoutNotifyPassTapsThrough) {
  Open(102);
  QWidget* panel = backend.Panel();
  // The disc behind the balls: a tap on it reaches nobody.
  const QPoint onDisc = Control(ids102::kLowerPicture)->mapTo(panel, QPoint(-20, -20));
  MouseTap(panel, onDisc);
  EXPECT_TRUE(sink.Input().empty());
}

TEST_F(QtInput, SlidingOffAPictureCancelsTheTap) {
  Open(102);
  QWindow* w = backend.Panel()->windowHandle();
  const QPoint at = *TapPoint(backend.Panel(), Control(ids102::kUpperPicture));
  QTest::mousePress(w, Qt::LeftButton, Qt::NoModifier, at);
  QTest::mouseMove(w, at + QPoint(100, 100));
  QTest::mouseRelease(w, Qt::LeftButton, Qt::NoModifier, at + QPoint(100, 100));
  EXPECT_TRUE(sink.Input().empty());
}

TEST_F(QtInput, CaptionButtonsSendOkAndClose) {
  Open(102);
  auto* frame = static_cast<FrameWindow*>(backend.WindowWidget(window));
  MouseTap(backend.Panel(), frame->mapTo(backend.Panel(), frame->OkButtonRect().center()));
  MouseTap(backend.Panel(), frame->mapTo(backend.Panel(), frame->CloseButtonRect().center()));
  EXPECT_EQ(sink.Input(), (std::vector<Received>{{WM_COMMAND, IDOK, BN_CLICKED}, {WM_CLOSE}}));
  // The sheets have neither.
  RecordingSink sheetSink;
  auto* sheet = static_cast<FrameWindow*>(
      backend.WindowWidget(backend.CreateDialogWindow(*FindDialogTemplate(129), 0, sheetSink)));
  EXPECT_TRUE(sheet->OkButtonRect().isEmpty());
  EXPECT_TRUE(sheet->CloseButtonRect().isEmpty());
}

TEST_F(QtInput, PickingATabSelectsItThenNotifiesOnceAsHeadless) {
  Open(129);
  for (const char* text : {"General Setting", "Update Version", "Auto-execution"}) {
    backend.TabInsertItem(window, ids129::kTabControl, backend.TabGetItemCount(window, ids129::kTabControl), text);
  }
  auto* tabs = static_cast<TabControlWidget*>(Control(ids129::kTabControl));
  std::vector<int> seen;
  sink.onMessage = [&](const WindowMessage& m) {
    if (m.message == WM_NOTIFY && m.code == TCN_SELCHANGE)
      seen.push_back(backend.TabGetCurSel(window, ids129::kTabControl));
  };
  MouseTap(backend.Panel(), tabs->mapTo(backend.Panel(), tabs->ItemRect(2).center()));
  MouseTap(backend.Panel(), tabs->mapTo(backend.Panel(), tabs->ItemRect(2).center()));  // already selected
  TouchTap(backend.Panel(), tabs->mapTo(backend.Panel(), tabs->ItemRect(1).center()));
  EXPECT_EQ(seen, (std::vector<int>{2, 1}));
  EXPECT_EQ(sink.Input(), (std::vector<Received>{{WM_NOTIFY, ids129::kTabControl, TCN_SELCHANGE},
                                                 {WM_NOTIFY, ids129::kTabControl, TCN_SELCHANGE}}));
  // The dialog's own selection sends nothing.
  sink.Clear();
  EXPECT_EQ(backend.TabSetCurSel(window, ids129::kTabControl, 0), 1);
  EXPECT_TRUE(sink.Input().empty());
}

// Consecutive thumb-track messages folded into one, as headless sends one.
std::vector<Received> FoldTracking(std::vector<Received> messages) {
  std::vector<Received> out;
  for (const Received& m : messages) {
    if (m.message == WM_HSCROLL && m.code == TB_THUMBTRACK && !out.empty() && out.back().message == WM_HSCROLL &&
        out.back().code == TB_THUMBTRACK) {
      out.back() = m;
    } else {
      out.push_back(m);
    }
  }
  return out;
}

TEST_F(QtInput, DraggingTheThumbReportsTrackPositionAndEndAsHeadless) {
  Open(134);
  backend.TrackbarSetRange(window, ids134::kMemorySlider, 1, 200, false);
  backend.TrackbarSetPosition(window, ids134::kMemorySlider, 50, true);
  auto* bar = static_cast<TrackbarWidget*>(Control(ids134::kMemorySlider));
  QWindow* w = backend.Panel()->windowHandle();
  const int y = bar->height() / 2;
  const QPoint from = bar->mapTo(backend.Panel(), QPoint(bar->PositionX(50), y));
  const QPoint to = bar->mapTo(backend.Panel(), QPoint(bar->PositionX(150), y));
  QTest::mousePress(w, Qt::LeftButton, Qt::NoModifier, from);
  QTest::mouseMove(w, (from + to) / 2);
  QTest::mouseMove(w, to);
  QTest::mouseRelease(w, Qt::LeftButton, Qt::NoModifier, to);
  const int reached = backend.GetTrackbar(window, ids134::kMemorySlider).position;
  EXPECT_NEAR(reached, 150, 2);

  VirtualClock clock;
  HeadlessBackend headless(clock);
  HeadlessDriver driver(headless);
  RecordingSink headlessSink;
  RecordingSink headlessHost;
  const WindowHandle h = OpenShown(headless, 134, headlessSink, headlessHost);
  headless.TrackbarSetRange(h, ids134::kMemorySlider, 1, 200, false);
  headless.TrackbarSetPosition(h, ids134::kMemorySlider, 50, true);
  headlessSink.Clear();
  driver.MoveTrackbar(h, ids134::kMemorySlider, reached);
  EXPECT_EQ(FoldTracking(sink.Input()), headlessSink.Input());
}

TEST_F(QtInput, TappingTheChannelPagesThenEndsTheTrack) {
  Open(134);
  backend.TrackbarSetRange(window, ids134::kMemorySlider, 1, 200, false);
  backend.TrackbarSetPageSize(window, ids134::kMemorySlider, 3);
  backend.TrackbarSetPosition(window, ids134::kMemorySlider, 100, true);
  auto* bar = static_cast<TrackbarWidget*>(Control(ids134::kMemorySlider));
  const int y = bar->height() / 2;
  MouseTap(backend.Panel(), bar->mapTo(backend.Panel(), QPoint(bar->PositionX(180), y)));
  EXPECT_EQ(backend.GetTrackbar(window, ids134::kMemorySlider).position, 103);
  MouseTap(backend.Panel(), bar->mapTo(backend.Panel(), QPoint(bar->PositionX(20), y)));
  EXPECT_EQ(backend.GetTrackbar(window, ids134::kMemorySlider).position, 100);
  EXPECT_EQ(sink.Input(), (std::vector<Received>{{WM_HSCROLL, ids134::kMemorySlider, TB_PAGEDOWN},
                                                 {WM_HSCROLL, ids134::kMemorySlider, TB_ENDTRACK},
                                                 {WM_HSCROLL, ids134::kMemorySlider, TB_PAGEUP},
                                                 {WM_HSCROLL, ids134::kMemorySlider, TB_ENDTRACK}}));
}

TEST_F(QtInput, TrackbarsAskForCustomDrawWhenPainted) {
  Open(134);
  sink.Clear();
  Control(ids134::kResolutionSlider)->repaint();
  const auto& all = sink.received;
  EXPECT_NE(std::find(all.begin(), all.end(), Received{WM_NOTIFY, ids134::kResolutionSlider, NM_CUSTOMDRAW}),
            all.end());
}

TEST_F(QtInput, TypingChangesTheEditAndFocusMovesAsHeadless) {
  Open(145);
  Tap(ids145::FtpDirectoryEdit);
  QTest::keyClicks(Control(ids145::FtpDirectoryEdit), "ab");
  Tap(ids145::ConfirmSettingsButton);
  EXPECT_EQ(backend.GetControlText(window, ids145::FtpDirectoryEdit), "ab");
  EXPECT_EQ(sink.Input(), (std::vector<Received>{{WM_COMMAND, ids145::FtpDirectoryEdit, EN_SETFOCUS},
                                                 {WM_COMMAND, ids145::FtpDirectoryEdit, EN_CHANGE},
                                                 {WM_COMMAND, ids145::FtpDirectoryEdit, EN_CHANGE},
                                                 {WM_COMMAND, ids145::FtpDirectoryEdit, EN_KILLFOCUS},
                                                 {WM_COMMAND, ids145::ConfirmSettingsButton, BN_CLICKED}}));
  sink.Clear();
  backend.SetControlText(window, ids145::FtpDirectoryEdit, "\\CompactFlash");  // the dialog's own text is no change
  EXPECT_TRUE(sink.Input().empty());
  EXPECT_EQ(static_cast<QLineEdit*>(Control(ids145::FtpDirectoryEdit))->text().toStdString(), "\\CompactFlash");
}

TEST_F(QtInput, PasswordEditsHideTheirTextUntilToldOtherwise) {
  Open(145);
  auto* edit = static_cast<QLineEdit*>(Control(ids145::PasswordEdit));
  EXPECT_EQ(edit->echoMode(), QLineEdit::Password);
  EXPECT_EQ(edit->style()->styleHint(QStyle::SH_LineEdit_PasswordCharacter, nullptr, edit), '*');
  backend.SetPasswordChar(window, ids145::PasswordEdit, 0);
  EXPECT_EQ(edit->echoMode(), QLineEdit::Normal);
  EXPECT_EQ(backend.GetPasswordChar(window, ids145::PasswordEdit), 0);
}

TEST_F(QtInput, ReadOnlyEditsTakeTheFocusButNotTheText) {
  Open(133);
  Tap(ids133::kPathField);
  QTest::keyClicks(Control(ids133::kPathField), "x");
  EXPECT_EQ(backend.GetControlText(window, ids133::kPathField), "");
  EXPECT_EQ(sink.Input(), (std::vector<Received>{{WM_COMMAND, ids133::kPathField, EN_SETFOCUS}}));
}

TEST_F(QtInput, PickingAComboItemSelectsItAndReportsIt) {
  Open(134);
  auto* combo = static_cast<QComboBox*>(Control(ids134::kBppCombo));
  Tap(ids134::kBppCombo);
  if (QWidget* popup = QApplication::activePopupWidget()) popup->close();
  sink.Clear();
  backend.ComboSetCurSel(window, ids134::kBppCombo, 1);
  EXPECT_TRUE(sink.Input().empty());
  QTest::keyClick(combo, Qt::Key_Down);
  EXPECT_EQ(backend.ComboGetCurSel(window, ids134::kBppCombo), 2);
  EXPECT_EQ(backend.GetControlText(window, ids134::kBppCombo), "8");
  EXPECT_EQ(sink.Input(), (std::vector<Received>{{WM_COMMAND, ids134::kBppCombo, CBN_SELCHANGE}}));
  EXPECT_EQ(backend.ComboSetCurSel(window, ids134::kBppCombo, 9), CB_ERR);
  EXPECT_EQ(backend.ComboGetCurSel(window, ids134::kBppCombo), CB_ERR);
  EXPECT_EQ(backend.ComboAddString(window, ids134::kBppCombo, "32"), 4);
  EXPECT_EQ(backend.ComboGetCurSel(window, ids134::kBppCombo), CB_ERR);  // adding selects nothing
}

TEST_F(QtInput, TreeSelectionByTheOperatorNotifiesAndByTheDialogDoesNot) {
  Open(237);
  const ImageListHandle images = backend.CreateImageList(32, 32, ILC_COLOR32 | ILC_MASK, 12, 4);
  for (int bitmap : {283, 302, 269, 242}) backend.ImageListAddBitmap(images, bitmap, RGB(255, 255, 255));
  backend.TreeSetImageList(window, ids237::kResourceTree, images);
  const TreeItemHandle module = backend.TreeInsertItem(window, ids237::kResourceTree, TVI_ROOT, "R - 142", 0, 1);
  const TreeItemHandle port = backend.TreeInsertItem(window, ids237::kResourceTree, module, "Com 5:", 2, 2);
  backend.TreeInsertItem(window, ids237::kResourceTree, port, "I/O Base:ab000040", 3, 3);
  EXPECT_EQ(backend.TreeGetChild(window, ids237::kResourceTree, TVI_ROOT), module);
  EXPECT_EQ(backend.TreeGetParent(window, ids237::kResourceTree, port), module);
  EXPECT_EQ(backend.TreeInsertItem(window, ids237::kResourceTree, 0xDEAD, "orphan", 0, 0), 0u);

  EXPECT_TRUE(backend.TreeSelectItem(window, ids237::kResourceTree, port));
  EXPECT_TRUE(sink.Input().empty());
  auto* tree = static_cast<QTreeWidget*>(Control(ids237::kResourceTree));
  const QRect row = tree->visualItemRect(tree->topLevelItem(0));
  MouseTap(backend.Panel(), tree->viewport()->mapTo(backend.Panel(), row.center()));
  EXPECT_EQ(backend.TreeGetSelection(window, ids237::kResourceTree), module);
  EXPECT_EQ(sink.Input(), (std::vector<Received>{{WM_NOTIFY, ids237::kResourceTree, TVN_SELCHANGED}}));
  TreeItemInfo info;
  ASSERT_TRUE(backend.TreeGetItem(window, ids237::kResourceTree, module, &info));
  EXPECT_EQ(info.text, "R - 142");
  EXPECT_EQ(info.selectedImage, 1);
  EXPECT_EQ(tree->iconSize(), QSize(26, 26));  // 32 x 32 at the sheets' picture scale
}

}  // namespace
}  // namespace talvon::qt
