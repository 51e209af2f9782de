#include "sim/flash/intel_flash_chip.h"

#include "sim/flash/intel_chip_stepper.h"
#include "sim/flash/chip_bank.h"
#include "sim/flash/chip_commands.h"

namespace talvon::sim {

using namespace intel_command;

void IntelFlashChip::Finished() {
  if (lastFailed_) status_ |= lastOp_ == Op::Program ? kProgramError : kEraseError;
}

std::uint32_t IntelFlashChip::Read(std::uint32_t word) {
  switch (Advance(true)) {
    case Progress::Busy: return Lanes(status_);
    case Progress::Done: Finished(); break;
    case Progress::Idle: break;
  }
  switch (mode_) {
    case Mode::Array: return SeenWord(word);
    case Mode::Status: return Lanes(status_ | kReady);
    case Mode::Query: return CfiWord(word);
    case Mode::Identifier: return IdentifierWord(word);
  }
  return 0;
}

ChipEvent IntelFlashChip::Write(std::uint32_t word, std::uint32_t value) {
  switch (Advance(false)) {
    case Progress::Busy: return ChipEvent::None;
    case Progress::Done: Finished(); break;
    case Progress::Idle: break;
  }
  // Mode and cycle are worked on as locals and stored once: both are bytes
  // side by side, and reading them back as one word right after storing
  // one of them stalls the store buffer on every bus cycle.
  ChipEvent event = ChipEvent::None;
  Mode mode = mode_;
  Cycle cycle = cycle_;
  const std::uint8_t command = static_cast<std::uint8_t>(value);
  switch (cycle) {
    case Cycle::ProgramData:
      cycle = Cycle::Command;
      event = StartProgram(word, value);
      break;
    case Cycle::EraseConfirm:
      cycle = Cycle::Command;
      if (command == kEraseConfirm) {
        event = StartErase(word);
      } else {
        status_ |= kEraseError | kProgramError;  // command sequence error
      }
      break;
    case Cycle::Command:
      switch (command) {
        case kReadArray: mode = Mode::Array; break;
        case kQuery:
          if (!faults_.noCfi) mode = Mode::Query;
          break;
        case kReadIdentifier: mode = Mode::Identifier; break;
        case kReadStatus: mode = Mode::Status; break;
        case kClearStatus: status_ = 0; break;
        case kProgramSetup:
        case kProgramSetupAlternate:
          cycle = Cycle::ProgramData;
          mode = Mode::Status;
          break;
        case kEraseSetup:
          cycle = Cycle::EraseConfirm;
          mode = Mode::Status;
          break;
        default: break;  // AMD cycles (0xAA, 0x55, 0x80, 0x30, 0xA0, 0xF0) and unknown codes
      }
      break;
  }
  mode_ = mode;
  cycle_ = cycle;
  SetReadsArray(mode == Mode::Array && cycle == Cycle::Command && !Busy());
  return event;
}

std::unique_ptr<FlashBank> MakeIntelFlashBank(const FlashConfig& config, std::size_t index, std::uint32_t start,
                                              std::uint8_t* memory, FlashStats* stats) {
  return MakeChipBank<IntelFlashChip>(config, index, start, memory, stats);
}

}  // namespace talvon::sim
