#include "qt/tab_control_widget.h"

#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>

#include <cmath>

#include "qt/panel_theme.h"

namespace talvon::qt {
namespace {

// Items start two pixels in, as the pages are placed from item 0's left edge.
constexpr int kFirstItemLeft = 2;
constexpr int kItemTop = 2;

}  // namespace

TabControlWidget::TabControlWidget(const ControlBinding& binding, double panelFactor, QWidget* parent)
    : QWidget(parent), ControlBase(binding), panelFactor_(panelFactor) {
  setFont(PanelFont(FontPixels()));
  setFocusPolicy(Qt::NoFocus);
}

int TabControlWidget::ItemHeight() const { return static_cast<int>(std::lround(20 * panelFactor_)); }

int TabControlWidget::InsertItem(int index, const QString& text) {
  if (index < 0) return -1;
  const int at = std::min(index, Count());
  items_.insert(at, text);
  if (selection_ < 0) {
    selection_ = 0;  // the first item becomes the selected one
  } else if (at <= selection_) {
    ++selection_;
  }
  update();
  return at;
}

QString TabControlWidget::ItemText(int index) const {
  return index >= 0 && index < Count() ? items_[index] : QString();
}

int TabControlWidget::SetSelection(int index) {
  if (index < -1 || index >= Count()) return -1;
  const int previous = selection_;
  if (index == previous) return previous;
  selection_ = index;
  update();
  return previous;
}

QRect TabControlWidget::ItemRect(int index) const {
  if (index < 0 || index >= Count()) return QRect();
  const QFontMetrics metrics(font());
  const int padding = static_cast<int>(std::lround(9 * panelFactor_));
  int left = kFirstItemLeft;
  for (int i = 0;; ++i) {
    const int width = metrics.horizontalAdvance(items_[i]) + 2 * padding;
    if (i == index) return QRect(left, kItemTop, width, ItemHeight());
    left += width;
  }
}

void TabControlWidget::mousePressEvent(QMouseEvent* event) {
  if (event->button() != Qt::LeftButton) return;
  for (int i = 0; i < Count(); ++i) {
    if (!ItemRect(i).contains(event->position().toPoint())) continue;
    if (i != selection_) {  // a tap on the selected tab changes nothing
      selection_ = i;
      update();
      Notify(TCN_SELCHANGE);
    }
    return;
  }
}

void TabControlWidget::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  painter.setRenderHint(QPainter::Antialiasing);
  const int paneTop = kItemTop + ItemHeight();
  const QRectF pane = QRectF(0, paneTop, width(), height() - paneTop).adjusted(0.5, 0.5, -0.5, -0.5);
  painter.setPen(colours::kBorder);
  painter.setBrush(colours::kFace);
  painter.drawRect(pane);

  for (int i = 0; i < Count(); ++i) {
    const bool selected = i == selection_;
    QRectF item = QRectF(ItemRect(i)).adjusted(0.5, 0.5, -0.5, 0.5);
    if (selected) item.adjust(-2, -2, 2, 1);  // the selected item stands out and joins the pane
    QPainterPath shape;
    shape.moveTo(item.bottomLeft());
    shape.lineTo(item.left(), item.top() + 3);
    shape.quadTo(item.topLeft(), QPointF(item.left() + 3, item.top()));
    shape.lineTo(item.right() - 3, item.top());
    shape.quadTo(item.topRight(), QPointF(item.right(), item.top() + 3));
    shape.lineTo(item.bottomRight());
    painter.setBrush(selected ? colours::kFace : colours::kFaceDark);
    painter.setPen(colours::kBorder);
    painter.drawPath(shape);
    if (selected) {
      painter.setPen(colours::kFace);
      painter.drawLine(QPointF(item.left() + 1, paneTop + 0.5), QPointF(item.right() - 1, paneTop + 0.5));
      // A line in the accent colour tells the shown tab at a glance.
      painter.setPen(QPen(colours::kAccent, 2));
      painter.drawLine(QPointF(item.left() + 3, item.top() + 1), QPointF(item.right() - 3, item.top() + 1));
    }
    painter.setPen(isEnabled() ? colours::kText : colours::kDisabledText);
    painter.drawText(item.toRect(), Qt::AlignCenter, items_[i]);
  }
}

}  // namespace talvon::qt
