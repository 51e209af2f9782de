#include <cstring>

#include "flash/flash_bus.h"
#include "flash/flash_device.h"
#include "flash/shared_unit_loop.h"

namespace talvon {

using namespace flash_bus;
using namespace flash_unit;

std::uint32_t ProgramUnitIntel(FlashWindow& window, std::uint32_t bankBase, std::uint32_t target,
                               const FlashGeometry& geometry, const std::uint8_t* unit) {
  FlashUnitBus bus;
  if (!MakeUnitBus(geometry, &bus)) return 0;
  return IntelUnit<FlashWindow>(window, bus, bankBase, target, UnitFromBytes(unit, bus.width));
}

std::uint32_t ProgramUnitAmd(FlashWindow& window, std::uint32_t bankBase, std::uint32_t target,
                             const FlashGeometry& geometry, const std::uint8_t* unit) {
  FlashUnitBus bus;
  if (!MakeUnitBus(geometry, &bus)) return 0;
  return AmdUnit<FlashWindow>(window, bus, bankBase, target, UnitFromBytes(unit, bus.width));
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
  const FlashWorkScope work(window.Work(), "Writing flash");
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
  FlashUnitBus bus;
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
    if (!busKnown) {
      ResetBank(window, bankBase, g);
      return 0;
    }
    const std::uint32_t w = bus.width;
    FlashUnitRun run;
    run.bus = bus;
    run.commandSet = g.commandSet;
    run.bankBase = bankBase;
    run.at = static_cast<std::uint32_t>(cursor);
    std::uint8_t edge[4];
    if (cursor >= start && cursor + w <= end) {
      // Every whole unit up to the range's or the bank's end in one run.
      const std::uint64_t runEnd = end < bankEnd ? end : bankEnd;
      run.count = static_cast<std::uint32_t>((runEnd - cursor) / w);
      run.source = source + (cursor - start);
    } else {
      window.CopyOut(run.at, edge, w < sizeof edge ? w : sizeof edge);
      for (std::uint32_t k = 0; k < w && k < sizeof edge; ++k) {
        if (cursor + k >= start && cursor + k < end) edge[k] = source[cursor + k - start];
      }
      run.count = 1;
      run.source = edge;
    }
    // A window that offers to program the run (the loop compiled for its
    // own type) does; otherwise the loop runs over the window's role.
    std::uint32_t done = 0;
    if (!window.ProgramUnitRun(run, &done)) done = ProgramUnits(window, run);
    cursor += std::uint64_t{done} * w;
    if (done < run.count) {
      ResetBank(window, bankBase, g);
      return 0;
    }
  }
  ResetBank(window, bankBase, g);
  return RangeReadsBack(window, start, length, source) ? 1 : 0;
}

}  // namespace talvon
