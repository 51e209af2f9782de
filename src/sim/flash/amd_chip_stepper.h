#pragma once
#include "sim/flash/chip_commands.h"
#include "sim/flash/amd_flash_chip.h"

namespace talvon::sim {

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
    const std::uint32_t a = word & amd_command::kAddressMask;
    if (value == amd_command::kUnlock1 * kLanes && a == amd_command::kUnlockWord1 && phase_ == Phase::Quiet) {
      phase_ = Phase::Unlocked1;
      return true;
    }
    if (value == amd_command::kUnlock2 * kLanes && a == amd_command::kUnlockWord2 && phase_ == Phase::Unlocked1) {
      phase_ = Phase::Unlocked2;
      return true;
    }
    if (value == amd_command::kProgram * kLanes && a == amd_command::kUnlockWord1 && phase_ == Phase::Unlocked2) {
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
    const std::uint32_t a = word & amd_command::kAddressMask;
    const bool first = command == amd_command::kUnlock1 && a == amd_command::kUnlockWord1;
    const bool second = command == amd_command::kUnlock2 && a == amd_command::kUnlockWord2;
    Phase next = Phase::Quiet;
    switch (phase_) {
      case Phase::Busy:
      case Phase::Quiet:
        if (command == amd_command::kQuery && a == amd_command::kQueryWord) return false;  // CFI query
        next = first ? Phase::Unlocked1 : Phase::Quiet;
        break;
      case Phase::Unlocked1: next = second ? Phase::Unlocked2 : Phase::Quiet; break;
      case Phase::Unlocked2:
        // Erase and autoselect are the model's.
        if (a == amd_command::kUnlockWord1 && (command == amd_command::kEraseSetup || command == amd_command::kAutoselect)) {
          return false;
        }
        next = a == amd_command::kUnlockWord1 && command == amd_command::kProgram ? Phase::SetUp : Phase::Quiet;
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
