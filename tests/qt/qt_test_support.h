#pragma once
// Helpers for the tests of the Qt backend: a dialog sink that records what
// it is sent, and taps that go through the panel's window as the operator's
// would (so that whatever lies on top takes them).
#include <gtest/gtest.h>

#include <QApplication>
#include <QPointingDevice>
#include <QTest>
#include <QWidget>
#include <QWindow>

#include <functional>
#include <optional>
#include <vector>

#include "platform/dialog_backend.h"
#include "qt/panel_widget.h"
#include "qt/qt_dialog_backend.h"

namespace talvon::test {

// One message as a dialog received it.
struct Received {
  std::uint32_t message = 0;
  int controlId = 0;
  int code = 0;
  int position = 0;
  std::uintptr_t timerId = 0;
  bool operator==(const Received&) const = default;
};

inline std::ostream& operator<<(std::ostream& out, const Received& r) {
  return out << "{msg " << r.message << " id " << r.controlId << " code " << r.code << " pos " << r.position
             << " timer " << r.timerId << "}";
}

// Records every message; what the tests want a dialog to do is set in the
// optional handlers.
class RecordingSink final : public DialogWindowSink {
 public:
  std::vector<Received> received;
  std::function<void(ControlColours&, int controlId)> onColours;
  std::function<void(const WindowMessage&)> onMessage;

  LRESULT OnWindowMessage(const WindowMessage& m) override {
    received.push_back(Received{m.message, m.controlId, m.code, m.position, m.timerId});
    if (m.message == WM_CTLCOLOR && m.colours != nullptr && onColours) onColours(*m.colours, m.controlId);
    if (onMessage) onMessage(m);
    return 0;
  }
  // What the operator caused: paints and colour requests left out.
  std::vector<Received> Input() const {
    std::vector<Received> out;
    for (const Received& r : received) {
      if (r.message == WM_CTLCOLOR) continue;
      if (r.message == WM_NOTIFY && r.code == NM_CUSTOMDRAW) continue;
      out.push_back(r);
    }
    return out;
  }
  void Clear() { received.clear(); }
};

// While it lives, the first failed check of the running test ends the
// utility's run on the backend: the loops end and the panel closes, so the
// test goes on to its end and reports, rather than waiting inside a modal
// loop that nothing will close until ctest gives up on it.
class StopRunOnFailure final : public ::testing::EmptyTestEventListener {
 public:
  explicit StopRunOnFailure(qt::QtDialogBackend& backend) : backend_(backend) {
    ::testing::UnitTest::GetInstance()->listeners().Append(this);
  }
  ~StopRunOnFailure() override { ::testing::UnitTest::GetInstance()->listeners().Release(this); }
  StopRunOnFailure(const StopRunOnFailure&) = delete;
  StopRunOnFailure& operator=(const StopRunOnFailure&) = delete;

  void OnTestPartResult(const ::testing::TestPartResult& result) override {
    if (!result.failed() || stopped_) return;
    stopped_ = true;
    backend_.Panel()->hide();  // no restart after the run ends
    backend_.BeginShutdown();
  }

 private:
  qt::QtDialogBackend& backend_;
  bool stopped_ = false;
};

// Shows the panel and makes it the active window, so that taps give focus.
inline void ShowPanel(qt::QtDialogBackend& backend) {
  qt::PanelWidget* panel = backend.Panel();
  panel->show();
  QApplication::setActiveWindow(panel);
  QCoreApplication::processEvents();
}

// Opens a window of the template on a backend, shown: a page (a child
// template) inside a shown configuration sheet, at its top left and above
// the sheet's own controls, as a sheet shows its pages.
inline WindowHandle OpenShown(DialogBackend& backend, int templateId, DialogWindowSink& sink,
                              DialogWindowSink& hostSink) {
  const DialogTemplate& t = *FindDialogTemplate(templateId);
  WindowHandle parent = 0;
  if (t.IsChild()) {
    parent = backend.CreateDialogWindow(*FindDialogTemplate(129), 0, hostSink);
    backend.ShowWindow(parent, SW_SHOW);
  }
  const WindowHandle window = backend.CreateDialogWindow(t, parent, sink);
  if (t.IsChild()) {
    backend.SetWindowPos(window, HWND_TOP, 0, 0, 0, 0, SWP_NOSIZE | SWP_SHOWWINDOW);
  } else {
    backend.ShowWindow(window, SW_SHOW);
  }
  return window;
}

// A point of the panel where a tap reaches the widget (or a child of it),
// searched from the widget's centre outwards; nothing when it is covered.
inline std::optional<QPoint> TapPoint(QWidget* panel, QWidget* widget) {
  const QRect area = widget->rect();
  const QPoint centre = area.center();
  for (int radius = 0; radius < std::max(area.width(), area.height()); radius += 2) {
    for (int dy = -radius; dy <= radius; dy += std::max(1, radius)) {
      for (int dx = -radius; dx <= radius; dx += std::max(1, radius)) {
        const QPoint local = centre + QPoint(dx, dy);
        if (!area.contains(local)) continue;
        const QPoint onPanel = widget->mapTo(panel, local);
        QWidget* hit = panel->childAt(onPanel);
        if (hit == widget || (hit != nullptr && widget->isAncestorOf(hit))) return onPanel;
      }
    }
  }
  return std::nullopt;
}

inline void MouseTap(QWidget* panel, QPoint onPanel) {
  QTest::mouseClick(panel->windowHandle(), Qt::LeftButton, Qt::NoModifier, onPanel);
}

inline QPointingDevice* TouchScreen() {
  static QPointingDevice* device = QTest::createTouchDevice();
  return device;
}

inline void TouchTap(QWidget* panel, QPoint onPanel) {
  QWindow* window = panel->windowHandle();
  QTest::touchEvent(window, TouchScreen()).press(0, onPanel, window);
  QTest::touchEvent(window, TouchScreen()).release(0, onPanel, window);
  QCoreApplication::processEvents();
}

}  // namespace talvon::test
