#include "flash/flash_bus.h"
#include "flash/flash_device.h"

namespace talvon {

using namespace flash_bus;

int EraseBlockIntel(FlashWindow& window, std::uint32_t bankBase, std::uint32_t blockAddress,
                    const FlashGeometry& geometry) {
  const std::uint32_t w = geometry.busWidth;
  const std::uint32_t n = geometry.chips;
  if (!IsKnownBus(w, n)) return 0;
  WriteFlashCommand(window, bankBase, 0, kIntelClearStatus, w, n);
  WriteFlashCommand(window, blockAddress, 0, kIntelEraseSetup, w, n);
  WriteFlashCommand(window, blockAddress, 0, kIntelEraseConfirm, w, n);
  // Ready means every chip ready; a chip that never gets there fails the
  // erase once it has had longer than its stated maximum.
  std::uint32_t status = 0;
  bool ready = false;
  PollClock clock = EraseClock(geometry);
  for (std::uint32_t polls = ErasePolls(geometry); polls > 0 && !ready && !clock.Expired(); --polls) {
    WriteFlashCommand(window, bankBase, 0, kIntelReadStatus, w, n);
    status = window.Load32(bankBase);
    ready = AnyChipBitClear(status, 7, w, n) == 0;
  }
  WriteFlashCommand(window, bankBase, 0, kIntelReadArray, w, n);
  // One chip with the erase-error bit leaves its part of the block unerased.
  const bool good = ready && !AnyChipBitSet(status, 5, w, n);
  WriteFlashCommand(window, bankBase, 0, kIntelReadArray, w, n);
  return good ? 1 : 0;
}

int EraseBlockAmd(FlashWindow& window, std::uint32_t bankBase, std::uint32_t blockAddress,
                  const FlashGeometry& geometry) {
  const std::uint32_t w = geometry.busWidth;
  const std::uint32_t n = geometry.chips;
  if (!IsKnownBus(w, n)) return 0;
  WriteFlashCommand(window, bankBase, kAmdUnlockIndex1, kAmdUnlock1, w, n);
  WriteFlashCommand(window, bankBase, kAmdUnlockIndex2, kAmdUnlock2, w, n);
  WriteFlashCommand(window, bankBase, kAmdUnlockIndex1, kAmdEraseSetup, w, n);
  WriteFlashCommand(window, bankBase, kAmdUnlockIndex1, kAmdUnlock1, w, n);
  WriteFlashCommand(window, bankBase, kAmdUnlockIndex2, kAmdUnlock2, w, n);
  WriteFlashCommand(window, blockAddress, 0, kAmdSectorErase, w, n);
  // Poll the block itself: erased reads all ones; a chip past its time
  // limit shows bit 5, and once every busy chip does, one more read decides.
  std::uint32_t value = window.Load32(blockAddress);
  PollClock clock = EraseClock(geometry);
  for (std::uint32_t polls = ErasePolls(geometry); value != 0xFFFFFFFFu;) {
    if (AnyChipBitClear(value, 5, w, n) == 0) {
      value = window.Load32(blockAddress);
      break;
    }
    if (polls-- == 0 || clock.Expired()) break;
    value = window.Load32(blockAddress);
  }
  WriteFlashCommand(window, bankBase, 0, kAmdReset, w, n);
  return value == 0xFFFFFFFFu ? 1 : 0;
}

int EraseFlashRange(FlashWindow& window, std::uint32_t bankBase, std::uint32_t start, std::uint32_t length) {
  if (length == 0) return 1;  // an empty range erases nothing
  const std::uint64_t end = std::uint64_t{start} + length;
  if (end > 0x100000000ull) return 0;
  FlashGeometry g;
  if (!QueryFlashGeometry(window, bankBase, &g)) return 0;
  if (bankBase >= end) return 1;
  std::uint64_t block = bankBase;
  for (;;) {
    // A table without regions would walk nowhere, and the next bank would
    // be this one again.
    if (g.regionCount == 0) return 0;
    for (std::uint32_t r = 0; r < g.regionCount; ++r) {
      const std::uint64_t span = std::uint64_t{g.chips} * g.blockSize[r];
      for (std::uint32_t b = 0; b < g.blockCount[r]; ++b) {
        const std::uint64_t blockEnd = block + span;
        if (start < blockEnd) {
          int erased = 0;
          const auto at = static_cast<std::uint32_t>(block);
          if (g.commandSet == kIntelSet) {
            erased = EraseBlockIntel(window, bankBase, at, g);
          } else if (g.commandSet == kAmdSet) {
            erased = EraseBlockAmd(window, bankBase, at, g);
          }
          if (!erased) return 0;
        }
        block = blockEnd;
        if (block >= end) return 1;
      }
    }
    // Past the last block of this bank: a next bank answers here, or the
    // range has run past the flash and what lay inside it is erased.
    if (block > 0xFFFFFFFFull) return 1;
    bankBase = static_cast<std::uint32_t>(block);
    if (!QueryFlashGeometry(window, bankBase, &g)) return 1;
  }
}

}  // namespace talvon
