#include <cstring>

#include "flash/flash_bus.h"
#include "flash/flash_device.h"

namespace talvon {

using namespace flash_bus;

std::uint32_t ProgramUnitIntel(FlashWindow& window, std::uint32_t bankBase, std::uint32_t target,
                               const FlashGeometry& geometry, const std::uint8_t* unit) {
  const std::uint32_t w = geometry.busWidth;
  const std::uint32_t n = geometry.chips;
  if (!IsKnownBus(w, n)) return 0;
  const std::uint32_t ready = LaneBits(7, w, n);
  const std::uint32_t programError = LaneBits(4, w, n);
  StoreCommand(window, bankBase, 0, kIntelProgramSetup, w, n);
  StoreUnit(window, target, w, UnitFromBytes(unit, w));
  // Ready means every chip ready; a chip that never gets there fails the
  // unit once it has had longer than its stated maximum.
  std::uint32_t status = 0;
  bool isReady = false;
  for (std::uint32_t polls = ProgramPolls(geometry); polls > 0 && !isReady; --polls) {
    StoreCommand(window, bankBase, 0, kIntelReadStatus, w, n);
    status = LoadUnit(window, target, w);
    isReady = (status & ready) == ready;
  }
  // Any chip with the program-error bit has not stored its part.
  const bool good = isReady && (status & programError) == 0;
  // The error bits stay until cleared, and would fail every later unit.
  if (!good) StoreCommand(window, bankBase, 0, kIntelClearStatus, w, n);
  StoreCommand(window, bankBase, 0, kIntelReadArray, w, n);
  return good ? w : 0;
}

std::uint32_t ProgramUnitAmd(FlashWindow& window, std::uint32_t bankBase, std::uint32_t target,
                             const FlashGeometry& geometry, const std::uint8_t* unit) {
  const std::uint32_t w = geometry.busWidth;
  const std::uint32_t n = geometry.chips;
  if (!IsKnownBus(w, n)) return 0;
  const std::uint32_t data = UnitFromBytes(unit, w);
  StoreCommand(window, bankBase, kAmdUnlockIndex1, kAmdUnlock1, w, n);
  StoreCommand(window, bankBase, kAmdUnlockIndex2, kAmdUnlock2, w, n);
  StoreCommand(window, bankBase, kAmdUnlockIndex1, kAmdProgram, w, n);
  StoreUnit(window, target, w, data);
  // A chip is done when its lane reads back the data. Only the chips still
  // differing are asked for bit 5 (time limit exceeded): a finished chip's
  // data may have bit 5 clear, which must not keep the poll going.
  std::uint32_t value = LoadUnit(window, target, w);
  const std::uint32_t bit5 = LaneBits(5, w, n);
  for (std::uint32_t polls = ProgramPolls(geometry); value != data;) {
    const std::uint32_t waiting = bit5 & DifferingLanes(value, data, w, n);
    if ((value & waiting) == waiting) {
      value = LoadUnit(window, target, w);
      break;
    }
    if (polls-- == 0) break;
    value = LoadUnit(window, target, w);
  }
  if (value == data) return w;
  // A chip past its time limit reads status until reset.
  StoreCommand(window, bankBase, 0, kAmdReset, w, n);
  return 0;
}

namespace {

std::uint32_t ProgramUnit(FlashWindow& window, std::uint32_t bankBase, std::uint32_t target,
                          const FlashGeometry& g, const std::uint8_t* unit) {
  if (g.commandSet == kIntelSet) return ProgramUnitIntel(window, bankBase, target, g, unit);
  if (g.commandSet == kAmdSet) return ProgramUnitAmd(window, bankBase, target, g, unit);
  return 0;
}

// Every byte of [start, start + length) reads back as the source.
bool RangeReadsBack(FlashWindow& window, std::uint32_t start, std::uint32_t length, const std::uint8_t* source) {
  std::uint8_t chunk[4096];
  for (std::uint32_t done = 0; done < length;) {
    const std::uint32_t count = length - done < sizeof chunk ? length - done : sizeof chunk;
    window.CopyOut(start + done, chunk, count);
    if (std::memcmp(chunk, source + done, count) != 0) return false;
    done += count;
  }
  return true;
}

}  // namespace

int ProgramFlashRange(FlashWindow& window, std::uint32_t bankBase, std::uint32_t start, std::uint32_t length,
                      const std::uint8_t* source) {
  if (source == nullptr && length != 0) return 0;
  const std::uint64_t end = std::uint64_t{start} + length;
  if (end > 0x100000000ull) return 0;
  FlashGeometry g;
  if (!QueryFlashGeometry(window, bankBase, &g)) return 0;
  // Find the bank that holds start; banks only follow the first one.
  if (start < bankBase) return 0;
  std::uint64_t bankEnd = bankBase + BankSize(g);
  while (start >= bankEnd) {
    if (bankEnd == bankBase || bankEnd > 0xFFFFFFFFull) return 0;
    bankBase = static_cast<std::uint32_t>(bankEnd);
    if (!QueryFlashGeometry(window, bankBase, &g)) return 0;
    bankEnd = bankBase + BankSize(g);
  }

  // Units are aligned bus words. The bytes of a unit that lie outside the
  // range (an unaligned start, a ragged end) are given their present
  // contents, which programs nothing there on either command set.
  std::uint64_t cursor = start & ~std::uint64_t{g.busWidth - 1};
  while (cursor < end) {
    if (cursor >= bankEnd) {
      // The next bank is asked only now that a unit remains for it, and the
      // unit's command cycles go to its own bank's base.
      ResetBank(window, bankBase, g);
      bankBase = static_cast<std::uint32_t>(bankEnd);
      if (!QueryFlashGeometry(window, bankBase, &g)) break;
      bankEnd = bankBase + BankSize(g);
    }
    const std::uint32_t w = g.busWidth;
    const auto at = static_cast<std::uint32_t>(cursor);
    const std::uint8_t* unit = nullptr;
    std::uint8_t edge[4];
    if (cursor >= start && cursor + w <= end) {
      unit = source + (cursor - start);
    } else {
      window.CopyOut(at, edge, w < sizeof edge ? w : sizeof edge);
      for (std::uint32_t k = 0; k < w && k < sizeof edge; ++k) {
        if (cursor + k >= start && cursor + k < end) edge[k] = source[cursor + k - start];
      }
      unit = edge;
    }
    const std::uint32_t done = ProgramUnit(window, bankBase, at, g, unit);
    if (done == 0) {
      ResetBank(window, bankBase, g);
      return 0;
    }
    cursor += done;
  }
  ResetBank(window, bankBase, g);
  return RangeReadsBack(window, start, length, source) ? 1 : 0;
}

}  // namespace talvon
