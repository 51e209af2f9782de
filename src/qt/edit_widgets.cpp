// Edits and combo boxes.
#include <QPainter>

#include "qt/control_widgets.h"
#include "qt/panel_theme.h"

namespace talvon::qt {

EditWidget::EditWidget(const ControlBinding& binding, QWidget* parent) : QLineEdit(parent), ControlBase(binding) {
  setFont(PanelFont(FontPixels()));
  setFocusPolicy(Qt::StrongFocus);
  const std::uint32_t style = Item().style;
  setReadOnly((style & ES_READONLY) != 0);
  if ((style & ES_RIGHT) != 0) setAlignment(Qt::AlignRight | Qt::AlignVCenter);
  setTextMargins(1, 0, 1, 0);
  if ((style & ES_READONLY) != 0) {
    // Read-only edits show the dialog face, as statics do.
    QPalette p = palette();
    p.setColor(QPalette::Base, colours::kFace);
    setPalette(p);
  }
  SetPasswordChar((style & ES_PASSWORD) != 0 ? u'*' : 0);
  // Only what the operator types is a change; SetText is not.
  connect(this, &QLineEdit::textEdited, this, [this] { Command(EN_CHANGE); });
}

void EditWidget::SetText(const QString& text) {
  ControlBase::SetText(text);
  setText(text);
}

void EditWidget::SetPasswordChar(char16_t passwordChar) {
  if (passwordChar == passwordChar_ && property(kPasswordCharacterProperty).isValid()) return;
  passwordChar_ = passwordChar;
  setProperty(kPasswordCharacterProperty, static_cast<int>(passwordChar));
  setEchoMode(passwordChar != 0 ? QLineEdit::Password : QLineEdit::Normal);
  update();
}

void EditWidget::paintEvent(QPaintEvent* event) {
  const ControlColours wanted = AskColours();
  QPalette p = palette();
  const QColor text = wanted.textColour ? ToQColor(*wanted.textColour) : colours::kText;
  const QColor base = wanted.backgroundColour ? ToQColor(*wanted.backgroundColour)
                      : isReadOnly()          ? colours::kFace
                                              : colours::kField;
  if (p.color(QPalette::Active, QPalette::Text) != text || p.color(QPalette::Active, QPalette::Base) != base) {
    for (QPalette::ColorGroup group : {QPalette::Active, QPalette::Inactive}) {
      p.setColor(group, QPalette::Text, text);
      p.setColor(group, QPalette::Base, base);
    }
    setPalette(p);  // repaints once more with these colours
  }
  QLineEdit::paintEvent(event);
}

ComboWidget::ComboWidget(const ControlBinding& binding, QWidget* parent) : QComboBox(parent), ControlBase(binding) {
  setFont(PanelFont(FontPixels()));
  setFocusPolicy(Qt::StrongFocus);
  setEditable(false);
  setCurrentIndex(-1);
  // activated comes only from the operator's choice, even of the same item.
  connect(this, &QComboBox::activated, this, [this] { Command(CBN_SELCHANGE); });
}

void ComboWidget::SetText(const QString& text) {
  ControlBase::SetText(text);
  const int index = findText(text, Qt::MatchFixedString);
  if (index >= 0) setCurrentIndex(index);
}

}  // namespace talvon::qt
