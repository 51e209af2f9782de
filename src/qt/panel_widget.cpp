#include "qt/panel_widget.h"

#include <QCloseEvent>
#include <QLinearGradient>
#include <QPainter>

#include <algorithm>
#include <cmath>

#include "qt/panel_theme.h"

namespace talvon::qt {

PanelWidget::PanelWidget(double factor) : factor_(factor) {
  setWindowTitle(QStringLiteral("TalvonUtility"));
  setFixedSize(static_cast<int>(std::lround(kWidth * factor)), static_cast<int>(std::lround(kHeight * factor)));
  setAttribute(Qt::WA_OpaquePaintEvent);
}

double PanelWidget::FactorForScreen(const QSize& available, bool fullScreen) {
  const double fit = std::min(available.width() / static_cast<double>(kWidth),
                              available.height() / static_cast<double>(kHeight));
  if (fullScreen) return std::max(1.0, fit);
  // In a desktop window: the largest quarter step that fits, never below 1.
  return std::max(1.0, std::floor(fit * 4) / 4);
}

void PanelWidget::ShowOnScreen(bool fullScreen) {
  if (fullScreen) {
    setMinimumSize(0, 0);
    setMaximumSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);
    showFullScreen();
  } else {
    show();
  }
}

void PanelWidget::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  QLinearGradient gradient(0, 0, 0, height());
  gradient.setColorAt(0, colours::kDesktop.lighter(115));
  gradient.setColorAt(1, colours::kDesktop.darker(140));
  painter.fillRect(rect(), gradient);
}

void PanelWidget::closeEvent(QCloseEvent* event) {
  if (closeRequested_ && !closeRequested_()) {
    event->ignore();
    return;
  }
  event->accept();
}

ModalShield::ModalShield(QWidget* panel) : QWidget(panel) {
  setGeometry(panel->rect());
  setFocusPolicy(Qt::NoFocus);
}

void ModalShield::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  painter.fillRect(rect(), QColor(0, 0, 0, 40));  // the windows beneath wait
}

bool ModalShield::event(QEvent* event) {
  switch (event->type()) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick:
    case QEvent::MouseMove:
    case QEvent::TouchBegin:
    case QEvent::TouchUpdate:
    case QEvent::TouchEnd:
    case QEvent::Wheel:
      event->accept();
      return true;
    default:
      return QWidget::event(event);
  }
}

}  // namespace talvon::qt
