#include "sim/flash/flash_chip.h"

#include <algorithm>
#include <cstring>

namespace talvon::sim {

FlashChip::FlashChip(const ChipWiring& wiring, const ChipLayout* layout, ChipFaults faults)
    : wiring_(wiring),
      layout_(layout),
      faults_(std::move(faults)),
      dataMask_(wiring.bytes >= 4 ? 0xFFFFFFFFu : (1u << (8 * wiring.bytes)) - 1),
      plainProgram_(faults_.programFailWords.empty() && faults_.stuck.empty()),
      eraseCycles_(layout->blockCount, 0) {
  if (wiring_.chipBytes == 0) wiring_.chipBytes = wiring_.bytes;
}

std::uint32_t BlockAtChipOffset(const ChipLayout& layout, std::uint64_t offset) {
  std::uint32_t block = 0;
  for (const FlashRegion& r : layout.regions) {
    const std::uint64_t span = std::uint64_t{r.blockSize} * r.blockCount;
    if (offset < span) return block + static_cast<std::uint32_t>(offset / r.blockSize);
    offset -= span;
    block += r.blockCount;
  }
  return layout.blockCount;
}

bool FlashChip::BlockWords(std::uint32_t block, std::uint32_t* first, std::uint32_t* count) const {
  std::uint64_t offset = 0;
  for (const FlashRegion& r : layout_->regions) {
    if (block < r.blockCount) {
      *first = static_cast<std::uint32_t>((offset + std::uint64_t{block} * r.blockSize) / wiring_.chipBytes);
      *count = r.blockSize / wiring_.chipBytes;
      return true;
    }
    offset += std::uint64_t{r.blockSize} * r.blockCount;
    block -= r.blockCount;
  }
  return false;
}

ChipEvent FlashChip::StartErase(std::uint32_t word) {
  op_ = Op::Erase;
  opWord_ = word;
  opBlock_ = BlockOfWord(word);
  remaining_ = layout_->erasePolls + wiring_.extraPolls;
  SetReadsArray(false);
  return ChipEvent::Erase;
}

void FlashChip::FinishAny() {
  lastFailed_ = op_ == Op::Program ? !FinishProgram(false) : !FinishErase(false);
  lastOp_ = op_;
  op_ = Op::None;
}

void FlashChip::CutPower() {
  if (op_ == Op::Program) FinishProgram(true);
  if (op_ == Op::Erase) FinishErase(true);
  op_ = Op::None;
}

bool FlashChip::FinishProgram(bool partial) {
  if (std::binary_search(faults_.programFailWords.begin(), faults_.programFailWords.end(), opWord_)) return false;
  const std::uint32_t old = ArrayWord(opWord_);
  std::uint32_t cleared = old & ~opData_;
  // Cut short, only some of the bits meant to go to 0 have done so.
  if (partial) cleared &= 0x55555555u;
  const std::uint32_t result = old & ~cleared;
  StoreArrayWord(opWord_, result);
  if (StuckBitsShow(opWord_, 1)) return false;
  return programNeedsExactResult_ ? ArrayWord(opWord_) == opData_ : true;
}

bool FlashChip::FinishErase(bool partial) {
  std::uint32_t first = 0;
  std::uint32_t count = 0;
  if (!BlockWords(opBlock_, &first, &count)) return false;
  ++eraseCycles_[opBlock_];
  if (std::binary_search(faults_.eraseFailBlocks.begin(), faults_.eraseFailBlocks.end(), opBlock_)) return false;
  // Cut short, the leading half of the block is erased and the rest is not.
  EraseWords(first, partial ? count / 2 : count);
  return !StuckBitsShow(first, count);
}

void FlashChip::EraseWords(std::uint32_t first, std::uint32_t count) {
  std::uint8_t* p = wiring_.lane + std::size_t{first} * wiring_.stride;
  if (wiring_.bytes == wiring_.stride) {
    std::memset(p, 0xFF, std::size_t{count} * wiring_.stride);
    return;
  }
  for (std::uint32_t i = 0; i < count; ++i, p += wiring_.stride) std::memset(p, 0xFF, wiring_.bytes);
}

bool FlashChip::StuckBitsShow(std::uint32_t first, std::uint32_t count) const {
  auto it = std::lower_bound(faults_.stuck.begin(), faults_.stuck.end(), first,
                             [](const ChipFaults::Stuck& s, std::uint32_t w) { return s.word < w; });
  for (; it != faults_.stuck.end() && it->word - first < count; ++it) {
    if (SeenWord(it->word) != ArrayWord(it->word)) return true;
  }
  return false;
}


}  // namespace talvon::sim
