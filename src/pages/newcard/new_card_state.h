#pragma once
#include <cstdint>

#include "pages/newcard/slot_scan.h"

namespace talvon {

// What CNewCardPage keeps for the whole run of the utility (the page's
// buffers and flags). The run keeps one instance and hands it to the page, so
// a reboot or a test starts it afresh.
struct NewCardState {
  // The last slot scan; zero-filled until the page first scans.
  SlotScanTable slotScanTable;
  // The higher slot of the last pair of two-port modules registered; 0: none.
  std::int32_t PairHighSlot = 0;
};

}  // namespace talvon
