#pragma once
// Taps for the programs that drive the utility's window from inside (the
// screenshot and idle tools): a press and a release, as a finger or the
// mouse gives them.
#include <QApplication>
#include <QMouseEvent>
#include <QWidget>

#include "qt/qt_dialog_backend.h"

namespace talvon::qt::tools {

inline void Tap(QWidget* widget, QPoint at) {
  const QPointF local(at);
  const QPointF global = widget->mapToGlobal(local);
  QMouseEvent press(QEvent::MouseButtonPress, local, global, Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
  QApplication::sendEvent(widget, &press);
  QMouseEvent release(QEvent::MouseButtonRelease, local, global, Qt::LeftButton, Qt::NoButton, Qt::NoModifier);
  QApplication::sendEvent(widget, &release);
}

// Taps the middle of a control of the window made from `templateId`; false
// when no such control is there.
inline bool TapControl(QtDialogBackend& backend, int templateId, int controlId) {
  QWidget* control = backend.ControlWidget(backend.WindowOfTemplate(templateId), controlId);
  if (control == nullptr) return false;
  Tap(control, control->rect().center());
  return true;
}

}  // namespace talvon::qt::tools
