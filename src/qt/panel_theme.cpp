#include "qt/panel_theme.h"

#include <QApplication>
#include <QPalette>
#include <QProxyStyle>
#include <QStyleFactory>
#include <QVariant>
#include <QWidget>

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

  int styleHint(StyleHint hint, const QStyleOption* option, const QWidget* widget,
                QStyleHintReturn* returnData) const override {
    if (hint == SH_LineEdit_PasswordCharacter && widget != nullptr) {
      const QVariant character = widget->property(kPasswordCharacterProperty);
      if (character.isValid() && character.toInt() != 0) return character.toInt();
    }
    return QProxyStyle::styleHint(hint, option, widget, returnData);
  }

 private:
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
  QApplication::setFont(PanelFont(static_cast<int>(std::lround(10 * panelFactor))));
}

QColor ToQColor(Colour colour) { return QColor(colour & 0xFF, (colour >> 8) & 0xFF, (colour >> 16) & 0xFF); }

}  // namespace talvon::qt
