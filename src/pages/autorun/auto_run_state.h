#pragma once
#include <array>

namespace talvon {

// What CAutoRunPage keeps for the whole run of the utility. The run keeps one
// instance and hands it to the page, so a reboot or a test starts it afresh.
struct AutoRunState {
  // Index 0 to 9 of the field that last took the focus: Browse fills it.
  int rememberedField = 0;
  // The field's value would not survive a rewrite as REG_SZ (see
  // AutoRunField::keepUnlessEdited) and the operator has not touched the
  // field since start: Confirm Setting leaves the value as it is.
  std::array<bool, 10> keepStored{};
};

}  // namespace talvon
