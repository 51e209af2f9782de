#pragma once
#include <algorithm>
#include <cstdint>
#include <cstring>
#include <vector>

#include "sim/flash/flash_config.h"

// What every NOR chip model shares, whatever its command set: its cells
// (its own byte lanes of the bank's memory), the erase blocks from its CFI
// geometry, embedded operations that take a number of status reads, the
// NOR rules (programming only clears bits; erasing sets the chip's part of
// a block to 0xFF), injected faults, wear counts and what a power failure
// leaves behind. The command state machines live in the Intel and AMD
// models built on it.
namespace talvon::sim {

// What a bus cycle started in a chip, so the bank can count operations.
enum class ChipEvent : std::uint8_t { None, Program, Erase };

// Shared by all chips of a bank.
struct ChipLayout {
  std::vector<FlashRegion> regions;  // per-chip blocks
  std::vector<std::uint8_t> cfi;     // query table by chip word address
  std::uint32_t blockCount = 0;
  std::uint8_t makerCode = 0;
  std::uint8_t deviceCode = 0;
  std::uint32_t programPolls = 0;
  std::uint32_t erasePolls = 0;
};

// The block holding a byte offset in one chip, or layout.blockCount.
std::uint32_t BlockAtChipOffset(const ChipLayout& layout, std::uint64_t offset);

// Where the chip sits on the bus.
struct ChipWiring {
  std::uint8_t* lane = nullptr;       // the chip's first byte in bus word 0 of the bank
  std::uint32_t stride = 0;           // bus width in bytes
  std::uint32_t bytes = 0;            // the chip's own width in bytes
  std::uint32_t extraPolls = 0;       // this chip is slower than its siblings
  // A model may stand for all chips of a bank while they work in step: it
  // then drives the whole bus word (bytes = stride), addresses its blocks
  // in the width of one chip (chipBytes), and gives every chip's answer by
  // multiplying one chip's answer by `lanes`.
  std::uint32_t chipBytes = 0;        // 0: bytes
  std::uint32_t lanes = 1;
};

// Faults of one chip, in its own terms.
struct ChipFaults {
  struct Stuck {
    std::uint32_t word = 0;
    std::uint8_t byte = 0;  // byte within the chip's word
    std::uint8_t mask = 0;
    bool high = false;
  };
  std::vector<std::uint32_t> eraseFailBlocks;   // sorted
  std::vector<std::uint32_t> programFailWords;  // sorted
  std::vector<Stuck> stuck;                     // sorted by word
  bool neverReady = false;
  bool noCfi = false;
};

class FlashChip {
 public:
  FlashChip(const ChipWiring& wiring, const ChipLayout* layout, ChipFaults faults);

  // Erases that the chip's part of a block has seen.
  std::uint32_t EraseCycles(std::uint32_t block) const { return block < eraseCycles_.size() ? eraseCycles_[block] : 0; }
  // The block holding a chip word, or blockCount when none does.
  std::uint32_t BlockOfWord(std::uint32_t word) const {
    return BlockAtChipOffset(*layout_, std::uint64_t{word} * wiring_.chipBytes);
  }
  // Reads give the cells (no operation runs, no other read mode): the
  // bank may then read its memory directly.
  // A chip with stuck bits shows them over its cells on every read, so
  // the bank never reads its memory directly.
  bool ReadsArray() const { return readsArray_ && faults_.stuck.empty(); }
  // Power fails: an operation under way stops half done.
  void CutPower();

  // Programming `value` at `word` ends alike in every lane: always on a
  // chip that only drives zeros, and on one that verifies the whole word
  // only when no lane asks for a 1 over a 0.
  bool ProgramsAlike(std::uint32_t word, std::uint32_t value) const {
    return !programNeedsExactResult_ || (ArrayWord(word) & value) == (value & dataMask_);
  }
  static constexpr std::uint32_t kNotQuiet = ~0u;

  template <std::uint32_t kBytes, std::uint32_t kLanes>
  class ProgramSteps;

 protected:
  enum class Op : std::uint8_t { None, Program, Erase };
  enum class Progress : std::uint8_t { Idle, Busy, Done };

  // Moves an embedded operation along; every access of a busy chip calls it.
  // Reads count down the busy time; an access once the time is over
  // finishes the operation (Done, once) before it is served.
  Progress Advance(bool read) {
    if (op_ == Op::None) return Progress::Idle;
    if (faults_.neverReady) return Progress::Busy;
    if (remaining_ > 0) {
      if (read) --remaining_;
      return Progress::Busy;
    }
    Finish();
    return Progress::Done;
  }

  ChipEvent StartProgram(std::uint32_t word, std::uint32_t data) {
    op_ = Op::Program;
    opWord_ = word;
    opData_ = data & dataMask_;
    remaining_ = layout_->programPolls + wiring_.extraPolls;
    SetReadsArray(false);
    return ChipEvent::Program;
  }
  ChipEvent StartErase(std::uint32_t word);

  std::uint32_t ArrayWord(std::uint32_t word) const {
    const std::uint8_t* p = wiring_.lane + std::size_t{word} * wiring_.stride;
    switch (wiring_.bytes) {
      case 1: return p[0];
      case 2: {
        std::uint16_t v;
        std::memcpy(&v, p, 2);
        return v;
      }
      default: {
        std::uint32_t v;
        std::memcpy(&v, p, 4);
        return v;
      }
    }
  }
  // A word as a read shows it: the cells, with stuck bits over them. The
  // stuck bits live here, in the chip, never in the cells (the file), so
  // clearing the fault gives back what was stored.
  std::uint32_t SeenWord(std::uint32_t word) const {
    std::uint32_t value = ArrayWord(word);
    if (faults_.stuck.empty()) [[likely]] return value;
    auto it = std::lower_bound(faults_.stuck.begin(), faults_.stuck.end(), word,
                               [](const ChipFaults::Stuck& s, std::uint32_t w) { return s.word < w; });
    for (; it != faults_.stuck.end() && it->word == word; ++it) {
      const std::uint32_t mask = std::uint32_t{it->mask} << (8 * it->byte);
      value = it->high ? value | mask : value & ~mask;
    }
    return value;
  }
  std::uint32_t CfiWord(std::uint32_t word) const {
    return Lanes(word < layout_->cfi.size() ? layout_->cfi[word] : 0);
  }
  std::uint32_t IdentifierWord(std::uint32_t word) const {
    return Lanes(word == 0 ? layout_->makerCode : word == 1 ? layout_->deviceCode : 0);
  }
  // One chip's answer in every lane the model drives.
  std::uint32_t Lanes(std::uint32_t value) const { return value * wiring_.lanes; }
  // The operation state of `wide`, a model standing for this chip and its
  // siblings in step; this chip's lane of the data is at bit `shift`.
  void AdoptOperation(const FlashChip& wide, std::uint32_t shift) {
    op_ = wide.op_;
    lastOp_ = wide.lastOp_;
    lastFailed_ = wide.lastFailed_;
    opWord_ = wide.opWord_;
    opData_ = (wide.opData_ >> shift) & dataMask_;
    opBlock_ = wide.opBlock_;
    remaining_ = wide.remaining_;
    readsArray_ = wide.readsArray_;
  }
  // No operation, reading the array.
  void ClearOperation() {
    op_ = Op::None;
    readsArray_ = true;
  }
  // Programs finish inline and the chip gets ready: no program faults,
  // stuck bits or never-ready fault.
  bool PlainPrograms() const { return plainProgram_ && !faults_.neverReady; }
  void SetReadsArray(bool yes) { readsArray_ = yes; }
  bool Busy() const { return op_ != Op::None; }

  ChipWiring wiring_;
  const ChipLayout* layout_;
  ChipFaults faults_;
  std::uint32_t dataMask_;
  // AMD parts verify the whole word, so a 1 over a 0 fails the program;
  // Intel parts only drive zeros and do not notice.
  bool programNeedsExactResult_ = false;
  // The operation under way, or the last one once finished.
  Op op_ = Op::None;
  Op lastOp_ = Op::None;
  bool lastFailed_ = false;
  std::uint32_t opWord_ = 0;
  std::uint32_t opData_ = 0;
  std::uint32_t opBlock_ = 0;
  std::uint32_t remaining_ = 0;  // status reads until the operation ends
  bool readsArray_ = true;

 private:
  // A program on a chip without program faults or stuck bits, the bulk of
  // all work, is finished inline; the rest takes the general path.
  void Finish() {
    if (op_ == Op::Program && plainProgram_) [[likely]] {
      // Programming only clears bits: the cells keep a 1 only where both
      // they and the data have one.
      const std::uint32_t result = ArrayWord(opWord_) & opData_;
      StoreArrayWord(opWord_, result);
      lastFailed_ = programNeedsExactResult_ && result != opData_;
      lastOp_ = op_;
      op_ = Op::None;
      return;
    }
    FinishAny();
  }
  void FinishAny();
  bool FinishProgram(bool partial);
  bool FinishErase(bool partial);
  void StoreArrayWord(std::uint32_t word, std::uint32_t value) {
    std::uint8_t* p = wiring_.lane + std::size_t{word} * wiring_.stride;
    switch (wiring_.bytes) {
      case 1: p[0] = static_cast<std::uint8_t>(value); break;
      case 2: {
        const auto v = static_cast<std::uint16_t>(value);
        std::memcpy(p, &v, 2);
        break;
      }
      default: std::memcpy(p, &value, 4); break;
    }
  }
  void EraseWords(std::uint32_t first, std::uint32_t count);
  // True if a stuck bit in words [first, first + count) makes a read show
  // other than the cells hold.
  bool StuckBitsShow(std::uint32_t first, std::uint32_t count) const;
  bool BlockWords(std::uint32_t block, std::uint32_t* first, std::uint32_t* count) const;

  const bool plainProgram_;
  std::vector<std::uint32_t> eraseCycles_;
};

// What a stepper of either command set (see the chip models) keeps of a
// word program, and the cells it programs: a fault-free model standing for
// chips in step, wired for a bus of kBytes whose lanes factor is kLanes.
template <std::uint32_t kBytes, std::uint32_t kLanes>
class FlashChip::ProgramSteps {
 public:
  // The cells of a word (while reading the array).
  std::uint32_t ArrayWord(std::uint32_t word) const {
    std::uint32_t cells = 0;
    std::memcpy(&cells, cells_ + std::size_t{word} * kBytes, kBytes);
    return cells;
  }

 protected:
  static constexpr std::uint32_t kDataMask = kBytes >= 4 ? 0xFFFFFFFFu : (1u << (8 * kBytes)) - 1;

  // False unless the chip is such a model and its last operation is a
  // program that worked, as every one a stepper finishes is, so that
  // nothing of it needs giving back.
  bool TakeProgram(const FlashChip& chip) {
    if (chip.lastOp_ != Op::Program || chip.lastFailed_ || !chip.PlainPrograms() || chip.wiring_.bytes != kBytes ||
        chip.wiring_.stride != kBytes || chip.wiring_.lanes != kLanes) {
      return false;
    }
    cells_ = chip.wiring_.lane;
    polls_ = chip.layout_->programPolls + chip.wiring_.extraPolls;
    remaining_ = chip.remaining_;
    opWord_ = chip.opWord_;
    opData_ = chip.opData_;
    return true;
  }
  void PutProgram(FlashChip& chip) const {
    chip.remaining_ = remaining_;
    chip.opWord_ = opWord_;
    chip.opData_ = opData_;
  }
  void StartProgram(std::uint32_t word, std::uint32_t value) {
    opWord_ = word;
    opData_ = value & kDataMask;
    remaining_ = polls_;
  }
  // Programming only clears bits.
  void FinishProgram() {
    const std::uint32_t cells = ArrayWord(opWord_) & opData_;
    std::memcpy(cells_ + std::size_t{opWord_} * kBytes, &cells, kBytes);
  }

  std::uint8_t* cells_ = nullptr;
  std::uint32_t polls_ = 0;
  std::uint32_t remaining_ = 0;  // status reads until the program ends
  std::uint32_t opWord_ = 0;
  std::uint32_t opData_ = 0;
};

}  // namespace talvon::sim
