#pragma once
#include "sim/flash_chip.h"

// One AMD/Fujitsu chip (CFI primary command set 2), Am29LV style.
// Models: the unlock cycles (0xAA at word 0x555, 0x55 at 0x2AA; a wrong
// cycle returns to reading the array), word program (0xA0), sector erase
// (0x80, two more unlock cycles, 0x30 at the sector), autoselect (0x90),
// CFI query (0x98 at word 0x55) and reset (0xF0). While an operation runs
// every read gives status: DQ7 the complement of the data's bit 7 (0 for an
// erase), DQ6 toggling on each read, DQ3 set during an erase. An operation
// that fails (a fault, or a 1 programmed over a 0) sets DQ5, time limit
// exceeded, and the chip keeps reading status until 0xF0. Intel codes
// (0xFF, 0x70, 0x50, 0x40, 0x20, 0xD0) change nothing.
// Does not model: chip erase (0x10), unlock bypass, erase suspend, sector
// protection, the erase timeout window for queuing several sectors, byte
// mode of x8/x16 parts (an x8 part uses x8 addresses, an x16 part x16),
// and reads of other sectors during an erase (they give status too).
namespace talvon::sim {

class AmdFlashChip : public FlashChip {
 public:
  AmdFlashChip(const ChipWiring& wiring, const ChipLayout* layout, ChipFaults faults)
      : FlashChip(wiring, layout, std::move(faults)) {
    programNeedsExactResult_ = true;
  }

  // One bus cycle on the chip's own lanes; inlined into the bank's cycles.
  [[gnu::always_inline]] inline std::uint32_t Read(std::uint32_t word);
  [[gnu::always_inline]] inline ChipEvent Write(std::uint32_t word, std::uint32_t value);

  // For a model standing for several chips in step (see ChipWiring):
  // the next write is program data, whose lanes may differ.
  bool TakesData() const { return state_ == State::ProgramData; }
  // Equal among chips that can be joined into one model (the toggle bit
  // carries on from where each chip left it); kNotQuiet otherwise.
  std::uint32_t QuietKey() const { return state_ == State::Read && !Busy() ? toggle_ : kNotQuiet; }
  void BecomeQuiet(std::uint32_t key) {
    state_ = State::Read;
    toggle_ = static_cast<std::uint8_t>(key);
    ClearOperation();
  }
  void Adopt(const AmdFlashChip& wide, std::uint32_t shift) {
    AdoptOperation(wide, shift);
    state_ = wide.state_;
    toggle_ = wide.toggle_;
  }

  template <std::uint32_t kBytes, std::uint32_t kLanes>
  class Stepper;

 private:
  template <std::uint32_t, std::uint32_t>
  friend class Stepper;

  enum class State : std::uint8_t {
    Read,
    Unlocked1,       // after 0xAA at 0x555
    Unlocked2,       // after 0x55 at 0x2AA
    ProgramData,     // after 0xA0: the next write is the data
    EraseArmed,      // after 0x80
    EraseUnlocked1,  // after the second 0xAA
    EraseUnlocked2,  // after the second 0x55: 0x30 at the sector starts the erase
    Query,
    Autoselect,
    Exceeded,        // DQ5 set until reset
  };

  static constexpr std::uint32_t kAddressMask = 0x7FF;  // unlock addresses decode A10..A0

  std::uint32_t Status(Op op);
  void Finished();
  static bool ReadsArrayIn(State state) {
    return state != State::Query && state != State::Autoselect && state != State::Exceeded;
  }

  State state_ = State::Read;
  std::uint8_t toggle_ = 0;
};

// The states a fault-free model standing for chips in step (see
// ChipWiring: kBytes the bus width, kLanes its lanes factor) walks through
// while words are programmed one after another: the unlock cycles, the
// program command, programming with status on every read. Kept by value,
// so that the bank's unit loop holds them in registers; every step is the
// one the model takes (Read, Write, Advance, Finish) for the same cycle.
// Anything else is the model's: Take declines a chip in any other state,
// Write declines a cycle it does not know, or a program that would fail,
// before changing anything, and Put gives the state back.
template <std::uint32_t kBytes, std::uint32_t kLanes>
class AmdFlashChip::Stepper : public FlashChip::ProgramSteps<kBytes, kLanes> {
  using Steps = FlashChip::ProgramSteps<kBytes, kLanes>;

 public:
  // False when the chip is not in one of the stepper's states.
  bool Take(const AmdFlashChip& chip) {
    phase_ = Phase::Off;
    if (!Steps::TakeProgram(chip)) return false;
    if (chip.op_ == Op::Program && chip.state_ == State::Read) {
      phase_ = Phase::Busy;
    } else if (chip.op_ != Op::None) {
      return false;
    } else if (chip.state_ == State::Read) {
      phase_ = Phase::Quiet;
    } else if (chip.state_ == State::Unlocked1) {
      phase_ = Phase::Unlocked1;
    } else if (chip.state_ == State::Unlocked2) {
      phase_ = Phase::Unlocked2;
    } else if (chip.state_ == State::ProgramData) {
      phase_ = Phase::SetUp;
    }
    toggle_ = chip.toggle_;
    return phase_ != Phase::Off;
  }

  void Put(AmdFlashChip& chip) const {
    switch (phase_) {
      case Phase::Unlocked1: chip.state_ = State::Unlocked1; break;
      case Phase::Unlocked2: chip.state_ = State::Unlocked2; break;
      case Phase::SetUp: chip.state_ = State::ProgramData; break;
      default: chip.state_ = State::Read; break;
    }
    chip.op_ = phase_ == Phase::Busy ? Op::Program : Op::None;
    chip.readsArray_ = phase_ != Phase::Busy;
    chip.toggle_ = static_cast<std::uint8_t>(toggle_);
    Steps::PutProgram(chip);
  }

  // Whether Take succeeded and Stop has not been called since.
  bool On() const { return phase_ != Phase::Off; }
  void Stop() { phase_ = Phase::Off; }
  bool ReadsArray() const { return phase_ != Phase::Busy; }
  // The next write is program data, whose lanes may differ.
  bool TakesData() const { return phase_ == Phase::SetUp; }

  // A read while programming: status, then the cells once done.
  std::uint32_t Read(std::uint32_t word) {
    if (this->remaining_ > 0) {
      --this->remaining_;
      toggle_ ^= 0x40;
      return (~this->opData_ & (0x80 * kLanes)) | (toggle_ * kLanes);
    }
    Finish();
    return this->ArrayWord(word);
  }

  // The step a word program takes with command `value` (a code in every
  // lane) at `word`, when that is the step it takes from here; false
  // otherwise, with nothing changed. For callers that spell the command as
  // a constant, so that this is the only check left of their cycle.
  [[gnu::always_inline]] bool ProgramStep(std::uint32_t word, std::uint32_t value) {
    const std::uint32_t a = word & kAddressMask;
    if (value == 0xAA * kLanes && a == 0x555 && phase_ == Phase::Quiet) {
      phase_ = Phase::Unlocked1;
      return true;
    }
    if (value == 0x55 * kLanes && a == 0x2AA && phase_ == Phase::Unlocked1) {
      phase_ = Phase::Unlocked2;
      return true;
    }
    if (value == 0xA0 * kLanes && a == 0x555 && phase_ == Phase::Unlocked2) {
      phase_ = Phase::SetUp;
      return true;
    }
    return false;
  }

  // False, with nothing changed, for a cycle the model must take.
  bool Write(std::uint32_t word, std::uint32_t value, ChipEvent* event) {
    *event = ChipEvent::None;
    if (phase_ == Phase::SetUp) {
      // A 1 over a 0 fails the program, in some lanes only perhaps.
      if ((this->ArrayWord(word) & value) != (value & Steps::kDataMask)) return false;
      phase_ = Phase::Busy;
      Steps::StartProgram(word, value);
      *event = ChipEvent::Program;
      return true;
    }
    if (phase_ == Phase::Busy && this->remaining_ > 0) return true;  // ignored while busy
    const std::uint32_t command = value & 0xFF;
    const std::uint32_t a = word & kAddressMask;
    const bool first = command == 0xAA && a == 0x555;
    const bool second = command == 0x55 && a == 0x2AA;
    Phase next = Phase::Quiet;
    switch (phase_) {
      case Phase::Busy:
      case Phase::Quiet:
        if (command == 0x98 && a == 0x55) return false;  // CFI query
        next = first ? Phase::Unlocked1 : Phase::Quiet;
        break;
      case Phase::Unlocked1: next = second ? Phase::Unlocked2 : Phase::Quiet; break;
      case Phase::Unlocked2:
        if (a == 0x555 && (command == 0x80 || command == 0x90)) return false;  // erase, autoselect
        next = a == 0x555 && command == 0xA0 ? Phase::SetUp : Phase::Quiet;
        break;
      case Phase::SetUp: break;
      case Phase::Off: return false;
    }
    if (phase_ == Phase::Busy) Finish();
    phase_ = next;
    return true;
  }

 private:
  enum class Phase : std::uint32_t { Quiet, Unlocked1, Unlocked2, SetUp, Busy, Off };

  // The program was checked to succeed.
  void Finish() {
    Steps::FinishProgram();
    phase_ = Phase::Quiet;
  }

  Phase phase_ = Phase::Off;
  std::uint32_t toggle_ = 0;
};

}  // namespace talvon::sim
