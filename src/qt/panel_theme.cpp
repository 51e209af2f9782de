#include "qt/panel_theme.h"

#include <QApplication>
#include <QComboBox>
#include <QPalette>
#include <QProxyStyle>
#include <QStyleFactory>
#include <QVariant>
#include <QWidget>

#include <algorithm>
#include <cmath>

namespace talvon::qt {
namespace {

// Fusion, with the sizes a finger needs and the edits' password characters.
class PanelStyle final : public QProxyStyle {
 public:
  explicit PanelStyle(double panelFactor)
      : QProxyStyle(QStyleFactory::create(QStringLiteral("Fusion"))), factor_(panelFactor) {}
  void SetFactor(double panelFactor) { factor_ = panelFactor; }

  int pixelMetric(PixelMetric metric, const QStyleOption* option, const QWidget* widget) const override {
    switch (metric) {
      case PM_SliderLength:
        return Scaled(13);
      case PM_SliderThickness:
      case PM_SliderControlThickness:
        return Scaled(20);
      case PM_IndicatorWidth:
      case PM_IndicatorHeight:
        return Scaled(14);
      case PM_ScrollBarExtent:
        return Scaled(16);
      default:
        return QProxyStyle::pixelMetric(metric, option, widget);
    }
  }

  QSize sizeFromContents(ContentsType type, const QStyleOption* option, const QSize& contents,
                         const QWidget* widget) const override {
    QSize size = QProxyStyle::sizeFromContents(type, option, contents, widget);
    // The items of a combo box's drop-down list, drawn as menu items or as
    // items of its view, are picked with a finger.
    if ((type == CT_MenuItem || type == CT_ItemViewItem) && InComboPopup(widget)) {
      size.setHeight(std::max(size.height(), Scaled(kComboItemHeight)));
    }
    return size;
  }

  int styleHint(StyleHint hint, const QStyleOption* option, const QWidget* widget,
                QStyleHintReturn* returnData) const override {
    if (hint == SH_LineEdit_PasswordCharacter && widget != nullptr) {
      const QVariant character = widget->property(kPasswordCharacterProperty);
      if (character.isValid() && character.toInt() != 0) return character.toInt();
    }
    return QProxyStyle::styleHint(hint, option, widget, returnData);
  }

 private:
  // The combo itself (its menu-style delegate asks for it) or its list view
  // inside the pop-up container.
  static bool InComboPopup(const QWidget* widget) {
    for (int depth = 0; widget != nullptr && depth < 3; ++depth, widget = widget->parentWidget()) {
      if (qobject_cast<const QComboBox*>(widget) != nullptr) return true;
    }
    return false;
  }
  int Scaled(int pixels) const { return static_cast<int>(std::lround(pixels * factor_)); }
  double factor_;
};

}  // namespace

QFont PanelFont(int pixels) {
  // DejaVu Sans (fonts-dejavu-core) so that text measures the same on every
  // machine; the templates' rectangles are checked against it.
  QFont font(QStringLiteral("DejaVu Sans"));
  font.setPixelSize(pixels);
  font.setStyleHint(QFont::SansSerif);
  return font;
}

QFont CaptionFont(double panelFactor) {
  QFont font = PanelFont(static_cast<int>(std::lround(11 * panelFactor)));
  font.setBold(true);
  return font;
}

void ApplyPanelTheme(double panelFactor) {
  if (qApp == nullptr) return;
  if (auto* style = dynamic_cast<PanelStyle*>(QApplication::style())) {
    style->SetFactor(panelFactor);
  } else {
    QApplication::setStyle(new PanelStyle(panelFactor));  // the application owns it
  }
  QPalette palette;
  palette.setColor(QPalette::Window, colours::kFace);
  palette.setColor(QPalette::WindowText, colours::kText);
  palette.setColor(QPalette::Base, colours::kField);
  palette.setColor(QPalette::AlternateBase, colours::kFace);
  palette.setColor(QPalette::Text, colours::kText);
  palette.setColor(QPalette::Button, colours::kFace);
  palette.setColor(QPalette::ButtonText, colours::kText);
  palette.setColor(QPalette::Highlight, colours::kAccent);
  palette.setColor(QPalette::HighlightedText, Qt::white);
  palette.setColor(QPalette::ToolTipBase, colours::kField);
  palette.setColor(QPalette::ToolTipText, colours::kText);
  palette.setColor(QPalette::Disabled, QPalette::WindowText, colours::kDisabledText);
  palette.setColor(QPalette::Disabled, QPalette::Text, colours::kDisabledText);
  palette.setColor(QPalette::Disabled, QPalette::ButtonText, colours::kDisabledText);
  palette.setColor(QPalette::Disabled, QPalette::Base, colours::kFace);
  QApplication::setPalette(palette);
  // A combo box's drop-down list takes the palette of menus, and a
  // desktop's platform theme may give menus and item views palettes of
  // their own, which the line above does not replace when the application's
  // palette is already the panel's (the lists came out black under the
  // panel's dark text). The lists are drawn in the panel's colours, always.
  for (const char* widgetClass : {"QMenu", "QAbstractItemView", "QComboBoxPrivateContainer"}) {
    QApplication::setPalette(palette, widgetClass);
  }
  QApplication::setFont(PanelFont(static_cast<int>(std::lround(10 * panelFactor))));
}

QColor ToQColor(Colour colour) { return QColor(colour & 0xFF, (colour >> 8) & 0xFF, (colour >> 16) & 0xFF); }

}  // namespace talvon::qt
