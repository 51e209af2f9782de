// What a finger on the panel needs besides taps: a busy sign while the wait
// cursor is shown (a touch panel has no pointer), and combo box lists whose
// items are tall enough to pick.
#include <gtest/gtest.h>

#include <QAbstractItemView>
#include <QComboBox>
#include <QElapsedTimer>
#include <QPointer>
#include <QPushButton>
#include <QTimer>
#include <cmath>

#include "platform/message_box.h"
#include "platform/templates/ids_133.h"
#include "platform/templates/ids_134.h"
#include "qt/busy_sign.h"
#include "qt/panel_theme.h"
#include "qt_test_support.h"

namespace talvon::qt {
namespace {

using namespace test;

// The widget drawn last among the panel's children (the one on top).
QWidget* TopChild(QWidget* panel) {
  const QObjectList& children = panel->children();
  for (auto it = children.rbegin(); it != children.rend(); ++it) {
    if ((*it)->isWidgetType()) return static_cast<QWidget*>(*it);
  }
  return nullptr;
}

TEST(BusySign, ShowsInACornerWhileTheWaitCursorIsShownAndGoesAfter) {
  for (double factor : {1.0, 1.5}) {
    SCOPED_TRACE(factor);
    QtDialogBackend backend(factor);
    ShowPanel(backend);
    BusySign* sign = backend.Busy();
    ASSERT_NE(sign, nullptr);
    EXPECT_FALSE(sign->isVisible());

    backend.SetWaitCursor(true);
    EXPECT_TRUE(sign->isVisible());
    const QRect panel = backend.Panel()->rect();
    EXPECT_TRUE(panel.contains(sign->geometry()));
    EXPECT_GT(sign->x(), panel.width() * 3 / 4);  // out of the way, bottom right
    EXPECT_GT(sign->y(), panel.height() * 3 / 4);
    EXPECT_GE(sign->width(), std::lround(20 * factor));
    EXPECT_LE(sign->width(), std::lround(40 * factor));
    // Something is drawn there: the corner differs from the bare panel.
    const QImage busy = backend.Panel()->grab(sign->geometry()).toImage();
    backend.SetWaitCursor(true);  // RestoreWaitCursor: still shown
    EXPECT_TRUE(sign->isVisible());

    backend.SetWaitCursor(false);
    EXPECT_FALSE(sign->isVisible());
    const QImage idle = backend.Panel()->grab(sign->geometry()).toImage();
    EXPECT_NE(busy, idle);
  }
}

TEST(BusySign, TurnsAsTheWorkPumpsAndStaysAboveWindowsOpenedMeanwhile) {
  QtDialogBackend backend;
  ShowPanel(backend);
  backend.SetWaitCursor(true);
  RecordingSink sink, host;
  OpenShown(backend, 133, sink, host);  // shown after the sign
  const int before = backend.Busy()->Step();
  // The sign turns on time, not per pump: pump until it has.
  QElapsedTimer bound;
  bound.start();
  while (backend.Busy()->Step() == before && bound.elapsed() < 10000) backend.PumpOneMessage();
  EXPECT_NE(backend.Busy()->Step(), before);
  EXPECT_EQ(TopChild(backend.Panel()), backend.Busy());
  backend.SetWaitCursor(false);
}

TEST(BusySign, TheProgressBarStillRepaintsBeneathIt) {
  QtDialogBackend backend;
  ShowPanel(backend);
  RecordingSink sink, host;
  const WindowHandle page = OpenShown(backend, 133, sink, host);
  QCoreApplication::processEvents();
  backend.SetWaitCursor(true);
  int paintedAt = -1;
  struct PaintSpy final : QObject {
    std::function<void()> onPaint;
    bool eventFilter(QObject*, QEvent* event) override {
      if (event->type() == QEvent::Paint) onPaint();
      return false;
    }
  } spy;
  spy.onPaint = [&] { paintedAt = backend.GetProgress(page, ids133::kProgressBar).position; };
  backend.ControlWidget(page, ids133::kProgressBar)->installEventFilter(&spy);
  for (int percent = 20; percent <= 100; percent += 40) {
    backend.ProgressSetPosition(page, ids133::kProgressBar, percent);
    backend.PumpOneMessage();
    EXPECT_EQ(paintedAt, percent);
  }
  backend.SetWaitCursor(false);
}

TEST(BusySign, TakesNoTapsAndLeavesMessageBoxesTheirs) {
  for (bool touch : {false, true}) {
    SCOPED_TRACE(touch ? "touch" : "mouse");
    QtDialogBackend backend;
    ShowPanel(backend);
    RecordingSink sink;
    const WindowHandle home = backend.CreateDialogWindow(*FindDialogTemplate(102), 0, sink);
    backend.ShowWindow(home, SW_SHOW);
    backend.SetWaitCursor(true);
    QWidget* sign = backend.Busy();
    EXPECT_NE(backend.Panel()->childAt(sign->geometry().center()), sign);

    bool tapped = false;
    backend.SetModalHook([&](QWidget* box) {
      backend.PumpOneMessage();  // the work goes on pumping while the box is up
      QWidget* ok = box->findChild<QPushButton*>(QStringLiteral("ok"));
      const std::optional<QPoint> onOk = TapPoint(backend.Panel(), ok);
      if (!onOk) {
        ADD_FAILURE() << "the OK button is covered";
        static_cast<QPushButton*>(ok)->click();
        return;
      }
      if (touch) {
        TouchTap(backend.Panel(), *onOk);
      } else {
        MouseTap(backend.Panel(), *onOk);
      }
      tapped = true;
      // A tap that went astray would leave the box up: answer it and fail.
      QTimer::singleShot(0, box, [guard = QPointer<QWidget>(ok)] {
        if (guard.isNull() || !guard->isVisible()) return;
        ADD_FAILURE() << "the tap did not reach the box";
        static_cast<QPushButton*>(guard.data())->click();
      });
    });
    EXPECT_EQ(backend.MessageBox(home, "Flash write failed", "Update", MB_OK), IDOK);
    EXPECT_TRUE(tapped);
    backend.SetWaitCursor(false);
  }
}

// ---- Combo box lists ----

TEST(ComboList, ItemsAreTallEnoughForAFingerAtEveryFactor) {
  for (double factor : {1.0, 1.6}) {
    SCOPED_TRACE(factor);
    QtDialogBackend backend(factor);
    ShowPanel(backend);
    RecordingSink sink, host;
    const WindowHandle page = OpenShown(backend, 134, sink, host);
    auto* combo = static_cast<QComboBox*>(backend.ControlWidget(page, ids134::kBppCombo));
    ASSERT_NE(combo, nullptr);
    if (combo->count() == 0) backend.ComboAddString(page, ids134::kBppCombo, "8");
    const int least = static_cast<int>(std::lround(kComboItemHeight * factor));
    EXPECT_GE(combo->view()->sizeHintForRow(0), least);

    combo->showPopup();
    QCoreApplication::processEvents();
    for (int row = 0; row < combo->count(); ++row) {
      EXPECT_GE(combo->view()->visualRect(combo->model()->index(row, 0)).height(), least) << row;
    }
    combo->hidePopup();
  }
}

}  // namespace
}  // namespace talvon::qt
