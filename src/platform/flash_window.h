#pragma once
#include <cstddef>
#include <cstdint>

#include "platform/flash_work.h"

namespace talvon {

// What a bank's bus is to the driver's unit program, worked out once per
// bank rather than on every unit.
struct FlashUnitBus {
  std::uint32_t width = 0;
  std::uint32_t chips = 0;
  std::uint32_t repeat = 0;  // a command code times this is the code in every chip's lane
  std::uint32_t ready = 0;
  std::uint32_t programError = 0;
  std::uint32_t bit5 = 0;
  std::uint32_t polls = 0;
  std::uint32_t maxMicroseconds = 0;
};

// Aligned full units [at, at + count x width) of one bank, all programmed
// with the bank's command set (CFI primary command set: 1 Intel, 2 AMD).
struct FlashUnitRun {
  FlashUnitBus bus;
  std::uint32_t commandSet = 0;
  std::uint32_t bankBase = 0;
  std::uint32_t at = 0;
  std::uint32_t count = 0;
  const std::uint8_t* source = nullptr;
};

// The window through which the flash chips are reached by plain loads and
// stores at fixed addresses (0xBCA00000 to 0xBEA00000). Accesses are
// uncached and in order; an address outside the window reads all ones and
// ignores stores.
class FlashWindow {
 public:
  virtual ~FlashWindow() = default;
  virtual std::uint8_t Load8(std::uint32_t address) = 0;
  virtual std::uint16_t Load16(std::uint32_t address) = 0;
  virtual std::uint32_t Load32(std::uint32_t address) = 0;
  virtual void Store8(std::uint32_t address, std::uint8_t value) = 0;
  virtual void Store16(std::uint32_t address, std::uint16_t value) = 0;
  virtual void Store32(std::uint32_t address, std::uint32_t value) = 0;
  // Byte copy out of the window (array reads), as memcpy from the address.
  virtual void CopyOut(std::uint32_t address, void* destination, std::size_t count) = 0;

  // A window may offer to program a run of units itself, with the very bus
  // cycles the driver's unit loop would send through the loads and stores
  // above, only faster: true with *programmed (the units done, fewer than
  // run.count when one failed). False: not offered, and the driver sends
  // the cycles itself.
  virtual bool ProgramUnitRun(const FlashUnitRun& /*run*/, std::uint32_t* /*programmed*/) { return false; }

  // Whether work on these chips is under way; everything that erases,
  // programs or copies whole areas marks it.
  FlashWork& Work() { return work_; }

 private:
  FlashWork work_;
};

}  // namespace talvon
