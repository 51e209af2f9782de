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

namespace {

// Walks the blocks from the bank base in CFI order, bank after bank, and
// calls visit(bankBase, block, geometry) for every block that overlaps
// [start, end), where block is {address, end}. A range that runs past the
// flash ends the walk with success. 0 when visit fails, the first bank gives
// no answer, or a table holds no regions.
template <typename Visit>
int WalkRangeBlocks(FlashWindow& window, std::uint32_t bankBase, std::uint32_t start, std::uint64_t end,
                    Visit visit) {
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
        if (start < blockEnd && !visit(bankBase, block, blockEnd, g)) return 0;
        block = blockEnd;
        if (block >= end) return 1;
      }
    }
    // Past the last block of this bank: a next bank answers here, or the
    // range has run past the flash.
    if (block > 0xFFFFFFFFull) return 1;
    bankBase = static_cast<std::uint32_t>(block);
    if (!QueryFlashGeometry(window, bankBase, &g)) return 1;
  }
}

}  // namespace

int FlashBlocksLineUp(FlashWindow& window, std::uint32_t bankBase, std::uint32_t start, std::uint32_t length) {
  if (length == 0) return 1;
  const std::uint64_t end = std::uint64_t{start} + length;
  if (end > 0x100000000ull) return 0;
  return WalkRangeBlocks(window, bankBase, start, end,
                         [&](std::uint32_t, std::uint64_t block, std::uint64_t blockEnd, const FlashGeometry&) {
                           return block >= start && blockEnd <= end;
                         });
}

int EraseFlashRange(FlashWindow& window, std::uint32_t bankBase, std::uint32_t start, std::uint32_t length) {
  if (length == 0) return 1;  // an empty range erases nothing
  const std::uint64_t end = std::uint64_t{start} + length;
  if (end > 0x100000000ull) return 0;
  // A block reaching outside the range would take with it flash the caller
  // does not own (the OS image under a registry erase, say): refused before
  // anything is erased.
  if (!FlashBlocksLineUp(window, bankBase, start, length)) return 0;
  const FlashWorkScope work(window.Work(), "Erasing flash");
  return WalkRangeBlocks(window, bankBase, start, end,
                         [&](std::uint32_t base, std::uint64_t block, std::uint64_t, const FlashGeometry& g) {
                           window.Work().GoesOn();
                           const auto at = static_cast<std::uint32_t>(block);
                           if (g.commandSet == kIntelSet) return EraseBlockIntel(window, base, at, g) == 1;
                           if (g.commandSet == kAmdSet) return EraseBlockAmd(window, base, at, g) == 1;
                           return false;
                         });
}

}  // namespace talvon
