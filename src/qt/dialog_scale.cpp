#include "qt/dialog_scale.h"

#include <algorithm>
#include <cmath>

namespace talvon::qt {
namespace {

// Pixels per dialog unit on a 640 x 480 panel, and the scale the artwork's
// pixel sizes were drawn for, by template font size.
struct UnitScale {
  double x;
  double y;
  double artworkX;
  double artworkY;
  int fontPixels;
};

UnitScale ForFont(int fontSize) {
  if (fontSize <= 8) return {1.5, 1.625, 1.5, 1.625, 9};
  return {1.6, 1.6, 1.75, 2.0, 10};
}

}  // namespace

DialogScale::DialogScale(const DialogTemplate& dialogTemplate, double panelFactor)
    : template_(dialogTemplate), panelFactor_(panelFactor) {
  const UnitScale unit = ForFont(dialogTemplate.fontSize);
  unitX_ = unit.x * panelFactor;
  unitY_ = unit.y * panelFactor;
  pictureFactor_ = std::min(unit.x / unit.artworkX, unit.y / unit.artworkY) * panelFactor;
  pictureFactorAcross_ = unit.x / unit.artworkX * panelFactor;
  fontPixels_ = std::max(6, static_cast<int>(std::lround(unit.fontPixels * panelFactor)));
}

int DialogScale::X(int dialogUnits) const { return static_cast<int>(std::lround(dialogUnits * unitX_)); }

int DialogScale::Y(int dialogUnits) const { return static_cast<int>(std::lround(dialogUnits * unitY_)); }

QRect DialogScale::ItemRect(const DialogItem& item) const {
  const int left = X(item.x);
  const int top = Y(item.y);
  return QRect(left, top, X(item.x + item.w) - left, Y(item.y + item.h) - top);
}

QSize DialogScale::ClientSize() const { return QSize(X(template_.cx), Y(template_.cy)); }

}  // namespace talvon::qt
