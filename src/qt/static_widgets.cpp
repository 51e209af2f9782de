// Static controls: texts and pictures.
#include <QFontMetrics>
#include <QMouseEvent>
#include <QPainter>

#include <algorithm>

#include "qt/artwork_pixmaps.h"
#include "qt/control_widgets.h"
#include "qt/panel_theme.h"
#include "qt/text_fit.h"

namespace talvon::qt {

// ---- Texts ----

TextWidget::TextWidget(const ControlBinding& binding, QWidget* parent) : QWidget(parent), ControlBase(binding) {
  setAttribute(Qt::WA_TransparentForMouseEvents);  // plain statics take no taps
  textFont_ = PanelFont(FontPixels());
  setFont(textFont_);
}

int TextWidget::TextFlags() const {
  const int horizontal = Item().kind == ControlKind::CentredText ? Qt::AlignHCenter : Qt::AlignLeft;
  return horizontal | Qt::AlignTop | Qt::TextWordWrap;
}

void TextWidget::SetRoomRight(int widest) {
  boxWidth_ = width();
  widest_ = widest;
}

void TextWidget::FitText() {
  const QFont font = PanelFont(FontPixels());
  const QFontMetrics metrics(font);
  if (widest_ > boxWidth_ && !text_.contains(QLatin1Char('\n')) && height() < 2 * metrics.lineSpacing()) {
    const int wanted = std::clamp(metrics.horizontalAdvance(text_) + 1, boxWidth_, widest_);
    if (wanted != width()) resize(wanted, height());
  }
  textFont_ = FitFont(font, text_, size(), TextFlags(), std::max(7, FontPixels() * 3 / 4));
}

void TextWidget::SetText(const QString& text) {
  ControlBase::SetText(text);
  FitText();
  update();
}

void TextWidget::resizeEvent(QResizeEvent*) { FitText(); }

void TextWidget::paintEvent(QPaintEvent*) {
  const ControlColours wanted = AskColours();
  QPainter painter(this);
  if (wanted.backgroundMode == OPAQUE && wanted.backgroundColour) {
    painter.fillRect(rect(), ToQColor(*wanted.backgroundColour));
  }
  QColor text = wanted.textColour ? ToQColor(*wanted.textColour) : colours::kText;
  if (!isEnabled()) text = colours::kDisabledText;
  painter.setPen(text);
  painter.setFont(textFont_);
  painter.drawText(rect(), TextFlags(), text_);
}

// ---- Pictures ----

PictureWidget::PictureWidget(const ControlBinding& binding, double pictureFactor, double factorAcross,
                             QWidget* parent)
    : QWidget(parent), ControlBase(binding), pictureFactor_(pictureFactor), factorAcross_(factorAcross) {
  if (!Item().Notifies()) setAttribute(Qt::WA_TransparentForMouseEvents);
}

void PictureWidget::SetArtwork(int resourceId) {
  if (artwork_ == resourceId) return;
  artwork_ = resourceId;
  update();
}

void PictureWidget::paintEvent(QPaintEvent*) {
  if (artwork_ == 0) return;
  QPainter painter(this);
  QSize size = ArtworkSize(artwork_, pictureFactor_);
  // A band (the logo band along a sheet's bottom) keeps the share of the
  // dialog's width it was drawn for.
  if (size.width() > 6 * size.height()) size.setWidth(ArtworkSize(artwork_, factorAcross_).width());
  const QPixmap picture = ArtworkPixmap(artwork_, size, devicePixelRatioF());
  if (pressed_) painter.setOpacity(0.6);  // the tap is seen where it lands
  painter.drawPixmap(0, 0, picture);
}

void PictureWidget::mousePressEvent(QMouseEvent* event) {
  if (event->button() != Qt::LeftButton) return;
  pressed_ = true;
  update();
}

void PictureWidget::mouseMoveEvent(QMouseEvent* event) {
  const bool inside = rect().contains(event->position().toPoint());
  if ((event->buttons() & Qt::LeftButton) != 0 && inside != pressed_) {
    pressed_ = inside;
    update();
  }
}

void PictureWidget::mouseReleaseEvent(QMouseEvent* event) {
  if (event->button() != Qt::LeftButton) return;
  const bool wasPressed = pressed_;
  pressed_ = false;
  update();
  // Sliding off the picture before lifting the finger cancels the tap.
  if (wasPressed && rect().contains(event->position().toPoint())) Command(STN_CLICKED);
}

}  // namespace talvon::qt
