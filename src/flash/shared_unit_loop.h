#pragma once
#include <cstdint>

#include "flash/flash_bus.h"
#include "flash/flash_device.h"
#include "platform/flash_window.h"

// The driver's unit loop, public and shared: the unit program of both
// command sets and the loop over a run of units, as templates over the
// window type. The driver instantiates it for the FlashWindow role
// (flash_program.cpp); a window that offers FlashWindow::ProgramUnitRun
// (the simulator's) instantiates it for a window type of its own, whose
// loads and stores then inline into the loop: the same bus cycles, without
// a virtual call for each. Everything else in src/flash stays internal.
namespace talvon::flash_unit {

using namespace flash_bus;

// A command code times this is the code in every chip's lane.
constexpr std::uint32_t CommandRepeat(std::uint32_t busWidth, std::uint32_t chips) {
  return chips == 1 ? 1 : busWidth == 2 ? 0x0101u : chips == 2 ? 0x00010001u : 0x01010101u;
}

// False for a bus width / chip count pair the driver cannot talk to.
inline bool MakeUnitBus(const FlashGeometry& g, FlashUnitBus* bus) {
  const std::uint32_t w = g.busWidth;
  const std::uint32_t n = g.chips;
  if (!IsKnownBus(w, n)) return false;
  bus->width = w;
  bus->chips = n;
  bus->repeat = CommandRepeat(w, n);
  bus->ready = LaneBits(7, w, n);
  bus->programError = LaneBits(4, w, n);
  bus->bit5 = LaneBits(5, w, n);
  bus->polls = ProgramPolls(g);
  bus->maxMicroseconds = g.programMaxMicroseconds ? g.programMaxMicroseconds : kFallbackProgramMicroseconds;
  return true;
}

template <class Window>
[[gnu::always_inline]] inline std::uint32_t LoadBus(Window& window, std::uint32_t address, std::uint32_t width) {
  switch (width) {
    case 1: return window.Load8(address);
    case 2: return window.Load16(address);
    case 4: return window.Load32(address);
    default: return 0;
  }
}

template <class Window>
[[gnu::always_inline]] inline void StoreBus(Window& window, std::uint32_t address, std::uint32_t width, std::uint32_t value) {
  switch (width) {
    case 1: window.Store8(address, static_cast<std::uint8_t>(value)); break;
    case 2: window.Store16(address, static_cast<std::uint16_t>(value)); break;
    case 4: window.Store32(address, value); break;
    default: break;
  }
}

// The store of StoreCommand, for a known pair.
template <class Window>
[[gnu::always_inline]] inline void Command(Window& window, const FlashUnitBus& bus, std::uint32_t bankBase, std::uint32_t index,
                    std::uint32_t command) {
  StoreBus(window, bankBase + bus.width * index, bus.width, (command & 0xFF) * bus.repeat);
}

template <class Window>
[[gnu::always_inline]] inline std::uint32_t IntelUnit(Window& window, const FlashUnitBus& bus, std::uint32_t bankBase, std::uint32_t target,
                               std::uint32_t data) {
  const std::uint32_t w = bus.width;
  Command(window, bus, bankBase, 0, kIntelProgramSetup);
  StoreBus(window, target, w, data);
  // Ready means every chip ready; a chip that never gets there fails the
  // unit once it has had longer than its stated maximum.
  std::uint32_t status = 0;
  bool isReady = false;
  PollClock clock(bus.maxMicroseconds);
  for (std::uint32_t polls = bus.polls; polls > 0 && !isReady && !clock.Expired(); --polls) {
    Command(window, bus, bankBase, 0, kIntelReadStatus);
    status = LoadBus(window, target, w);
    isReady = (status & bus.ready) == bus.ready;
  }
  // Any chip with the program-error bit has not stored its part.
  const bool good = isReady && (status & bus.programError) == 0;
  // The error bits stay until cleared, and would fail every later unit.
  if (!good) Command(window, bus, bankBase, 0, kIntelClearStatus);
  Command(window, bus, bankBase, 0, kIntelReadArray);
  return good ? w : 0;
}

template <class Window>
[[gnu::always_inline]] inline std::uint32_t AmdUnit(Window& window, const FlashUnitBus& bus, std::uint32_t bankBase, std::uint32_t target,
                             std::uint32_t data) {
  const std::uint32_t w = bus.width;
  Command(window, bus, bankBase, kAmdUnlockIndex1, kAmdUnlock1);
  Command(window, bus, bankBase, kAmdUnlockIndex2, kAmdUnlock2);
  Command(window, bus, bankBase, kAmdUnlockIndex1, kAmdProgram);
  StoreBus(window, target, w, data);
  // A chip is done when its lane reads back the data. Only the chips still
  // differing are asked for bit 5 (time limit exceeded): a finished chip's
  // data may have bit 5 clear, which must not keep the poll going.
  std::uint32_t value = LoadBus(window, target, w);
  PollClock clock(bus.maxMicroseconds);
  for (std::uint32_t polls = bus.polls; value != data;) {
    const std::uint32_t waiting = bus.bit5 & DifferingLanes(value, data, w, bus.chips);
    if ((value & waiting) == waiting) {
      value = LoadBus(window, target, w);
      break;
    }
    if (polls-- == 0 || clock.Expired()) break;
    value = LoadBus(window, target, w);
  }
  if (value == data) return w;
  // A chip past its time limit reads status until reset.
  Command(window, bus, bankBase, 0, kAmdReset);
  return 0;
}

// Programs the run's units in order; the number programmed, which is less
// than run.count when a unit failed. For the bus and command set of the
// run, which the template arguments repeat so that the command values are
// constants.
template <class Window, std::uint32_t kWidth, std::uint32_t kChips, std::uint32_t kSet>
[[gnu::always_inline]] inline std::uint32_t ProgramUnitsOf(Window& window, const FlashUnitRun& run) {
  FlashUnitBus bus = run.bus;
  bus.width = kWidth;
  bus.chips = kChips;
  bus.repeat = CommandRepeat(kWidth, kChips);
  bus.ready = LaneBits(7, kWidth, kChips);
  bus.programError = LaneBits(4, kWidth, kChips);
  bus.bit5 = LaneBits(5, kWidth, kChips);
  // Locals, which the window's stores cannot be taken to change.
  const std::uint32_t bankBase = run.bankBase;
  const std::uint32_t count = run.count;
  const std::uint8_t* source = run.source;
  std::uint32_t at = run.at;
  for (std::uint32_t done = 0; done < count; ++done, at += kWidth, source += kWidth) {
    const std::uint32_t data = UnitFromBytes(source, kWidth);
    const std::uint32_t programmed = kSet == kIntelSet ? IntelUnit(window, bus, bankBase, at, data)
                                                       : AmdUnit(window, bus, bankBase, at, data);
    if (programmed == 0) return done;
  }
  return count;
}

template <class Window, std::uint32_t kWidth, std::uint32_t kChips>
inline std::uint32_t ProgramUnitsOfBus(Window& window, const FlashUnitRun& run) {
  switch (run.commandSet) {
    case kIntelSet: return ProgramUnitsOf<Window, kWidth, kChips, kIntelSet>(window, run);
    case kAmdSet: return ProgramUnitsOf<Window, kWidth, kChips, kAmdSet>(window, run);
    default: return 0;
  }
}

template <class Window>
inline std::uint32_t ProgramUnits(Window& window, const FlashUnitRun& run) {
  switch (run.bus.width * 8 + run.bus.chips) {
    case 1 * 8 + 1: return ProgramUnitsOfBus<Window, 1, 1>(window, run);
    case 2 * 8 + 1: return ProgramUnitsOfBus<Window, 2, 1>(window, run);
    case 2 * 8 + 2: return ProgramUnitsOfBus<Window, 2, 2>(window, run);
    case 4 * 8 + 1: return ProgramUnitsOfBus<Window, 4, 1>(window, run);
    case 4 * 8 + 2: return ProgramUnitsOfBus<Window, 4, 2>(window, run);
    case 4 * 8 + 4: return ProgramUnitsOfBus<Window, 4, 4>(window, run);
    default: return 0;
  }
}

}  // namespace talvon::flash_unit
