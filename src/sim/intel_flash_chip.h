#pragma once
#include "sim/flash_chip.h"

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

// The states a fault-free model standing for chips in step (see
// ChipWiring: kBytes the bus width, kLanes its lanes factor) walks through
// while words are programmed one after another: read array, program set-up,
// programming, status. Kept by value, so that the bank's unit loop holds
// them in registers; every step is the one the model takes (Read, Write,
// Advance, Finish) for the same cycle. Anything else is the model's: Take
// declines a chip in any other state, Write declines a cycle it does not
// know before changing anything, and Put gives the state back.
template <std::uint32_t kBytes, std::uint32_t kLanes>
class IntelFlashChip::Stepper : public FlashChip::ProgramSteps<kBytes, kLanes> {
  using Steps = FlashChip::ProgramSteps<kBytes, kLanes>;

 public:
  // False when the chip is not in one of the stepper's states.
  bool Take(const IntelFlashChip& chip) {
    phase_ = Phase::Off;
    if (!Steps::TakeProgram(chip) || chip.status_ != 0) return false;
    const bool idle = chip.op_ == Op::None;
    if (idle && chip.mode_ == Mode::Array && chip.cycle_ == Cycle::Command) {
      phase_ = Phase::Quiet;
    } else if (idle && chip.mode_ == Mode::Status && chip.cycle_ == Cycle::ProgramData) {
      phase_ = Phase::SetUp;
    } else if (idle && chip.mode_ == Mode::Status && chip.cycle_ == Cycle::Command) {
      phase_ = Phase::Ready;
    } else if (chip.op_ == Op::Program && chip.mode_ == Mode::Status && chip.cycle_ == Cycle::Command) {
      phase_ = Phase::Busy;
    }
    return phase_ != Phase::Off;
  }

  void Put(IntelFlashChip& chip) const {
    chip.mode_ = phase_ == Phase::Quiet ? Mode::Array : Mode::Status;
    chip.cycle_ = phase_ == Phase::SetUp ? Cycle::ProgramData : Cycle::Command;
    chip.op_ = phase_ == Phase::Busy ? Op::Program : Op::None;
    chip.readsArray_ = phase_ == Phase::Quiet;
    Steps::PutProgram(chip);
  }

  // Whether Take succeeded and Stop has not been called since.
  bool On() const { return phase_ != Phase::Off; }
  void Stop() { phase_ = Phase::Off; }
  bool ReadsArray() const { return phase_ == Phase::Quiet; }
  // The next write is program data, whose lanes may differ.
  bool TakesData() const { return phase_ == Phase::SetUp; }

  // A status read (the bank serves array reads from its memory).
  std::uint32_t Read(std::uint32_t /*word*/) {
    if (phase_ == Phase::Busy) {
      if (this->remaining_ > 0) {
        --this->remaining_;
        return 0;  // busy, no error bits
      }
      Finish();
    }
    return kReady * kLanes;
  }

  // The step a word program takes with command `value` (a code in every
  // lane), when that is the step it takes from here; false otherwise, with
  // nothing changed. For callers that spell the command as a constant, so
  // that this is the only check left of their cycle.
  [[gnu::always_inline]] bool ProgramStep(std::uint32_t /*word*/, std::uint32_t value) {
    if (value == 0x40 * kLanes && (phase_ == Phase::Quiet || phase_ == Phase::Ready)) {
      phase_ = Phase::SetUp;
      return true;
    }
    if (value == 0x70 * kLanes && phase_ == Phase::Busy) {
      if (this->remaining_ == 0) Finish();  // then reading status, ready
      return true;
    }
    if (value == 0xFF * kLanes && phase_ == Phase::Ready) {
      phase_ = Phase::Quiet;
      return true;
    }
    return false;
  }

  // A command code in every lane, or the data of a program; false, with
  // nothing changed, for a cycle the model must take.
  bool Write(std::uint32_t word, std::uint32_t value, ChipEvent* event) {
    *event = ChipEvent::None;
    if (phase_ == Phase::SetUp) {
      phase_ = Phase::Busy;
      Steps::StartProgram(word, value);
      *event = ChipEvent::Program;
      return true;
    }
    if (phase_ == Phase::Busy && this->remaining_ > 0) return true;  // ignored while busy
    Phase next;
    switch (value & 0xFF) {
      case 0xFF: next = Phase::Quiet; break;
      case 0x70: next = Phase::Ready; break;
      case 0x40:
      case 0x10: next = Phase::SetUp; break;
      case 0x50: next = phase_ == Phase::Quiet ? Phase::Quiet : Phase::Ready; break;  // no error bits to clear
      default: return false;
    }
    if (phase_ == Phase::Busy) Finish();
    phase_ = next;
    return true;
  }

 private:
  enum class Phase : std::uint32_t { Quiet, SetUp, Busy, Ready, Off };

  void Finish() {
    Steps::FinishProgram();
    phase_ = Phase::Ready;
  }

  Phase phase_ = Phase::Off;
};

}  // namespace talvon::sim
