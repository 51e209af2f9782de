#pragma once
#include "sim/flash/flash_chip.h"

// One Intel/Sharp chip (CFI primary command set 1), StrataFlash J3 style.
// Models: read array (0xFF), read identifier (0x90), CFI query (0x98 at any
// address), read and clear status (0x70, 0x50), word program (0x40 or
// 0x10, then the data), block erase (0x20 at the block, confirmed by 0xD0;
// any other confirm sets the sequence-error bits 4 and 5 and erases
// nothing). Status bit 7 reads 0 while busy; bit 5 erase error and bit 4
// program error stay until 0x50. Writes while busy are ignored, and codes
// of the AMD set or unknown codes change nothing.
// Does not model: buffered programming (0xE8) although the table states a
// buffer as J3 parts do, suspend and resume, block locking, protection
// registers, Vpp, and the difference between x8 and x16 addressing of
// dual-width parts (an x16 part is wired for x16).
namespace talvon::sim {

class IntelFlashChip : public FlashChip {
 public:
  using FlashChip::FlashChip;

  // One bus cycle on the chip's own lanes; inlined into the bank's cycles.
  [[gnu::always_inline]] inline std::uint32_t Read(std::uint32_t word);
  [[gnu::always_inline]] inline ChipEvent Write(std::uint32_t word, std::uint32_t value);

  // For a model standing for several chips in step (see ChipWiring):
  // the next write is program data, whose lanes may differ.
  bool TakesData() const { return cycle_ == Cycle::ProgramData; }
  // Equal among chips that can be joined into one model; kNotQuiet while
  // anything runs, is pending or is to be reported.
  std::uint32_t QuietKey() const {
    return mode_ == Mode::Array && cycle_ == Cycle::Command && !Busy() && status_ == 0 ? 0 : kNotQuiet;
  }
  void BecomeQuiet(std::uint32_t) {
    mode_ = Mode::Array;
    cycle_ = Cycle::Command;
    status_ = 0;
    ClearOperation();
  }
  void Adopt(const IntelFlashChip& wide, std::uint32_t shift) {
    AdoptOperation(wide, shift);
    mode_ = wide.mode_;
    cycle_ = wide.cycle_;
    status_ = wide.status_;
  }

  // The states of a word program, for the bank's unit loop (intel_chip_stepper.h).
  template <std::uint32_t kBytes, std::uint32_t kLanes>
  class Stepper;

 private:
  template <std::uint32_t, std::uint32_t>
  friend class Stepper;

  enum class Mode : std::uint8_t { Array, Status, Query, Identifier };
  // What the next write cycle is taken as.
  enum class Cycle : std::uint8_t { Command, ProgramData, EraseConfirm };

  static constexpr std::uint8_t kReady = 0x80;
  static constexpr std::uint8_t kEraseError = 0x20;
  static constexpr std::uint8_t kProgramError = 0x10;

  void Finished();

  Mode mode_ = Mode::Array;
  Cycle cycle_ = Cycle::Command;
  std::uint8_t status_ = 0;  // error bits; bit 7 comes from whether an operation runs
};

}  // namespace talvon::sim
