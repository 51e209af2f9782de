#include "qt/frame_window.h"

#include <QLinearGradient>
#include <QMouseEvent>
#include <QPainter>

#include <algorithm>
#include <cmath>

#include "qt/panel_theme.h"

namespace talvon::qt {

FrameWindow::FrameWindow(QWidget* panel, double panelFactor, Buttons buttons)
    : QWidget(panel),
      factor_(panelFactor),
      buttons_(buttons),
      border_(std::max(1, static_cast<int>(std::lround(panelFactor)))),
      captionHeight_(static_cast<int>(std::lround(22 * panelFactor))),
      client_(new QWidget(this)) {
  // The frame paints every pixel it covers: what lies beneath it (the home
  // screen's blinking pictures under a sheet) is not painted again.
  setAttribute(Qt::WA_OpaquePaintEvent);
  client_->setAutoFillBackground(true);
  client_->move(border_, border_ + captionHeight_);
}

void FrameWindow::SetCaption(const QString& caption) {
  caption_ = caption;
  update(0, 0, width(), border_ + captionHeight_);
}

void FrameWindow::SetIcon(const QPixmap& icon) {
  icon_ = icon;
  update();
}

QSize FrameWindow::FrameSize(const QSize& clientSize) const {
  return QSize(clientSize.width() + 2 * border_, clientSize.height() + 2 * border_ + captionHeight_);
}

QSize FrameWindow::ClientSizeFor(const QSize& frameSize) const {
  return QSize(std::max(0, frameSize.width() - 2 * border_),
               std::max(0, frameSize.height() - 2 * border_ - captionHeight_));
}

QRect FrameWindow::CloseButtonRect() const {
  if (!buttons_.close) return QRect();
  const int side = captionHeight_ - 6;
  return QRect(width() - border_ - 3 - side, border_ + 3, side, side);
}

QRect FrameWindow::OkButtonRect() const {
  if (!buttons_.ok) return QRect();
  const int side = captionHeight_ - 6;
  const int width = static_cast<int>(std::lround(30 * factor_));
  const int right = buttons_.close ? CloseButtonRect().left() - 4 : this->width() - border_ - 3;
  return QRect(right - width, border_ + 3, width, side);
}

void FrameWindow::ResizeFrame(const QSize& frameSize) {
  resize(frameSize);
  client_->resize(ClientSizeFor(frameSize));
}

void FrameWindow::resizeEvent(QResizeEvent*) { client_->resize(ClientSizeFor(size())); }

void FrameWindow::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  painter.setRenderHint(QPainter::Antialiasing);
  painter.fillRect(rect(), colours::kCaptionStart.darker(130));
  const QRect bar(border_, border_, width() - 2 * border_, captionHeight_);
  QLinearGradient gradient(bar.topLeft(), bar.topRight());
  gradient.setColorAt(0, colours::kCaptionStart);
  gradient.setColorAt(1, colours::kCaptionEnd);
  painter.fillRect(bar, gradient);

  int textLeft = bar.left() + 6;
  if (!icon_.isNull()) {
    const int side = captionHeight_ - 6;
    painter.drawPixmap(QRect(textLeft, bar.top() + 3, side, side), icon_);
    textLeft += side + 5;
  }
  int textRight = bar.right() - 6;
  const auto drawButton = [&](const QRect& r, bool pressed) {
    painter.setPen(QColor(255, 255, 255, 170));
    painter.setBrush(pressed ? colours::kAccent : QColor(255, 255, 255, 30));
    painter.drawRoundedRect(QRectF(r).adjusted(0.5, 0.5, -0.5, -0.5), 3, 3);
  };
  if (buttons_.close) {
    const QRect close = CloseButtonRect();
    drawButton(close, pressed_ == Pressed::Close);
    const QRectF cross = QRectF(close).adjusted(close.width() * 0.3, close.height() * 0.3, -close.width() * 0.3,
                                                -close.height() * 0.3);
    painter.setPen(QPen(Qt::white, std::max(1.5, 2 * factor_)));
    painter.drawLine(cross.topLeft(), cross.bottomRight());
    painter.drawLine(cross.topRight(), cross.bottomLeft());
    textRight = close.left() - 4;
  }
  if (buttons_.ok) {
    const QRect ok = OkButtonRect();
    drawButton(ok, pressed_ == Pressed::Ok);
    QFont small = CaptionFont(factor_);
    small.setPixelSize(std::max(7, small.pixelSize() - 1));
    painter.setFont(small);
    painter.setPen(Qt::white);
    painter.drawText(ok, Qt::AlignCenter, QStringLiteral("OK"));
    textRight = ok.left() - 4;
  }
  painter.setFont(CaptionFont(factor_));
  painter.setPen(Qt::white);
  const QRect textBox(textLeft, bar.top(), std::max(0, textRight - textLeft), bar.height());
  painter.drawText(textBox, Qt::AlignLeft | Qt::AlignVCenter,
                   painter.fontMetrics().elidedText(caption_, Qt::ElideRight, textBox.width()));
}

void FrameWindow::mousePressEvent(QMouseEvent* event) {
  const QPoint at = event->position().toPoint();
  if (OkButtonRect().contains(at)) {
    pressed_ = Pressed::Ok;
  } else if (CloseButtonRect().contains(at)) {
    pressed_ = Pressed::Close;
  } else {
    pressed_ = Pressed::None;
  }
  update();
}

void FrameWindow::mouseReleaseEvent(QMouseEvent* event) {
  const Pressed pressed = pressed_;
  pressed_ = Pressed::None;
  update();
  const QPoint at = event->position().toPoint();
  if (pressed == Pressed::Ok && OkButtonRect().contains(at) && onOk_) onOk_();
  if (pressed == Pressed::Close && CloseButtonRect().contains(at) && onClose_) onClose_();
}

}  // namespace talvon::qt
