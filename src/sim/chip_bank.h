#pragma once
#include <algorithm>
#include <bit>
#include <cstring>
#include <memory>
#include <vector>

#include "sim/cfi_table.h"
#include "sim/flash_bank.h"
#include "sim/flash_chip.h"

// The bank of one chip model, as a template so that each model's state
// machine is inlined into the bank's bus cycles. Instantiated next to each
// model (intel_flash_chip.cpp, amd_flash_chip.cpp).
namespace talvon::sim {

static_assert(std::endian::native == std::endian::little, "the bank memory is read as little-endian bus words");

constexpr std::uint32_t BytesMask(std::uint32_t bytes) { return bytes >= 4 ? 0xFFFFFFFFu : (1u << (8 * bytes)) - 1; }

// The faults of chip `chip` of bank `bankIndex`, from the window addresses
// of the configuration.
ChipFaults FaultsOfChip(const FlashConfig& config, std::size_t bankIndex, std::uint32_t start, std::uint32_t chip,
                        const ChipLayout& layout);

std::unique_ptr<FlashBank> MakeIntelFlashBank(const FlashConfig& config, std::size_t index, std::uint32_t start,
                                              std::uint8_t* memory, FlashStats* stats);
std::unique_ptr<FlashBank> MakeAmdFlashBank(const FlashConfig& config, std::size_t index, std::uint32_t start,
                                            std::uint8_t* memory, FlashStats* stats);

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
      wiring.extraPolls = bank.chipExtraPolls.empty() ? 0 : bank.chipExtraPolls[c];
      chips_.emplace_back(wiring, &layout_, FaultsOfChip(config, index, start, c, layout_));
    }
    for (Chip& chip : chips_) chip.ApplyAllStuckBits();
    chipCount_ = static_cast<std::uint32_t>(chips_.size());
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
    if (size == busWidth_) [[likely]] {
      WriteWord(offset >> busShift_, value, busMask_);
      return;
    }
    WriteOtherWidth(offset, size, value);
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
  // Wider than the bus: several bus cycles; narrower: only the lanes it covers.
  [[gnu::noinline]] void WriteOtherWidth(std::uint32_t offset, std::uint32_t size, std::uint32_t value) {
    const std::uint32_t word = offset >> busShift_;
    if (size > busWidth_) {
      for (std::uint32_t i = 0; i < (size >> busShift_); ++i) {
        WriteWord(word + i, (value >> (8 * busWidth_ * i)) & busMask_, busMask_);
      }
      return;
    }
    const std::uint32_t shift = 8 * (offset & (busWidth_ - 1));
    const std::uint32_t driven = BytesMask(size) << shift;
    WriteWord(word, (value << shift) & driven, driven);
  }

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
    // Locals, not members: the chips' stores could alias members and force
    // reloads on every chip.
    Chip* chips = chips_.data();
    const std::uint32_t count = chipCount_;
    const std::uint32_t laneBits = laneBits_;
    const std::uint32_t laneMask = laneMask_;
    std::uint32_t value = 0;
    std::uint32_t notArray = 0;
    for (std::uint32_t c = 0; c < count; ++c) {
      value |= (chips[c].Read(word) & laneMask) << (c * laneBits);
      notArray |= std::uint32_t{!chips[c].ReadsArray()} << c;
    }
    notReadingArray_ = notArray;
    return value;
  }

  // Each chip whose lanes are driven sees its own part of the value.
  void WriteWord(std::uint32_t word, std::uint32_t value, std::uint32_t driven) {
    Chip* chips = chips_.data();
    const std::uint32_t count = chipCount_;
    const std::uint32_t laneBits = laneBits_;
    const std::uint32_t laneMask = laneMask_;
    ChipEvent event = ChipEvent::None;
    std::uint32_t notArray = 0;
    for (std::uint32_t c = 0; c < count; ++c) {
      const std::uint32_t shift = c * laneBits;
      if ((driven >> shift) & laneMask) event = std::max(event, chips[c].Write(word, (value >> shift) & laneMask));
      notArray |= std::uint32_t{!chips[c].ReadsArray()} << c;
    }
    notReadingArray_ = notArray;
    if (event != ChipEvent::None) Count(event);
  }

  void Count(ChipEvent event) {
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
  std::uint32_t chipCount_ = 0;
};

}  // namespace talvon::sim
