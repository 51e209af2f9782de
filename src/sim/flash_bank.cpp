#include "sim/flash_bank.h"

#include <algorithm>
#include <bit>
#include <cstring>
#include <vector>

#include "flash/flash_areas.h"
#include "sim/amd_flash_chip.h"
#include "sim/cfi_table.h"
#include "sim/intel_flash_chip.h"

namespace talvon::sim {

FlashBank::FlashBank(std::uint32_t start, std::uint32_t size, std::uint32_t busWidth)
    : start_(start), size_(size), busWidth_(busWidth), busShift_(static_cast<std::uint32_t>(std::countr_zero(busWidth))) {}

namespace {

constexpr std::uint32_t BytesMask(std::uint32_t bytes) { return bytes >= 4 ? 0xFFFFFFFFu : (1u << (8 * bytes)) - 1; }

// The faults of one chip, from the window addresses of the configuration.
ChipFaults FaultsOfChip(const FlashConfig& config, std::size_t bankIndex, std::uint32_t start, std::uint32_t chip,
                        const ChipLayout& layout) {
  const FlashBankConfig& bank = config.banks[bankIndex];
  const std::uint32_t size = FlashBankSize(bank);
  const std::uint32_t chipBytes = bank.busWidth / bank.chips;
  // Window address to (bus word, byte within the bus word), when in this bank.
  auto locate = [&](std::uint32_t address, std::uint32_t* word, std::uint32_t* byte) {
    const std::uint32_t offset = address - FlashWindowBase - start;
    if (address < FlashWindowBase || offset >= size) return false;
    *word = offset / bank.busWidth;
    *byte = offset % bank.busWidth;
    return true;
  };
  ChipFaults faults;
  std::uint32_t word = 0;
  std::uint32_t byte = 0;
  for (const FlashEraseFailure& e : config.faults.eraseFailures) {
    if (locate(e.address, &word, &byte) && (!e.chip || *e.chip == chip)) {
      faults.eraseFailBlocks.push_back(BlockAtChipOffset(layout, std::uint64_t{word} * chipBytes));
    }
  }
  for (std::uint32_t address : config.faults.programFailures) {
    if (locate(address, &word, &byte) && byte / chipBytes == chip) faults.programFailWords.push_back(word);
  }
  for (const FlashStuckBits& s : config.faults.stuckBits) {
    if (locate(s.address, &word, &byte) && byte / chipBytes == chip) {
      faults.stuck.push_back({word, static_cast<std::uint8_t>(byte % chipBytes), s.mask, s.stuckHigh});
    }
  }
  for (const FlashChipRef& r : config.faults.neverReady) faults.neverReady |= r.bank == bankIndex && r.chip == chip;
  for (const FlashChipRef& r : config.faults.noCfi) faults.noCfi |= r.bank == bankIndex && r.chip == chip;
  std::sort(faults.eraseFailBlocks.begin(), faults.eraseFailBlocks.end());
  std::sort(faults.programFailWords.begin(), faults.programFailWords.end());
  std::stable_sort(faults.stuck.begin(), faults.stuck.end(),
                   [](const ChipFaults::Stuck& a, const ChipFaults::Stuck& b) { return a.word < b.word; });
  return faults;
}

template <class Chip>
class ChipBank final : public FlashBank {
 public:
  ChipBank(const FlashConfig& config, std::size_t index, std::uint32_t start, std::uint8_t* memory,
           FlashStats* stats)
      : FlashBank(start, FlashBankSize(config.banks[index]), config.banks[index].busWidth),
        memory_(memory),
        stats_(stats),
        chipBytes_(busWidth_ / config.banks[index].chips),
        laneBits_(8 * chipBytes_),
        laneMask_(BytesMask(chipBytes_)),
        busMask_(BytesMask(busWidth_)) {
    const FlashBankConfig& bank = config.banks[index];
    programMicroseconds_ = bank.timing.wordProgramUs;
    eraseMicroseconds_ = std::uint64_t{bank.timing.blockEraseMs} * 1000;
    layout_.regions = bank.regions;
    layout_.cfi = BuildCfiTable(bank);
    for (const FlashRegion& r : bank.regions) layout_.blockCount += r.blockCount;
    layout_.makerCode = FlashMakerCode(bank.commandSet);
    layout_.deviceCode = FlashDeviceCode(bank);
    layout_.programPolls = bank.programPolls;
    layout_.erasePolls = bank.erasePolls;
    chips_.reserve(bank.chips);
    for (std::uint32_t c = 0; c < bank.chips; ++c) {
      ChipWiring wiring;
      wiring.lane = memory + c * chipBytes_;
      wiring.stride = busWidth_;
      wiring.bytes = chipBytes_;
      wiring.bankBusy = &notReadingArray_;
      wiring.bit = 1u << c;
      wiring.extraPolls = bank.chipExtraPolls.empty() ? 0 : bank.chipExtraPolls[c];
      chips_.emplace_back(wiring, &layout_, FaultsOfChip(config, index, start, c, layout_));
    }
    for (Chip& chip : chips_) chip.ApplyAllStuckBits();
  }

  std::uint32_t Read(std::uint32_t offset, std::uint32_t size) override {
    const std::uint32_t word = offset >> busShift_;
    if (size == busWidth_) return ReadWord(word);
    if (size > busWidth_) {
      std::uint32_t value = 0;
      for (std::uint32_t i = 0; i < (size >> busShift_); ++i) value |= ReadWord(word + i) << (8 * busWidth_ * i);
      return value;
    }
    const std::uint32_t shift = 8 * (offset & (busWidth_ - 1));
    return (ReadWord(word) >> shift) & BytesMask(size);
  }

  void Write(std::uint32_t offset, std::uint32_t size, std::uint32_t value) override {
    const std::uint32_t word = offset >> busShift_;
    if (size == busWidth_) {
      WriteWord(word, value, busMask_);
    } else if (size > busWidth_) {
      for (std::uint32_t i = 0; i < (size >> busShift_); ++i) {
        WriteWord(word + i, (value >> (8 * busWidth_ * i)) & busMask_, busMask_);
      }
    } else {
      const std::uint32_t shift = 8 * (offset & (busWidth_ - 1));
      const std::uint32_t driven = BytesMask(size) << shift;
      WriteWord(word, (value << shift) & driven, driven);
    }
  }

  void CutPower() override {
    for (Chip& chip : chips_) chip.CutPower();
  }

  std::uint32_t EraseCycles(std::uint32_t offset) const override {
    std::uint32_t most = 0;
    for (const Chip& chip : chips_) most = std::max(most, chip.EraseCycles(chip.BlockOfWord(offset >> busShift_)));
    return most;
  }

 private:
  std::uint32_t ReadWord(std::uint32_t word) {
    if (notReadingArray_ == 0) {
      const std::uint8_t* p = memory_ + (std::size_t{word} << busShift_);
      switch (busWidth_) {
        case 1: return p[0];
        case 2: return p[0] | std::uint32_t{p[1]} << 8;
        default: {
          std::uint32_t v;
          std::memcpy(&v, p, 4);
          return v;
        }
      }
    }
    std::uint32_t value = 0;
    for (std::uint32_t c = 0; c < chips_.size(); ++c) {
      value |= (chips_[c].Read(word) & laneMask_) << (c * laneBits_);
    }
    return value;
  }

  // Each chip whose lanes are driven sees its own part of the value.
  void WriteWord(std::uint32_t word, std::uint32_t value, std::uint32_t driven) {
    ChipEvent event = ChipEvent::None;
    for (std::uint32_t c = 0; c < chips_.size(); ++c) {
      const std::uint32_t shift = c * laneBits_;
      if ((driven >> shift) & laneMask_) event = std::max(event, chips_[c].Write(word, (value >> shift) & laneMask_));
    }
    if (event == ChipEvent::Program) {
      ++stats_->programs;
      stats_->projectedMicroseconds += programMicroseconds_;
    } else if (event == ChipEvent::Erase) {
      ++stats_->erases;
      stats_->projectedMicroseconds += eraseMicroseconds_;
    }
  }

  std::uint8_t* memory_;
  FlashStats* stats_;
  const std::uint32_t chipBytes_;
  const std::uint32_t laneBits_;
  const std::uint32_t laneMask_;
  const std::uint32_t busMask_;
  std::uint64_t programMicroseconds_ = 0;
  std::uint64_t eraseMicroseconds_ = 0;
  ChipLayout layout_;
  std::vector<Chip> chips_;
};

static_assert(std::endian::native == std::endian::little, "the bank memory is read as little-endian bus words");

}  // namespace

std::unique_ptr<FlashBank> MakeFlashBank(const FlashConfig& config, std::size_t index, std::uint32_t start,
                                         std::uint8_t* memory, FlashStats* stats) {
  if (config.banks[index].commandSet == 1) {
    return std::make_unique<ChipBank<IntelFlashChip>>(config, index, start, memory, stats);
  }
  return std::make_unique<ChipBank<AmdFlashChip>>(config, index, start, memory, stats);
}

}  // namespace talvon::sim
