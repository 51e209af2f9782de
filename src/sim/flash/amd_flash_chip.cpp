#include "sim/flash/amd_flash_chip.h"

#include "sim/flash/amd_chip_stepper.h"
#include "sim/flash/chip_bank.h"
#include "sim/flash/chip_commands.h"

namespace talvon::sim {

using namespace amd_command;

std::uint32_t AmdFlashChip::Status(Op op) {
  toggle_ ^= 0x40;
  if (op == Op::Erase) return Lanes(toggle_ | 0x08);
  return (~opData_ & Lanes(0x80)) | Lanes(toggle_);
}

void AmdFlashChip::Finished() {
  if (lastFailed_) state_ = State::Exceeded;
  SetReadsArray(ReadsArrayIn(state_));
}

std::uint32_t AmdFlashChip::Read(std::uint32_t word) {
  switch (Advance(true)) {
    case Progress::Busy: return Status(op_);
    case Progress::Done: Finished(); break;
    case Progress::Idle: break;
  }
  switch (state_) {
    case State::Query: return CfiWord(word);
    case State::Autoselect: return IdentifierWord(word);
    case State::Exceeded: return Status(lastOp_) | Lanes(0x20);
    default: return SeenWord(word);
  }
}

ChipEvent AmdFlashChip::Write(std::uint32_t word, std::uint32_t value) {
  switch (Advance(false)) {
    case Progress::Busy: return ChipEvent::None;
    case Progress::Done: Finished(); break;
    case Progress::Idle: break;
  }
  ChipEvent event = ChipEvent::None;
  const std::uint8_t command = static_cast<std::uint8_t>(value);
  const std::uint32_t a = word & kAddressMask;
  const bool first = command == kUnlock1 && a == kUnlockWord1;
  const bool second = command == kUnlock2 && a == kUnlockWord2;
  switch (state_) {
    case State::Exceeded:
    case State::Query:
    case State::Autoselect:
      if (command == kReset) state_ = State::Read;
      if (state_ == State::Autoselect && command == kQuery && a == kQueryWord && !faults_.noCfi) state_ = State::Query;
      break;
    case State::Read:
      if (first) state_ = State::Unlocked1;
      if (command == kQuery && a == kQueryWord && !faults_.noCfi) state_ = State::Query;
      break;
    case State::Unlocked1: state_ = second ? State::Unlocked2 : State::Read; break;
    case State::Unlocked2:
      state_ = State::Read;
      if (a == kUnlockWord1 && command == kProgram) state_ = State::ProgramData;
      if (a == kUnlockWord1 && command == kEraseSetup) state_ = State::EraseArmed;
      if (a == kUnlockWord1 && command == kAutoselect) state_ = State::Autoselect;
      break;
    case State::ProgramData:
      state_ = State::Read;
      event = StartProgram(word, value);
      break;
    case State::EraseArmed: state_ = first ? State::EraseUnlocked1 : State::Read; break;
    case State::EraseUnlocked1: state_ = second ? State::EraseUnlocked2 : State::Read; break;
    case State::EraseUnlocked2:
      state_ = State::Read;
      if (command == kSectorErase) event = StartErase(word);
      break;
  }
  SetReadsArray(!Busy() && ReadsArrayIn(state_));
  return event;
}

std::unique_ptr<FlashBank> MakeAmdFlashBank(const FlashConfig& config, std::size_t index, std::uint32_t start,
                                            std::uint8_t* memory, FlashStats* stats) {
  return MakeChipBank<AmdFlashChip>(config, index, start, memory, stats);
}

}  // namespace talvon::sim
