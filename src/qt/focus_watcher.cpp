#include "qt/focus_watcher.h"

#include <QFocusEvent>
#include <QWidget>

namespace talvon::qt {

bool FocusWatcher::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() == QEvent::FocusIn && handler_) {
    switch (static_cast<QFocusEvent*>(event)->reason()) {
      case Qt::MouseFocusReason:
      case Qt::TabFocusReason:
      case Qt::BacktabFocusReason:
      case Qt::ShortcutFocusReason:
        handler_(static_cast<QWidget*>(watched));
        break;
      default:
        break;
    }
  }
  return false;
}

}  // namespace talvon::qt
