#pragma once
#include "platform/window_messages.h"

namespace talvon {

// Where the pages of a sheet lie, in the sheet's client coordinates (the tab
// control sits at the origin of the sheet's client area).
struct PageRect {
  int left = 0;
  int top = 0;
  int width = 0;
  int height = 0;
  bool operator==(const PageRect&) const = default;
};

// From the tab control's client rectangle and the rectangle of tab item 0:
// the page starts at the left edge of item 0 and one pixel below it, and ends
// one pixel short of the right and of the bottom edge of the client area.
PageRect ComputePageRect(const Rect& tabClient, const Rect& firstItem);

}  // namespace talvon
