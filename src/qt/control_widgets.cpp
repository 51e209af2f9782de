// The control base and the button-class widgets: push buttons, check boxes
// and group boxes.
#include "qt/control_widgets.h"

#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QStyleOptionButton>

#include <algorithm>
#include <cmath>

#include "qt/panel_theme.h"
#include "qt/text_fit.h"

namespace talvon::qt {
namespace {

double Luminance(const QColor& c) { return 0.299 * c.redF() + 0.587 * c.greenF() + 0.114 * c.blueF(); }

// The text colour asked for, unless it would vanish into the face (a button
// whose text and face are given the same colour gets white or dark text).
QColor ReadableText(const std::optional<Colour>& wanted, const QColor& face) {
  const bool darkFace = Luminance(face) < 0.55;
  if (!wanted) return darkFace ? QColor(Qt::white) : colours::kText;
  const QColor text = ToQColor(*wanted);
  if (std::abs(Luminance(text) - Luminance(face)) >= 0.3) return text;
  return darkFace ? QColor(Qt::white) : colours::kText;
}

// The smallest text a control falls back to when its own does not fit.
int MinimumPixels(int fontPixels) { return std::max(7, fontPixels * 3 / 4); }

}  // namespace

// ---- ControlBase ----

int ControlBase::ColourType() const {
  switch (Item().cls) {
    case ControlClass::Button:
      return CTLCOLOR_BTN;
    case ControlClass::Edit:
      return (Item().style & ES_READONLY) != 0 ? CTLCOLOR_STATIC : CTLCOLOR_EDIT;
    case ControlClass::ComboBox:
      return CTLCOLOR_EDIT;
    default:
      return CTLCOLOR_STATIC;
  }
}

void ControlBase::Command(int code) const {
  if (binding_.events != nullptr) binding_.events->ControlCommand(binding_.window, Id(), code);
}

LRESULT ControlBase::Notify(int code) const {
  return binding_.events != nullptr ? binding_.events->ControlNotify(binding_.window, Id(), code) : 0;
}

void ControlBase::Scroll(int code, int position) const {
  if (binding_.events != nullptr) binding_.events->ControlScroll(binding_.window, Id(), code, position);
}

ControlColours ControlBase::AskColours() const {
  if (binding_.events == nullptr) {
    ControlColours colours;
    colours.controlType = ColourType();
    return colours;
  }
  return binding_.events->ControlColoursFor(binding_.window, Id(), ColourType());
}

ControlBase* ControlOf(QWidget* widget) { return dynamic_cast<ControlBase*>(widget); }

// ---- Push buttons ----

PushButtonWidget::PushButtonWidget(const ControlBinding& binding, QWidget* parent)
    : QPushButton(parent), ControlBase(binding) {
  setFocusPolicy(Qt::StrongFocus);
  textFont_ = PanelFont(FontPixels());
  setFont(textFont_);
  connect(this, &QAbstractButton::clicked, this, [this] { Command(BN_CLICKED); });
}

int PushButtonWidget::TextFlags() const {
  int flags = Qt::AlignCenter;
  if ((Item().style & BS_MULTILINE) != 0) flags |= Qt::TextWordWrap;
  return flags;
}

void PushButtonWidget::FitText() {
  const QSize box = rect().adjusted(2, 1, -2, -1).size();
  textFont_ = FitFont(PanelFont(FontPixels()), text(), box, TextFlags(), MinimumPixels(FontPixels()));
}

void PushButtonWidget::SetText(const QString& text) {
  ControlBase::SetText(text);
  setText(text);
  FitText();
  update();
}

void PushButtonWidget::resizeEvent(QResizeEvent* event) {
  QPushButton::resizeEvent(event);
  FitText();
}

void PushButtonWidget::paintEvent(QPaintEvent*) {
  const ControlColours wanted = AskColours();
  QPainter painter(this);
  painter.setRenderHint(QPainter::Antialiasing);
  const QRectF frame = QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5);
  const QColor face = wanted.backgroundColour ? ToQColor(*wanted.backgroundColour) : colours::kFace;
  const bool down = isDown();
  QLinearGradient gradient(frame.topLeft(), frame.bottomLeft());
  if (!isEnabled()) {
    gradient.setColorAt(0, face);
    gradient.setColorAt(1, face);
  } else if (down) {
    gradient.setColorAt(0, face.darker(125));
    gradient.setColorAt(1, face.darker(110));
  } else {
    gradient.setColorAt(0, face.lighter(112));
    gradient.setColorAt(1, face.darker(108));
  }
  painter.setBrush(gradient);
  painter.setPen(QPen(hasFocus() && isEnabled() ? colours::kAccent : colours::kBorder, hasFocus() ? 1.5 : 1.0));
  painter.drawRoundedRect(frame, 3, 3);

  painter.setFont(textFont_);
  painter.setPen(isEnabled() ? ReadableText(wanted.textColour, face) : colours::kDisabledText);
  QRect textBox = rect().adjusted(2, 1, -2, -1);
  if (down) textBox.translate(1, 1);
  painter.drawText(textBox, TextFlags(), text());
}

// ---- Check boxes ----

CheckBoxWidget::CheckBoxWidget(const ControlBinding& binding, QWidget* parent)
    : QCheckBox(parent), ControlBase(binding) {
  setFocusPolicy(Qt::StrongFocus);
  setFont(PanelFont(FontPixels()));
  connect(this, &QAbstractButton::clicked, this, [this] { Command(BN_CLICKED); });
}

void CheckBoxWidget::SetText(const QString& text) {
  ControlBase::SetText(text);
  setText(text);
  QStyleOptionButton option;
  option.initFrom(this);
  const int indicator = style()->pixelMetric(QStyle::PM_IndicatorWidth, &option, this) +
                        style()->pixelMetric(QStyle::PM_CheckBoxLabelSpacing, &option, this) + 2;
  setFont(FitFont(PanelFont(FontPixels()), text, QSize(width() - indicator, height()), Qt::AlignVCenter,
                  MinimumPixels(FontPixels())));
}

void CheckBoxWidget::paintEvent(QPaintEvent* event) {
  const ControlColours wanted = AskColours();
  const QColor text = wanted.textColour ? ToQColor(*wanted.textColour) : colours::kText;
  if (palette().color(QPalette::Active, QPalette::WindowText) != text) {
    QPalette p = palette();
    p.setColor(QPalette::Active, QPalette::WindowText, text);
    p.setColor(QPalette::Inactive, QPalette::WindowText, text);
    setPalette(p);
  }
  QCheckBox::paintEvent(event);
}

// ---- Group boxes ----

GroupBoxWidget::GroupBoxWidget(const ControlBinding& binding, QWidget* parent)
    : QWidget(parent), ControlBase(binding) {
  setAttribute(Qt::WA_TransparentForMouseEvents);
  setFont(PanelFont(FontPixels()));
}

void GroupBoxWidget::SetText(const QString& text) {
  ControlBase::SetText(text);
  update();
}

void GroupBoxWidget::paintEvent(QPaintEvent*) {
  const ControlColours wanted = AskColours();
  QPainter painter(this);
  painter.setRenderHint(QPainter::Antialiasing);
  const QFontMetrics metrics(font());
  const QString title = Text().trimmed().isEmpty() ? QString() : Text();
  const int lineY = title.isEmpty() ? 1 : metrics.height() / 2;
  const QRectF frame = QRectF(rect()).adjusted(0.5, lineY + 0.5, -0.5, -0.5);
  painter.setPen(colours::kBorder);
  painter.setBrush(Qt::NoBrush);
  painter.drawRoundedRect(frame, 3, 3);
  if (title.isEmpty()) return;

  const int pad = 3;
  const int advance = static_cast<int>(std::ceil(QFontMetricsF(font()).horizontalAdvance(title))) + 1;
  const int textWidth = std::min(advance, width() - 4 * pad - 8);
  int left = 8;
  if ((Item().style & BS_CENTER) == BS_CENTER) left = (width() - textWidth) / 2 - pad;
  const QRect titleBox(left, 0, textWidth + 2 * pad, metrics.height());
  painter.fillRect(titleBox, palette().color(QPalette::Window));
  painter.setPen(wanted.textColour ? ToQColor(*wanted.textColour) : colours::kText);
  painter.drawText(titleBox.adjusted(pad, 0, -pad, 0), Qt::AlignLeft | Qt::AlignVCenter,
                   metrics.elidedText(title, Qt::ElideRight, textWidth));
}

}  // namespace talvon::qt
