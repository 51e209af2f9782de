#pragma once
#include "pages/general/display_settings.h"

namespace talvon {

// What CGeneralSettingPage keeps for the whole run of the utility (the page's buffers and
// flags, and what other parts read from it). One instance lives in the
// UtilitySession, so a reboot or a test starts it afresh.
struct GeneralSettingState {
  // The display mode as last read back from the registry.
  DisplayMode displayMode;
};

}  // namespace talvon
