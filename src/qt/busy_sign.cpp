#include "qt/busy_sign.h"

#include <QPainter>

#include <cmath>

#include "qt/panel_theme.h"

namespace talvon::qt {
namespace {

constexpr int kSize = 28;    // panel pixels at factor 1
constexpr int kMargin = 6;
constexpr qint64 kStepMs = 100;

}  // namespace

BusySign::BusySign(QWidget* panel, double panelFactor) : QWidget(panel), factor_(panelFactor) {
  setObjectName(QStringLiteral("busySign"));
  setAttribute(Qt::WA_TransparentForMouseEvents);
  setFocusPolicy(Qt::NoFocus);
  const int side = static_cast<int>(std::lround(kSize * factor_));
  setFixedSize(side, side);
  hide();
}

void BusySign::SetShown(bool shown) {
  if (!shown) {
    hide();
    return;
  }
  // The panel may have grown to the whole screen since it was built.
  const int margin = static_cast<int>(std::lround(kMargin * factor_));
  QWidget* panel = parentWidget();
  move(panel->width() - width() - margin, panel->height() - height() - margin);
  sinceStep_.start();
  show();
  raise();
}

void BusySign::Advance(bool beneathModal) {
  if (!isVisible()) return;
  if (!beneathModal) {
    // The last widget child is the one on top.
    const QObjectList& siblings = parentWidget()->children();
    for (auto it = siblings.rbegin(); it != siblings.rend(); ++it) {
      if (!(*it)->isWidgetType()) continue;
      if (*it != this) raise();
      break;
    }
  }
  if (sinceStep_.elapsed() < kStepMs) return;
  sinceStep_.restart();
  step_ = (step_ + 1) % kSpokes;
  repaint();
}

void BusySign::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  painter.setRenderHint(QPainter::Antialiasing);
  const QRectF area = QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5);
  painter.setPen(Qt::NoPen);
  painter.setBrush(QColor(0, 0, 0, 110));
  painter.drawEllipse(area);

  // Spokes fading behind the leading one, which moves a spoke per step.
  painter.translate(area.center());
  const double radius = area.width() / 2;
  QPen pen(colours::kAccentLight);
  pen.setWidthF(std::max(2.0, radius / 5));
  pen.setCapStyle(Qt::RoundCap);
  for (int i = 0; i < kSpokes; ++i) {
    const int age = (step_ - i + kSpokes) % kSpokes;
    QColor colour = age == 0 ? QColor(Qt::white) : colours::kAccentLight;
    colour.setAlpha(255 - age * 200 / kSpokes);
    pen.setColor(colour);
    painter.setPen(pen);
    painter.save();
    painter.rotate(i * 360.0 / kSpokes);
    painter.drawLine(QPointF(0, -radius * 0.35), QPointF(0, -radius * 0.7));
    painter.restore();
  }
}

}  // namespace talvon::qt
