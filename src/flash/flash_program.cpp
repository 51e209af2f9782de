#include <cstring>

#include "flash/flash_bus.h"
#include "flash/flash_device.h"

namespace talvon {

using namespace flash_bus;

namespace {

// What the per-unit path needs of a bank's bus, worked out once per bank
// rather than on every unit.
struct UnitBus {
  std::uint32_t width = 0;
  std::uint32_t chips = 0;
  std::uint32_t repeat = 0;  // a command code times this is the code in every chip's lane
  std::uint32_t ready = 0;
  std::uint32_t programError = 0;
  std::uint32_t bit5 = 0;
  std::uint32_t polls = 0;
  std::uint32_t maxMicroseconds = 0;
};

// False for a bus width / chip count pair the driver cannot talk to.
bool MakeUnitBus(const FlashGeometry& g, UnitBus* bus) {
  const std::uint32_t w = g.busWidth;
  const std::uint32_t n = g.chips;
  if (!IsKnownBus(w, n)) return false;
  bus->width = w;
  bus->chips = n;
  bus->repeat = n == 1 ? 1 : w == 2 ? 0x0101u : n == 2 ? 0x00010001u : 0x01010101u;
  bus->ready = LaneBits(7, w, n);
  bus->programError = LaneBits(4, w, n);
  bus->bit5 = LaneBits(5, w, n);
  bus->polls = ProgramPolls(g);
  bus->maxMicroseconds = g.programMaxMicroseconds ? g.programMaxMicroseconds : kFallbackProgramMicroseconds;
  return true;
}

// The store of StoreCommand, for a known pair.
inline void Command(FlashWindow& window, const UnitBus& bus, std::uint32_t bankBase, std::uint32_t index,
                    std::uint32_t command) {
  StoreUnit(window, bankBase + bus.width * index, bus.width, (command & 0xFF) * bus.repeat);
}

inline std::uint32_t IntelUnit(FlashWindow& window, const UnitBus& bus, std::uint32_t bankBase,
                               std::uint32_t target, std::uint32_t data) {
  const std::uint32_t w = bus.width;
  Command(window, bus, bankBase, 0, kIntelProgramSetup);
  StoreUnit(window, target, w, data);
  // Ready means every chip ready; a chip that never gets there fails the
  // unit once it has had longer than its stated maximum.
  std::uint32_t status = 0;
  bool isReady = false;
  PollClock clock(bus.maxMicroseconds);
  for (std::uint32_t polls = bus.polls; polls > 0 && !isReady && !clock.Expired(); --polls) {
    Command(window, bus, bankBase, 0, kIntelReadStatus);
    status = LoadUnit(window, target, w);
    isReady = (status & bus.ready) == bus.ready;
  }
  // Any chip with the program-error bit has not stored its part.
  const bool good = isReady && (status & bus.programError) == 0;
  // The error bits stay until cleared, and would fail every later unit.
  if (!good) Command(window, bus, bankBase, 0, kIntelClearStatus);
  Command(window, bus, bankBase, 0, kIntelReadArray);
  return good ? w : 0;
}

inline std::uint32_t AmdUnit(FlashWindow& window, const UnitBus& bus, std::uint32_t bankBase, std::uint32_t target,
                             std::uint32_t data) {
  const std::uint32_t w = bus.width;
  Command(window, bus, bankBase, kAmdUnlockIndex1, kAmdUnlock1);
  Command(window, bus, bankBase, kAmdUnlockIndex2, kAmdUnlock2);
  Command(window, bus, bankBase, kAmdUnlockIndex1, kAmdProgram);
  StoreUnit(window, target, w, data);
  // A chip is done when its lane reads back the data. Only the chips still
  // differing are asked for bit 5 (time limit exceeded): a finished chip's
  // data may have bit 5 clear, which must not keep the poll going.
  std::uint32_t value = LoadUnit(window, target, w);
  PollClock clock(bus.maxMicroseconds);
  for (std::uint32_t polls = bus.polls; value != data;) {
    const std::uint32_t waiting = bus.bit5 & DifferingLanes(value, data, w, bus.chips);
    if ((value & waiting) == waiting) {
      value = LoadUnit(window, target, w);
      break;
    }
    if (polls-- == 0 || clock.Expired()) break;
    value = LoadUnit(window, target, w);
  }
  if (value == data) return w;
  // A chip past its time limit reads status until reset.
  Command(window, bus, bankBase, 0, kAmdReset);
  return 0;
}

}  // namespace

std::uint32_t ProgramUnitIntel(FlashWindow& window, std::uint32_t bankBase, std::uint32_t target,
                               const FlashGeometry& geometry, const std::uint8_t* unit) {
  UnitBus bus;
  if (!MakeUnitBus(geometry, &bus)) return 0;
  return IntelUnit(window, bus, bankBase, target, UnitFromBytes(unit, bus.width));
}

std::uint32_t ProgramUnitAmd(FlashWindow& window, std::uint32_t bankBase, std::uint32_t target,
                             const FlashGeometry& geometry, const std::uint8_t* unit) {
  UnitBus bus;
  if (!MakeUnitBus(geometry, &bus)) return 0;
  return AmdUnit(window, bus, bankBase, target, UnitFromBytes(unit, bus.width));
}

namespace {

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
  UnitBus bus;
  bool busKnown = MakeUnitBus(g, &bus);
  while (cursor < end) {
    if (cursor >= bankEnd) {
      // The next bank is asked only now that a unit remains for it, and the
      // unit's command cycles go to its own bank's base.
      ResetBank(window, bankBase, g);
      bankBase = static_cast<std::uint32_t>(bankEnd);
      if (!QueryFlashGeometry(window, bankBase, &g)) break;
      bankEnd = bankBase + BankSize(g);
      busKnown = MakeUnitBus(g, &bus);
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
    std::uint32_t done = 0;
    if (busKnown && g.commandSet == kIntelSet) done = IntelUnit(window, bus, bankBase, at, UnitFromBytes(unit, w));
    if (busKnown && g.commandSet == kAmdSet) done = AmdUnit(window, bus, bankBase, at, UnitFromBytes(unit, w));
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
