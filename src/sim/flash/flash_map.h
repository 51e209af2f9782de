#pragma once
// The flash layout drawn as a small map of the window: the boot area, the
// OS image area and the registry area with the erase blocks under each,
// then the banks, and any block that straddles two areas (which an erase of
// one area cannot take without the other), or window left without flash.
#include <iosfwd>

#include "sim/flash/flash_config.h"

namespace talvon::sim {

void PrintFlashMap(const FlashConfig& flash, std::ostream& out);

}  // namespace talvon::sim
