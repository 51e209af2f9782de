#include "app/page_rect.h"

namespace talvon {

PageRect ComputePageRect(const Rect& tabClient, const Rect& firstItem) {
  PageRect r;
  r.left = firstItem.left;
  r.top = firstItem.bottom + 1;
  r.width = tabClient.right - firstItem.left - 1;
  r.height = tabClient.bottom - firstItem.bottom - 2;
  return r;
}

}  // namespace talvon
