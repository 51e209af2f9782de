// The Qt backend's message flow: timers, modal loops, the pump that lets an
// OS write repaint its progress, the wait cursor, control colours and the
// controller going down.
#include <gtest/gtest.h>

#include <QCursor>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QImage>
#include <QTimer>

#include "platform/message_box.h"
#include "platform/templates/ids_133.h"
#include "platform/templates/ids_134.h"
#include "qt/panel_theme.h"
#include "qt/trackbar_widget.h"
#include "qt_test_support.h"

namespace talvon::qt {
namespace {

using namespace test;

// Turns the event loop until the condition holds; the bound only keeps a
// broken backend from hanging the suite.
template <typename Condition>
bool SpinUntil(Condition condition) {
  QElapsedTimer bound;
  bound.start();
  while (!condition()) {
    if (bound.elapsed() > 10000) return false;
    QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents, 50);
  }
  return true;
}

int Count(const std::vector<Received>& messages, const Received& wanted) {
  return static_cast<int>(std::count(messages.begin(), messages.end(), wanted));
}

TEST(QtFlow, TimersArriveAsWmTimerUntilKilled) {
  QtDialogBackend backend;
  RecordingSink sink;
  const WindowHandle home = backend.CreateDialogWindow(*FindDialogTemplate(102), 0, sink);
  EXPECT_EQ(backend.SetTimer(home, 1, 10), 1u);
  EXPECT_EQ(backend.SetTimer(home, 7, 10), 7u);
  ASSERT_TRUE(SpinUntil([&] { return Count(sink.received, Received{WM_TIMER, 0, 0, 0, 1}) >= 2; }));
  ASSERT_TRUE(SpinUntil([&] { return Count(sink.received, Received{WM_TIMER, 0, 0, 0, 7}) >= 1; }));
  EXPECT_TRUE(backend.KillTimer(home, 1));
  EXPECT_FALSE(backend.KillTimer(home, 1));
  sink.Clear();
  ASSERT_TRUE(SpinUntil([&] { return Count(sink.received, Received{WM_TIMER, 0, 0, 0, 7}) >= 2; }));
  EXPECT_EQ(Count(sink.received, Received{WM_TIMER, 0, 0, 0, 1}), 0);
  EXPECT_EQ(backend.SetTimer(0xBAD, 1, 10), 0u);
  backend.DestroyDialogWindow(home);  // its timers go with it
  EXPECT_FALSE(backend.KillTimer(home, 7));
}

TEST(QtFlow, TheModalLoopAnswersWhatEndsIt) {
  QtDialogBackend backend;
  RecordingSink sink;
  const WindowHandle home = backend.CreateDialogWindow(*FindDialogTemplate(102), 0, sink);
  QTimer::singleShot(0, backend.Panel(), [&] { backend.EndModalLoop(home, 42); });
  EXPECT_EQ(backend.RunModalLoop(home), 42);
  backend.EndModalLoop(home, 5);  // ended before the loop runs: it returns at once
  EXPECT_EQ(backend.RunModalLoop(home), 5);
  EXPECT_EQ(backend.RunModalLoop(0xBAD), -1);
}

TEST(QtFlow, ShuttingDownEndsTheLoopsAndAnswersQuestionsHarmlessly) {
  QtDialogBackend backend;
  ShowPanel(backend);
  RecordingSink sink;
  const WindowHandle home = backend.CreateDialogWindow(*FindDialogTemplate(102), 0, sink);
  int boxAnswer = 0;
  // A box is up inside the home screen's loop when the controller goes down.
  backend.SetModalHook([&](QWidget*) { backend.BeginShutdown(); });
  QTimer::singleShot(0, backend.Panel(), [&] { boxAnswer = backend.MessageBox(home, "Proceed ?", "Save", MB_YESNO); });
  EXPECT_EQ(backend.RunModalLoop(home), -1);
  EXPECT_EQ(boxAnswer, IDNO);
  // Later questions are not shown at all; input and timers stop.
  backend.SetModalHook([](QWidget*) { FAIL() << "shown while shutting down"; });
  EXPECT_EQ(backend.MessageBox(home, "x", "y", MB_OKCANCEL), IDCANCEL);
  EXPECT_EQ(backend.MessageBox(home, "x", "y", MB_OK), IDOK);
  std::string path = "unchanged";
  EXPECT_EQ(backend.OpenFileDialog(home, FileDialogRequest{}, &path), IDCANCEL);
  EXPECT_EQ(path, "unchanged");
  EXPECT_EQ(backend.RunModalLoop(home), -1);
  EXPECT_FALSE(backend.PumpOneMessage());
  backend.EndShutdown();
  QTimer::singleShot(0, backend.Panel(), [&] { backend.EndModalLoop(home, 1); });
  EXPECT_EQ(backend.RunModalLoop(home), 1);
}

// An OS write runs on the user-interface thread and lets one turn of the
// event loop through after each record: the progress bar must show each
// new position before the next record is written.
TEST(QtFlow, EachPumpRepaintsTheProgressBarAndTheStatusLine) {
  QtDialogBackend backend;
  ShowPanel(backend);
  RecordingSink sink, host;
  const WindowHandle page = OpenShown(backend, 133, sink, host);
  ASSERT_TRUE(SpinUntil([&] { return backend.ControlWidget(page, ids133::kProgressBar)->isVisible(); }));
  QCoreApplication::processEvents();

  std::vector<int> painted;
  std::vector<std::string> statusPainted;
  struct PaintSpy final : QObject {
    std::function<void()> onPaint;
    bool eventFilter(QObject*, QEvent* event) override {
      if (event->type() == QEvent::Paint) onPaint();
      return false;
    }
  } progressSpy, statusSpy;
  progressSpy.onPaint = [&] { painted.push_back(backend.GetProgress(page, ids133::kProgressBar).position); };
  statusSpy.onPaint = [&] { statusPainted.push_back(backend.GetControlText(page, ids133::kStatusLine)); };
  backend.ControlWidget(page, ids133::kProgressBar)->installEventFilter(&progressSpy);
  backend.ControlWidget(page, ids133::kStatusLine)->installEventFilter(&statusSpy);

  for (int percent = 10; percent <= 100; percent += 30) {
    const std::string status = "Now Write Flash Memory --> " + std::to_string(percent) + "% done";
    backend.SetControlText(page, ids133::kStatusLine, status);
    backend.ProgressSetPosition(page, ids133::kProgressBar, percent);
    EXPECT_TRUE(backend.PumpOneMessage());
    ASSERT_FALSE(painted.empty());
    EXPECT_EQ(painted.back(), percent);
    ASSERT_FALSE(statusPainted.empty());
    EXPECT_EQ(statusPainted.back(), status);
  }
}

TEST(QtFlow, TheWaitCursorComesAndGoes) {
  QtDialogBackend backend;
  backend.SetWaitCursor(true);
  backend.SetWaitCursor(true);  // RestoreWaitCursor sets it again: still one
  ASSERT_NE(QApplication::overrideCursor(), nullptr);
  EXPECT_EQ(QApplication::overrideCursor()->shape(), Qt::WaitCursor);
  EXPECT_TRUE(backend.WaitCursorShown());
  backend.SetWaitCursor(false);
  EXPECT_EQ(QApplication::overrideCursor(), nullptr);
  EXPECT_FALSE(backend.WaitCursorShown());
}

int CountPixels(const QImage& image, const std::function<bool(const QColor&)>& wanted) {
  int count = 0;
  for (int y = 0; y < image.height(); ++y) {
    for (int x = 0; x < image.width(); ++x) {
      if (wanted(image.pixelColor(x, y))) ++count;
    }
  }
  return count;
}

bool IsRed(const QColor& c) { return c.red() > 200 && c.green() < 80 && c.blue() < 80; }

TEST(QtFlow, ControlsAreDrawnInTheColoursTheirDialogAsksFor) {
  QtDialogBackend backend;
  ShowPanel(backend);
  RecordingSink sink, host;
  // The general page's factory button: text and background red.
  sink.onColours = [](ControlColours& colours, int controlId) {
    if (controlId == ids134::kFactoryButton) colours.textColour = colours.backgroundColour = RGB(255, 0, 0);
  };
  const WindowHandle page = OpenShown(backend, 134, sink, host);
  const QImage factory = backend.ControlWidget(page, ids134::kFactoryButton)->grab().toImage();
  const QImage confirm = backend.ControlWidget(page, ids134::kConfirmSettings)->grab().toImage();
  EXPECT_GT(CountPixels(factory, IsRed), factory.width() * factory.height() / 2);  // a red button
  EXPECT_GT(CountPixels(factory, [](const QColor& c) { return c.lightness() > 230; }), 20);  // its text readable
  EXPECT_EQ(CountPixels(confirm, IsRed), 0);
  const auto asked = std::find_if(sink.received.begin(), sink.received.end(), [](const Received& r) {
    return r.message == WM_CTLCOLOR && r.controlId == ids134::kFactoryButton;
  });
  EXPECT_NE(asked, sink.received.end());

  // The update page's status line: red text on the page.
  RecordingSink updateSink, updateHost;
  updateSink.onColours = [](ControlColours& colours, int controlId) {
    if (controlId == ids133::kStatusLine) {
      colours.textColour = RGB(255, 0, 0);
      colours.backgroundMode = TRANSPARENT;
    }
  };
  const WindowHandle update = OpenShown(backend, 133, updateSink, updateHost);
  backend.SetControlText(update, ids133::kStatusLine, "Now Erase Flash Memory --> 50% done");
  const QImage status = backend.ControlWidget(update, ids133::kStatusLine)->grab().toImage();
  EXPECT_GT(CountPixels(status, IsRed), 30);
  backend.SetControlText(update, ids133::kPathField, "\\CompactFlash\\nk.bin");
  const QImage path = backend.ControlWidget(update, ids133::kPathField)->grab().toImage();
  EXPECT_EQ(CountPixels(path, IsRed), 0);
}

// The memory slider shows the stretch its boundary can move within as a
// coloured part of its channel, and its ticks above it.
TEST(QtFlow, TheMemorySliderShowsItsMovableStretchAndTicks) {
  QtDialogBackend backend;
  ShowPanel(backend);
  RecordingSink sink, host;
  const WindowHandle page = OpenShown(backend, 134, sink, host);
  backend.TrackbarSetRange(page, ids134::kMemorySlider, 1, 200, false);
  backend.TrackbarSetTickFrequency(page, ids134::kMemorySlider, 10);
  backend.TrackbarSetSelection(page, ids134::kMemorySlider, 50, 120, true);
  backend.TrackbarSetPosition(page, ids134::kMemorySlider, 150, true);
  auto* bar = static_cast<TrackbarWidget*>(backend.ControlWidget(page, ids134::kMemorySlider));
  const QImage image = bar->grab().toImage();
  const auto accentAt = [&](int position) {
    int count = 0;
    for (int y = 0; y < image.height(); ++y) {
      if (image.pixelColor(bar->PositionX(position), y) == colours::kAccent) ++count;
    }
    return count;
  };
  EXPECT_GT(accentAt(85), 0);   // inside the stretch
  EXPECT_EQ(accentAt(20), 0);   // outside it
  EXPECT_EQ(accentAt(135), 0);
  // Ticks stand above the channel (TBS_TOP): dark pixels in the top rows at a tick.
  const QColor tick = image.pixelColor(bar->PositionX(11), 3);
  int darkAbove = 0;
  for (int y = 0; y < image.height() / 3; ++y) {
    if (image.pixelColor(bar->PositionX(11), y).lightness() < 80) ++darkAbove;
  }
  EXPECT_GT(darkAbove, 0) << tick.name().toStdString();
  const TrackbarState state = backend.GetTrackbar(page, ids134::kMemorySlider);
  EXPECT_EQ(state.selectionStart, 50);
  EXPECT_EQ(state.selectionEnd, 120);
  EXPECT_EQ(state.position, 150);
  EXPECT_EQ(state.tickFrequency, 10);
}

TEST(QtFlow, ClosingThePanelClosesTheHomeScreen) {
  QtDialogBackend backend;
  ShowPanel(backend);
  RecordingSink sink;
  const WindowHandle home = backend.CreateDialogWindow(*FindDialogTemplate(102), 0, sink);
  sink.onMessage = [&](const WindowMessage& m) {
    if (m.message == WM_CLOSE) backend.EndModalLoop(home, IDCANCEL);
  };
  QTimer::singleShot(0, backend.Panel(), [&] { backend.Panel()->close(); });
  EXPECT_EQ(backend.RunModalLoop(home), IDCANCEL);
  EXPECT_TRUE(backend.Panel()->isVisible());  // the dialog decides, not the window
}

}  // namespace
}  // namespace talvon::qt
