#pragma once
#include <cstdint>
#include <memory>

#include "flash/shared_unit_loop.h"
#include "sim/flash/flash_config.h"

// One bank of interleaved chips on the bus: splits each bus cycle into the
// chips' lanes (each chip sees only its own lanes, at its own word address
// = bus address / bus width), joins their answers, and serves reads straight
// from memory while every chip reads its array. Accesses wider than the bus
// become several bus cycles, low address first; narrower stores drive only
// the lanes they cover (a chip whose lanes are partly driven sees the
// undriven bytes as 0).
namespace talvon::sim {

// Counters of the whole flash, kept by the banks.
struct FlashStats {
  std::uint64_t busCycles = 0;
  std::uint64_t programs = 0;  // unit programs started (one per bus store, whatever the chip count)
  std::uint64_t erases = 0;    // block erases started
  // What the operations would take on the chips the tables describe, at
  // their typical times (J3 class: 128 us a word, about 1 s a block).
  std::uint64_t projectedMicroseconds = 0;
};

// What a bank needs of the whole flash to run the driver's unit loop on
// its own bus cycles: the bus cycle counter, the cycle power fails at, and
// the whole window for every access the bank does not take itself.
struct BusMeter {
  std::uint64_t* busCycles = nullptr;
  const std::uint64_t* cutAt = nullptr;
  FlashWindow* whole = nullptr;
  // Every store of a run on the bank's own bus is first tried as a step of
  // a word program, not only the commands the loop spells as constants. No
  // cycle changes; a test sets it to run those steps in a build that folds
  // no constants.
  bool stepEveryStore = false;
};

class FlashBank {
 public:
  virtual ~FlashBank() = default;

  // Offsets are from the bank's start; aligned to the access size.
  virtual std::uint32_t Read(std::uint32_t offset, std::uint32_t size) = 0;
  virtual void Write(std::uint32_t offset, std::uint32_t size, std::uint32_t value) = 0;
  virtual void CutPower() = 0;
  virtual std::uint32_t EraseCycles(std::uint32_t offset) const = 0;
  // flash_unit::ProgramUnits over this bank's own bus cycles: each cycle
  // counted and checked against the power cut as the whole window does it.
  virtual std::uint32_t ProgramUnits(const FlashUnitRun& run, const BusMeter& meter) = 0;

  // Every chip reads its array: the bank's bytes are its memory.
  bool ReadsArray() const { return notReadingArray_ == 0; }
  std::uint32_t Start() const { return start_; }  // window offset
  std::uint32_t Size() const { return size_; }
  std::uint32_t BusWidth() const { return busWidth_; }
  // Bus cycles an access of `size` bytes takes.
  std::uint32_t Cycles(std::uint32_t size) const { return size > busWidth_ ? size >> busShift_ : 1; }

 protected:
  FlashBank(std::uint32_t start, std::uint32_t size, std::uint32_t busWidth);

  std::uint32_t start_;
  std::uint32_t size_;
  std::uint32_t busWidth_;
  std::uint32_t busShift_;
  std::uint32_t notReadingArray_ = 0;  // one bit per chip
};

// Builds bank `index` of `config`, at window offset `start`, over `memory`
// (the bank's bytes as the bus sees them), with its chips and their faults.
std::unique_ptr<FlashBank> MakeFlashBank(const FlashConfig& config, std::size_t index, std::uint32_t start,
                                         std::uint8_t* memory, FlashStats* stats);

}  // namespace talvon::sim
