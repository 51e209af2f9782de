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

// The bus width and chip count are template arguments so that the lane
// arithmetic folds to constants and the loop over the chips unrolls: every
// bus cycle of the simulation goes through here.
template <class Chip, std::uint32_t kBusWidth, std::uint32_t kChips>
class ChipBank final : public FlashBank {
 public:
  ChipBank(const FlashConfig& config, std::size_t index, std::uint32_t start, std::uint8_t* memory,
           FlashStats* stats)
      : FlashBank(start, FlashBankSize(config.banks[index]), kBusWidth), memory_(memory), stats_(stats) {
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
    chips_.reserve(kChips);
    for (std::uint32_t c = 0; c < kChips; ++c) {
      ChipWiring wiring;
      wiring.lane = memory + c * kChipBytes;
      wiring.stride = kBusWidth;
      wiring.bytes = kChipBytes;
      wiring.extraPolls = bank.chipExtraPolls.empty() ? 0 : bank.chipExtraPolls[c];
      chips_.emplace_back(wiring, &layout_, FaultsOfChip(config, index, start, c, layout_));
    }
    for (std::uint32_t c = 0; c < kChips; ++c) notReadingArray_ |= std::uint32_t{!chips_[c].ReadsArray()} << c;
  }

  std::uint32_t Read(std::uint32_t offset, std::uint32_t size) override {
    const std::uint32_t word = offset >> kBusShift;
    if (size == kBusWidth) [[likely]] return ReadWord(word);
    if (size > kBusWidth) {
      std::uint32_t value = 0;
      for (std::uint32_t i = 0; i < (size >> kBusShift); ++i) value |= ReadWord(word + i) << (8 * kBusWidth * i);
      return value;
    }
    const std::uint32_t shift = 8 * (offset & (kBusWidth - 1));
    return (ReadWord(word) >> shift) & BytesMask(size);
  }

  void Write(std::uint32_t offset, std::uint32_t size, std::uint32_t value) override {
    if (size == kBusWidth) [[likely]] {
      WriteWord(offset >> kBusShift, value, kBusMask);
      return;
    }
    WriteOtherWidth(offset, size, value);
  }

  void CutPower() override {
    for (Chip& chip : chips_) chip.CutPower();
  }

  std::uint32_t EraseCycles(std::uint32_t offset) const override {
    std::uint32_t most = 0;
    for (const Chip& chip : chips_) most = std::max(most, chip.EraseCycles(chip.BlockOfWord(offset >> kBusShift)));
    return most;
  }

 private:
  static constexpr std::uint32_t kChipBytes = kBusWidth / kChips;
  static constexpr std::uint32_t kLaneBits = 8 * kChipBytes;
  static constexpr std::uint32_t kLaneMask = BytesMask(kChipBytes);
  static constexpr std::uint32_t kBusMask = BytesMask(kBusWidth);
  static constexpr std::uint32_t kBusShift = static_cast<std::uint32_t>(std::countr_zero(kBusWidth));

  // Wider than the bus: several bus cycles; narrower: only the lanes it covers.
  [[gnu::noinline]] void WriteOtherWidth(std::uint32_t offset, std::uint32_t size, std::uint32_t value) {
    const std::uint32_t word = offset >> kBusShift;
    if (size > kBusWidth) {
      for (std::uint32_t i = 0; i < (size >> kBusShift); ++i) {
        WriteWord(word + i, (value >> (8 * kBusWidth * i)) & kBusMask, kBusMask);
      }
      return;
    }
    const std::uint32_t shift = 8 * (offset & (kBusWidth - 1));
    const std::uint32_t driven = BytesMask(size) << shift;
    WriteWord(word, (value << shift) & driven, driven);
  }

  std::uint32_t ReadWord(std::uint32_t word) {
    if (notReadingArray_ == 0) {
      const std::uint8_t* p = memory_ + (std::size_t{word} << kBusShift);
      if constexpr (kBusWidth == 1) {
        return p[0];
      } else if constexpr (kBusWidth == 2) {
        std::uint16_t v;
        std::memcpy(&v, p, 2);
        return v;
      } else {
        std::uint32_t v;
        std::memcpy(&v, p, 4);
        return v;
      }
    }
    // Locals, not members: the chips' stores could alias members and force
    // reloads on every chip.
    Chip* chips = chips_.data();
    std::uint32_t value = 0;
    std::uint32_t notArray = 0;
#pragma GCC unroll 4
    for (std::uint32_t c = 0; c < kChips; ++c) {
      value |= (chips[c].Read(word) & kLaneMask) << (c * kLaneBits);
      notArray |= std::uint32_t{!chips[c].ReadsArray()} << c;
    }
    notReadingArray_ = notArray;
    return value;
  }

  // Each chip whose lanes are driven sees its own part of the value.
  void WriteWord(std::uint32_t word, std::uint32_t value, std::uint32_t driven) {
    Chip* chips = chips_.data();
    ChipEvent event = ChipEvent::None;
    std::uint32_t notArray = 0;
#pragma GCC unroll 4
    for (std::uint32_t c = 0; c < kChips; ++c) {
      const std::uint32_t shift = c * kLaneBits;
      if ((driven >> shift) & kLaneMask) event = std::max(event, chips[c].Write(word, (value >> shift) & kLaneMask));
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
  std::uint64_t programMicroseconds_ = 0;
  std::uint64_t eraseMicroseconds_ = 0;
  ChipLayout layout_;
  std::vector<Chip> chips_;
};

// The bank of `Chip` for the bus width and chip count of bank `index`
// (a pair that ValidateFlashConfig accepts).
template <class Chip>
std::unique_ptr<FlashBank> MakeChipBank(const FlashConfig& config, std::size_t index, std::uint32_t start,
                                        std::uint8_t* memory, FlashStats* stats) {
  const FlashBankConfig& bank = config.banks[index];
  switch (bank.busWidth * 8 + bank.chips) {
    case 1 * 8 + 1: return std::make_unique<ChipBank<Chip, 1, 1>>(config, index, start, memory, stats);
    case 2 * 8 + 1: return std::make_unique<ChipBank<Chip, 2, 1>>(config, index, start, memory, stats);
    case 2 * 8 + 2: return std::make_unique<ChipBank<Chip, 2, 2>>(config, index, start, memory, stats);
    case 4 * 8 + 1: return std::make_unique<ChipBank<Chip, 4, 1>>(config, index, start, memory, stats);
    case 4 * 8 + 2: return std::make_unique<ChipBank<Chip, 4, 2>>(config, index, start, memory, stats);
    default: return std::make_unique<ChipBank<Chip, 4, 4>>(config, index, start, memory, stats);
  }
}

}  // namespace talvon::sim
