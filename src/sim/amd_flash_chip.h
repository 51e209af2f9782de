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

 private:
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

}  // namespace talvon::sim
