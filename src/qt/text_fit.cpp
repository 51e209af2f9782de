#include "qt/text_fit.h"

#include <QFontMetrics>
#include <QRect>

#include <algorithm>

namespace talvon::qt {

bool TextFits(const QFont& font, const QString& text, const QSize& box, int flags) {
  if (text.isEmpty()) return true;
  const QFontMetrics metrics(font);
  const QRect needed = metrics.boundingRect(QRect(0, 0, box.width(), 100000), flags, text);
  return needed.width() <= box.width() && needed.height() <= box.height();
}

QFont FitFont(const QFont& font, const QString& text, const QSize& box, int flags, int minimumPixels) {
  QFont fitted = font;
  int pixels = font.pixelSize();
  while (pixels > minimumPixels && !TextFits(fitted, text, box, flags)) {
    --pixels;
    fitted.setPixelSize(pixels);
  }
  return fitted;
}

int RoomBelow(const DialogTemplate& dialogTemplate, const DialogItem& item, const DialogScale& scale) {
  const QRect own = scale.ItemRect(item);
  int limit = scale.ClientSize().height();
  for (const DialogItem& other : dialogTemplate.items) {
    if (&other == &item || !other.Visible()) continue;
    const QRect r = scale.ItemRect(other);
    if (r.right() < own.left() || r.left() > own.right()) continue;  // not below it
    if (other.kind == ControlKind::GroupBox && r.contains(own)) {
      limit = std::min(limit, r.bottom() - scale.Y(2));  // stays inside its frame
    } else if (r.top() > own.top()) {
      limit = std::min(limit, r.top() - 1);
    }
  }
  return limit;
}

int RoomRight(const DialogTemplate& dialogTemplate, const DialogItem& item, const DialogScale& scale) {
  const QRect own = scale.ItemRect(item);
  int limit = scale.ClientSize().width();
  for (const DialogItem& other : dialogTemplate.items) {
    if (&other == &item || !other.Visible()) continue;
    const QRect r = scale.ItemRect(other);
    if (r.bottom() < own.top() || r.top() > own.bottom()) continue;  // not on its rows
    if (other.kind == ControlKind::GroupBox && r.contains(own)) {
      limit = std::min(limit, r.right() - scale.X(2));  // stays inside its frame
    } else if (r.left() > own.left()) {
      limit = std::min(limit, r.left() - 1);
    }
  }
  return limit;
}

int TextLineTop(const DialogTemplate& dialogTemplate, const DialogItem& item, const DialogScale& scale) {
  constexpr int kMostUnitsAbove = 2;
  const bool text = item.kind == ControlKind::Text || item.kind == ControlKind::CentredText;
  if (!text || !item.Visible()) return scale.Y(item.y);
  for (const DialogItem& caption : dialogTemplate.items) {
    if (&caption == &item || caption.kind != ControlKind::Text || !caption.Visible()) continue;
    const int above = caption.y - item.y;
    const bool onTheLeft = caption.x + caption.w <= item.x;
    const bool withinTheField = caption.y + caption.h <= item.y + item.h;
    if (onTheLeft && above > 0 && above <= kMostUnitsAbove && withinTheField) return scale.Y(caption.y);
  }
  return scale.Y(item.y);
}

}  // namespace talvon::qt
