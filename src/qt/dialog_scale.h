// How a template's dialog units become pixels on the panel.
#pragma once
#include <QRect>
#include <QSize>

#include "platform/dialog_template.h"

namespace talvon::qt {

// Dialog units scale with the template's font: the sheets and pages (font
// "System" 10) come out at 1.6 pixels per unit, so the configuration sheet
// and its caption fill a 640 x 480 panel; the home screen (font 8) at
// 1.5 x 1.625, where its pictures sit at their own pixel size. A panel
// larger than 640 x 480 multiplies everything by its factor.
class DialogScale {
 public:
  DialogScale(const DialogTemplate& dialogTemplate, double panelFactor);

  int X(int dialogUnits) const;
  int Y(int dialogUnits) const;
  // An item's rectangle in the dialog's client area.
  QRect ItemRect(const DialogItem& item) const;
  // The client area of the whole template.
  QSize ClientSize() const;
  // Pictures are drawn at their artwork size times this, the same on both
  // axes, so that each fits the rectangle its template gives it.
  double PictureFactor() const { return pictureFactor_; }
  // The factor across alone, for bands that run the width of their dialog.
  double PictureFactorAcross() const { return pictureFactorAcross_; }
  // The pixel size of the dialog font.
  int FontPixels() const { return fontPixels_; }
  double PanelFactor() const { return panelFactor_; }

 private:
  const DialogTemplate& template_;
  double panelFactor_;
  double unitX_;
  double unitY_;
  double pictureFactor_;
  double pictureFactorAcross_;
  int fontPixels_;
};

}  // namespace talvon::qt
