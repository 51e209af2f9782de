// The window at rest: a screen left alone comes to rest, a timer tick that
// changes nothing paints nothing, a control whose picture or text changes
// repaints its own area only, and the busy signs make way for the box that
// reports how the work went.
#include <gtest/gtest.h>

#include <QCursor>
#include <QElapsedTimer>
#include <QLabel>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>

#include <functional>
#include <map>
#include <memory>

#include "app/utility_app.h"
#include "platform/message_box.h"
#include "platform/templates/ids_102.h"
#include "platform/templates/ids_129.h"
#include "platform/templates/ids_134.h"
#include "qt/busy_sign.h"
#include "qt/tab_control_widget.h"
#include "qt_test_support.h"
#include "runner/simulated_controller_provider.h"

namespace talvon::qt {
namespace {

using namespace test;

// Counts the paint events of every widget while it lives.
class PaintCounter final : public QObject {
 public:
  PaintCounter() { QCoreApplication::instance()->installEventFilter(this); }
  ~PaintCounter() override { QCoreApplication::instance()->removeEventFilter(this); }

  void Clear() { painted_.clear(); }
  int Total() const {
    int total = 0;
    for (const auto& [widget, count] : painted_) total += count;
    return total;
  }
  bool Painted(QWidget* widget) const { return painted_.count(widget) != 0; }
  // The painted widgets that stand for controls.
  std::vector<QWidget*> PaintedControls() const {
    std::vector<QWidget*> out;
    for (const auto& [widget, count] : painted_) {
      if (ControlOf(widget) != nullptr) out.push_back(widget);
    }
    return out;
  }

 protected:
  bool eventFilter(QObject* object, QEvent* event) override {
    if (event->type() != QEvent::Paint || !object->isWidgetType()) return false;
    auto* widget = static_cast<QWidget*>(object);
    if (painted_.count(widget) == 0) {
      connect(widget, &QObject::destroyed, this, [this, widget] { painted_.erase(widget); });
    }
    ++painted_[widget];
    return false;
  }

 private:
  std::map<QWidget*, int> painted_;
};

// Turns the event loop until nothing has been painted for several turns in
// a row; false when the panel keeps painting (the bound keeps a panel that
// never rests from hanging the test).
bool Settle(PaintCounter& paints) {
  QElapsedTimer bound;
  bound.start();
  int quietTurns = 0;
  while (bound.elapsed() < 5000) {
    paints.Clear();
    QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    QCoreApplication::sendPostedEvents();
    quietTurns = paints.Total() == 0 ? quietTurns + 1 : 0;
    if (quietTurns >= 10) return true;
  }
  return false;
}

// Lets what a message set off be painted.
void Turn() {
  for (int i = 0; i < 10; ++i) {
    QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    QCoreApplication::sendPostedEvents();
  }
}

QRect OnPanel(QWidget* panel, QWidget* widget) { return QRect(widget->mapTo(panel, QPoint(0, 0)), widget->size()); }

// The utility on a fresh simulated controller, in the window; the body
// runs once the home screen is up, with its blink slowed down so that only
// the ticks a test fires fall.
class IdleWindow : public ::testing::Test {
 protected:
  IdleWindow() : provider(directory.filePath(QStringLiteral("controller")).toStdString(), clock) {
    ShowPanel(backend);
  }

  void Run(const std::function<void()>& body) {
    std::string error;
    std::unique_ptr<runner::BootedController> controller = provider.Boot(&error);
    ASSERT_NE(controller, nullptr) << error;
    backend.SetFiles(&controller->GetPlatform().files);
    StopRunOnFailure stop(backend);
    CUtilityApp app(controller->GetPlatform(), backend);
    QObject run;
    QTimer::singleShot(0, &run, [&] {
      backend.SetTimer(backend.WindowOfTemplate(102), 1, 3600 * 1000);
      body();
      backend.Panel()->close();
    });
    app.InitInstance();
    backend.SetFiles(nullptr);
  }

  void Tap(int templateId, int controlId) {
    QWidget* control = backend.ControlWidget(backend.WindowOfTemplate(templateId), controlId);
    ASSERT_NE(control, nullptr);
    const std::optional<QPoint> at = TapPoint(backend.Panel(), control);
    ASSERT_TRUE(at.has_value()) << controlId;
    TouchTap(backend.Panel(), *at);
  }
  void TapTab(int index) {
    auto* tabs =
        static_cast<TabControlWidget*>(backend.ControlWidget(backend.WindowOfTemplate(129), ids129::kTabControl));
    TouchTap(backend.Panel(), tabs->mapTo(backend.Panel(), tabs->ItemRect(index).center()));
  }

  QTemporaryDir directory;
  VirtualClock clock;
  runner::SimulatedControllerProvider provider;
  QtDialogBackend backend;
  PaintCounter paints;
};

TEST_F(IdleWindow, EveryScreenComesToRestAndATickThatChangesNothingPaintsNothing) {
  Run([&] {
    EXPECT_TRUE(Settle(paints)) << "the home screen";
    Tap(102, ids102::kLowerPicture);
    // The General Setting page draws its resolution slider through the page
    // (custom draw), which sets the preview and caption it already shows.
    ASSERT_TRUE(Settle(paints)) << "the General Setting page";
    // The page's memory timer ticks and changes nothing.
    ASSERT_TRUE(backend.FireTimer(backend.WindowOfTemplate(134), 2));
    Turn();
    EXPECT_EQ(paints.Total(), 0);
    for (int tab = 1; tab <= 4; ++tab) {
      TapTab(tab);
      EXPECT_TRUE(Settle(paints)) << "tab " << tab;
    }
    Tap(129, ids129::kHomeButton);  // Home
    Tap(102, ids102::kUpperPicture);
    EXPECT_TRUE(Settle(paints)) << "the information sheet";
  });
}

TEST_F(IdleWindow, AChangedControlRepaintsItsOwnAreaOnly) {
  Run([&] {
    // The blink changes the two picture buttons of the home screen.
    ASSERT_TRUE(Settle(paints));
    const WindowHandle home = backend.WindowOfTemplate(102);
    QWidget* lower = backend.ControlWidget(home, ids102::kLowerPicture);
    QWidget* upper = backend.ControlWidget(home, ids102::kUpperPicture);
    ASSERT_TRUE(backend.FireTimer(home, 1));
    Turn();
    EXPECT_TRUE(paints.Painted(lower));
    EXPECT_TRUE(paints.Painted(upper));
    for (QWidget* painted : paints.PaintedControls()) {
      const QRect area = OnPanel(backend.Panel(), painted);
      EXPECT_TRUE(area.intersects(OnPanel(backend.Panel(), lower)) || area.intersects(OnPanel(backend.Panel(), upper)))
          << "control " << ControlOf(painted)->Id() << " lies apart from the pictures";
    }

    // A text on the General Setting page: set again as it is, then changed.
    Tap(102, ids102::kLowerPicture);
    ASSERT_TRUE(Settle(paints));
    const WindowHandle page = backend.WindowOfTemplate(134);
    QWidget* inUse = backend.ControlWidget(page, ids134::kStorageInUse);
    backend.SetControlText(page, ids134::kStorageInUse, backend.GetControlText(page, ids134::kStorageInUse));
    Turn();
    EXPECT_EQ(paints.Total(), 0);
    backend.SetControlText(page, ids134::kStorageInUse, "1KB");
    Turn();
    EXPECT_TRUE(paints.Painted(inUse));
    for (QWidget* painted : paints.PaintedControls()) {
      EXPECT_TRUE(OnPanel(backend.Panel(), painted).intersects(OnPanel(backend.Panel(), inUse)))
          << "control " << ControlOf(painted)->Id() << " lies apart from the text";
    }
    // Under the sheet, the blink paints nothing of the page.
    paints.Clear();
    ASSERT_TRUE(backend.FireTimer(home, 1));
    Turn();
    for (QWidget* painted : paints.PaintedControls()) {
      EXPECT_NE(ControlOf(painted)->Window(), page) << "control " << ControlOf(painted)->Id();
    }
  });
}

// What the panel shows of the work while a box is up.
struct BusySeen {
  bool asked = false;
  std::string text;
  bool spinner = false;
  bool strip = false;
  bool waitCursor = false;
};

BusySeen SeenUnder(QtDialogBackend& backend, QWidget* box) {
  BusySeen seen;
  seen.asked = true;
  if (auto* text = box->findChild<QLabel*>(QStringLiteral("text"))) seen.text = text->text().toStdString();
  seen.spinner = backend.Busy()->isVisible();
  seen.strip = backend.FlashWorkCover() != nullptr && backend.FlashWorkCover()->isVisible();
  seen.waitCursor = QApplication::overrideCursor() != nullptr;
  return seen;
}

TEST_F(IdleWindow, TheBoxThatEndsABackupShowsWithoutSpinnerStripOrWaitCursor) {
  Run([&] {
    Tap(102, ids102::kLowerPicture);
    BusySeen seen;
    backend.SetModalHook([&](QWidget* box) {
      seen = SeenUnder(backend, box);
      box->findChild<QPushButton*>(QStringLiteral("ok"))->click();
    });
    Tap(134, ids134::kBackupAll);
    EXPECT_TRUE(seen.asked);
    EXPECT_EQ(seen.text, "BackupAll OK !");
    EXPECT_FALSE(seen.spinner);
    EXPECT_FALSE(seen.strip);
    EXPECT_FALSE(seen.waitCursor);
    EXPECT_FALSE(backend.Busy()->isVisible());
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
  });
}

TEST(BusySigns, MakeWayForABoxInTheMiddleOfTheWorkAndComeBackWhenItGoesOn) {
  QtDialogBackend backend;
  ShowPanel(backend);
  RecordingSink sink;
  const WindowHandle home = backend.CreateDialogWindow(*FindDialogTemplate(102), 0, sink);
  backend.ShowWindow(home, SW_SHOW);
  backend.SetWaitCursor(true);
  backend.ShowFlashWork("Erasing flash");
  BusySeen seen;
  backend.SetModalHook([&](QWidget* box) {
    backend.PumpOneMessage();  // a pump while the box is up brings nothing back
    seen = SeenUnder(backend, box);
    box->findChild<QPushButton*>(QStringLiteral("ok"))->click();
  });
  EXPECT_EQ(backend.MessageBox(home, "ERROR: Registry clear failed.\n", "ERROR", MB_ICONSTOP), IDOK);
  EXPECT_TRUE(seen.asked);
  EXPECT_FALSE(seen.spinner);
  EXPECT_FALSE(seen.strip);
  EXPECT_FALSE(seen.waitCursor);
  // The work goes on: the signs are back with its next step.
  backend.PumpOneMessage();
  EXPECT_TRUE(backend.Busy()->isVisible());
  ASSERT_NE(backend.FlashWorkCover(), nullptr);
  EXPECT_TRUE(backend.FlashWorkCover()->isVisible());
  EXPECT_NE(QApplication::overrideCursor(), nullptr);
  backend.ShowFlashWork("");
  backend.SetWaitCursor(false);
  EXPECT_FALSE(backend.Busy()->isVisible());
  EXPECT_EQ(QApplication::overrideCursor(), nullptr);
}

}  // namespace
}  // namespace talvon::qt
