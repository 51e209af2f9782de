#include "sim/intel_flash_chip.h"

namespace talvon::sim {

void IntelFlashChip::Finished() {
  if (lastFailed_) status_ |= lastOp_ == Op::Program ? kProgramError : kEraseError;
}

std::uint32_t IntelFlashChip::Read(std::uint32_t word) {
  switch (Advance(true)) {
    case Progress::Busy: return status_;
    case Progress::Done: Finished(); break;
    case Progress::Idle: break;
  }
  switch (mode_) {
    case Mode::Array: return ArrayWord(word);
    case Mode::Status: return status_ | kReady;
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
  ChipEvent event = ChipEvent::None;
  const std::uint8_t command = static_cast<std::uint8_t>(value);
  switch (cycle_) {
    case Cycle::ProgramData:
      cycle_ = Cycle::Command;
      event = StartProgram(word, value);
      break;
    case Cycle::EraseConfirm:
      cycle_ = Cycle::Command;
      if (command == 0xD0) {
        event = StartErase(word);
      } else {
        status_ |= kEraseError | kProgramError;  // command sequence error
      }
      break;
    case Cycle::Command:
      switch (command) {
        case 0xFF: mode_ = Mode::Array; break;
        case 0x98:
          if (!faults_.noCfi) mode_ = Mode::Query;
          break;
        case 0x90: mode_ = Mode::Identifier; break;
        case 0x70: mode_ = Mode::Status; break;
        case 0x50: status_ = 0; break;
        case 0x40:
        case 0x10:
          cycle_ = Cycle::ProgramData;
          mode_ = Mode::Status;
          break;
        case 0x20:
          cycle_ = Cycle::EraseConfirm;
          mode_ = Mode::Status;
          break;
        default: break;  // AMD cycles (0xAA, 0x55, 0x80, 0x30, 0xA0, 0xF0) and unknown codes
      }
      break;
  }
  ReadsArray(mode_ == Mode::Array && cycle_ == Cycle::Command && !Busy());
  return event;
}

}  // namespace talvon::sim
