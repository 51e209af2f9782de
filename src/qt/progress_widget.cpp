#include "qt/progress_widget.h"

#include <QLinearGradient>
#include <QPainter>

#include <algorithm>

#include "qt/panel_theme.h"

namespace talvon::qt {

ProgressWidget::ProgressWidget(const ControlBinding& binding, QWidget* parent)
    : QWidget(parent), ControlBase(binding) {
  setAttribute(Qt::WA_TransparentForMouseEvents);
}

int ProgressWidget::SetStep(int step) {
  const int previous = state_.step;
  state_.step = step;
  return previous;
}

void ProgressWidget::SetRange(int minimum, int maximum) {
  const ProgressState before = state_;
  state_.minimum = minimum;
  state_.maximum = maximum;
  state_.position = std::clamp(state_.position, minimum, std::max(minimum, maximum));
  if (state_.minimum != before.minimum || state_.maximum != before.maximum || state_.position != before.position) {
    update();
  }
}

int ProgressWidget::SetPosition(int position) {
  const int previous = state_.position;
  state_.position = std::clamp(position, state_.minimum, std::max(state_.minimum, state_.maximum));
  if (state_.position != previous) update();
  return previous;
}

int ProgressWidget::StepIt() {
  const int previous = state_.position;
  int next = previous + state_.step;
  // Past the end the bar starts over from the beginning.
  if (next > state_.maximum) next = state_.minimum + (next - state_.maximum);
  SetPosition(next);
  return previous;
}

void ProgressWidget::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  painter.setRenderHint(QPainter::Antialiasing);
  const QRectF frame = QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5);
  painter.setPen(colours::kBorder);
  painter.setBrush(colours::kField);
  painter.drawRoundedRect(frame, 2, 2);

  const int span = state_.maximum - state_.minimum;
  if (span <= 0 || state_.position <= state_.minimum) return;
  const QRectF inner = frame.adjusted(2, 2, -2, -2);
  const double share = static_cast<double>(state_.position - state_.minimum) / span;
  const QRectF done(inner.left(), inner.top(), inner.width() * std::min(1.0, share), inner.height());
  QLinearGradient gradient(done.topLeft(), done.bottomLeft());
  gradient.setColorAt(0, colours::kAccentLight);
  gradient.setColorAt(1, colours::kAccent);
  painter.setPen(Qt::NoPen);
  painter.setBrush(gradient);
  painter.drawRoundedRect(done, 1.5, 1.5);
}

}  // namespace talvon::qt
