#include "qt/trackbar_widget.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QStyle>
#include <QStyleOptionSlider>

#include <algorithm>

#include "qt/panel_theme.h"

namespace talvon::qt {
namespace {

// Tick marks closer than this are thinned out: a dense row reads as a bar.
constexpr int kMinimumTickSpacing = 3;

}  // namespace

TrackbarWidget::TrackbarWidget(const ControlBinding& binding, QWidget* parent)
    : QSlider(Qt::Horizontal, parent), ControlBase(binding) {
  setFocusPolicy(Qt::StrongFocus);
  setRange(0, 100);
  setPageStep(20);
  setSingleStep(1);
  setTracking(true);
  setTickPosition((Item().style & TBS_TOP) != 0 ? QSlider::TicksAbove : QSlider::TicksBelow);
  connect(this, &QSlider::sliderMoved, this, [this](int position) { Scroll(TB_THUMBTRACK, position); });
  connect(this, &QSlider::sliderReleased, this, [this] {
    Scroll(TB_THUMBPOSITION, value());
    Scroll(TB_ENDTRACK, 0);
  });
  connect(this, &QAbstractSlider::actionTriggered, this, [this](int action) { OnAction(action); });
}

void TrackbarWidget::SetTickFrequency(int frequency) {
  if (frequency == tickFrequency_) return;
  tickFrequency_ = frequency;
  update();
}

void TrackbarWidget::SetSelection(int start, int end) {
  selectionStart_ = start;
  selectionEnd_ = end;
}

void TrackbarWidget::OnAction(int action) {
  int code = -1;
  switch (action) {
    case SliderSingleStepAdd:
      code = TB_LINEDOWN;
      break;
    case SliderSingleStepSub:
      code = TB_LINEUP;
      break;
    case SliderPageStepAdd:
      code = TB_PAGEDOWN;
      break;
    case SliderPageStepSub:
      code = TB_PAGEUP;
      break;
    case SliderToMinimum:
      code = TB_TOP;
      break;
    case SliderToMaximum:
      code = TB_BOTTOM;
      break;
    default:
      return;  // drags report through sliderMoved
  }
  // The trackbar moves first, then tells its dialog.
  setValue(sliderPosition());
  stepped_ = true;
  Scroll(code, 0);
}

void TrackbarWidget::mousePressEvent(QMouseEvent* event) {
  stepped_ = false;
  QSlider::mousePressEvent(event);
}

void TrackbarWidget::mouseReleaseEvent(QMouseEvent* event) {
  const bool paged = stepped_ && !isSliderDown();
  QSlider::mouseReleaseEvent(event);
  if (paged) {
    stepped_ = false;
    Scroll(TB_ENDTRACK, 0);
  }
}

void TrackbarWidget::keyReleaseEvent(QKeyEvent* event) {
  QSlider::keyReleaseEvent(event);
  if (stepped_ && !event->isAutoRepeat()) {
    stepped_ = false;
    Scroll(TB_ENDTRACK, 0);
  }
}

int TrackbarWidget::PositionX(int position) const {
  QStyleOptionSlider option;
  initStyleOption(&option);
  const QRect groove = style()->subControlRect(QStyle::CC_Slider, &option, QStyle::SC_SliderGroove, this);
  const QRect handle = style()->subControlRect(QStyle::CC_Slider, &option, QStyle::SC_SliderHandle, this);
  const int span = groove.width() - handle.width();
  return groove.left() + handle.width() / 2 +
         QStyle::sliderPositionFromValue(minimum(), maximum(), std::clamp(position, minimum(), maximum()), span);
}

void TrackbarWidget::DrawTicks(QPainter& painter, const QRect& handle) const {
  if ((Item().style & TBS_AUTOTICKS) == 0 || maximum() <= minimum()) return;
  const bool above = (Item().style & TBS_TOP) != 0;
  const int tickLength = std::max(3, handle.height() / 5);
  const int y0 = above ? handle.top() - 2 - tickLength : handle.bottom() + 3;
  int frequency = std::max(1, tickFrequency_);
  const int range = maximum() - minimum();
  while (frequency < range && (PositionX(minimum() + frequency) - PositionX(minimum())) < kMinimumTickSpacing) {
    frequency *= 2;
  }
  painter.save();
  painter.setRenderHint(QPainter::Antialiasing, false);  // crisp one-pixel ticks
  painter.setPen(colours::kText);
  for (int value = minimum(); value < maximum(); value += frequency) {
    const int x = PositionX(value);
    painter.drawLine(x, y0, x, y0 + tickLength - 1);
  }
  const int last = PositionX(maximum());
  painter.drawLine(last, y0, last, y0 + tickLength - 1);  // the ends always carry a tick
  painter.restore();
}

void TrackbarWidget::paintEvent(QPaintEvent*) {
  Notify(NM_CUSTOMDRAW);  // the dialog may change what is shown before it is drawn

  QStyleOptionSlider option;
  initStyleOption(&option);
  const QRect handle = style()->subControlRect(QStyle::CC_Slider, &option, QStyle::SC_SliderHandle, this);
  QPainter painter(this);
  painter.setRenderHint(QPainter::Antialiasing);

  // The channel runs between the thumb's outermost centre lines.
  const int centreY = handle.center().y();
  const int channelHeight = std::max(4, handle.height() / 5);
  const QRect channel(PositionX(minimum()) - 2, centreY - channelHeight / 2,
                      PositionX(maximum()) - PositionX(minimum()) + 4, channelHeight);
  painter.setPen(colours::kBorder);
  painter.setBrush(colours::kField);
  painter.drawRect(QRectF(channel).adjusted(0.5, 0.5, -0.5, -0.5));

  if ((Item().style & TBS_ENABLESELRANGE) != 0 && selectionEnd_ > selectionStart_) {
    const int from = PositionX(selectionStart_);
    const int to = PositionX(selectionEnd_);
    painter.fillRect(QRect(from, channel.top() + 1, to - from, channel.height() - 2), colours::kAccent);
    // Small triangles mark the ends of the selection on the tick side.
    const bool above = (Item().style & TBS_TOP) != 0;
    const int tipY = above ? handle.top() - 1 : handle.bottom() + 1;
    const int baseY = above ? tipY - 4 : tipY + 4;
    painter.setPen(Qt::NoPen);
    painter.setBrush(colours::kAccent);
    for (int x : {from, to}) {
      const QPointF triangle[3] = {QPointF(x, tipY), QPointF(x - 3, baseY), QPointF(x + 3, baseY)};
      painter.drawPolygon(triangle, 3);
    }
  }
  DrawTicks(painter, handle);

  // The thumb, pointing at its ticks.
  const bool up = (Item().style & TBS_TOP) != 0;
  const QRectF t = QRectF(handle).adjusted(0.5, 0.5, -0.5, -0.5);
  const qreal point = std::min<qreal>(t.width() / 2, t.height() / 3);
  QPainterPath thumb;
  if (up) {
    thumb.moveTo(t.center().x(), t.top());
    thumb.lineTo(t.right(), t.top() + point);
    thumb.lineTo(t.right(), t.bottom());
    thumb.lineTo(t.left(), t.bottom());
    thumb.lineTo(t.left(), t.top() + point);
  } else {
    thumb.moveTo(t.left(), t.top());
    thumb.lineTo(t.right(), t.top());
    thumb.lineTo(t.right(), t.bottom() - point);
    thumb.lineTo(t.center().x(), t.bottom());
    thumb.lineTo(t.left(), t.bottom() - point);
  }
  thumb.closeSubpath();
  QColor face = isSliderDown() ? colours::kAccentLight : colours::kFace;
  if (!isEnabled()) face = colours::kFaceDark;
  painter.setBrush(face);
  painter.setPen(QPen(hasFocus() ? colours::kAccent : colours::kBorder, hasFocus() ? 1.5 : 1.0));
  painter.drawPath(thumb);
}

}  // namespace talvon::qt
