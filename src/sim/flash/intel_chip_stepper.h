#pragma once
#include "sim/flash/chip_commands.h"
#include "sim/flash/intel_flash_chip.h"

namespace talvon::sim {

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
    if (value == intel_command::kProgramSetup * kLanes && (phase_ == Phase::Quiet || phase_ == Phase::Ready)) {
      phase_ = Phase::SetUp;
      return true;
    }
    if (value == intel_command::kReadStatus * kLanes && phase_ == Phase::Busy) {
      if (this->remaining_ == 0) Finish();  // then reading status, ready
      return true;
    }
    if (value == intel_command::kReadArray * kLanes && phase_ == Phase::Ready) {
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
      case intel_command::kReadArray: next = Phase::Quiet; break;
      case intel_command::kReadStatus: next = Phase::Ready; break;
      case intel_command::kProgramSetup:
      case intel_command::kProgramSetupAlternate: next = Phase::SetUp; break;
      case intel_command::kClearStatus: next = phase_ == Phase::Quiet ? Phase::Quiet : Phase::Ready; break;  // no error bits to clear
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
