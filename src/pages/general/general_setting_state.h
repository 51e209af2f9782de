#pragma once
#include "pages/general/display_settings.h"

namespace talvon {

// What CGeneralSettingPage keeps for the whole run of the utility (the page's
// buffers and flags). The run keeps one instance and hands it to the page, so
// a reboot or a test starts it afresh.
struct GeneralSettingState {
  // The display mode as last read back from the registry.
  DisplayMode displayMode;
};

}  // namespace talvon
