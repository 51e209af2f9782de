#pragma once
#include <algorithm>
#include <bit>
#include <cstring>
#include <memory>
#include <optional>
#include <vector>

#include "flash/flash_areas.h"
#include "flash/shared_unit_loop.h"
#include "sim/flash/cfi_table.h"
#include "sim/flash/chip_bank_window.h"
#include "sim/flash/flash_bank.h"
#include "sim/flash/flash_chip.h"

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
    auto extraPolls = [&](std::uint32_t c) { return bank.chipExtraPolls.empty() ? 0 : bank.chipExtraPolls[c]; };
    // Chips without faults and of one speed are given the same commands by
    // any sane driver and then stay alike: one model in step stands for all
    // of them until a bus cycle would set them apart.
    bool alike = kChips > 1;
    chips_.reserve(kChips);
    for (std::uint32_t c = 0; c < kChips; ++c) {
      ChipFaults faults = FaultsOfChip(config, index, start, c, layout_);
      alike = alike && faults.eraseFailBlocks.empty() && faults.programFailWords.empty() && faults.stuck.empty() &&
              !faults.neverReady && !faults.noCfi && extraPolls(c) == extraPolls(0);
      ChipWiring wiring;
      wiring.lane = memory + c * kChipBytes;
      wiring.stride = kBusWidth;
      wiring.bytes = kChipBytes;
      wiring.extraPolls = extraPolls(c);
      chips_.emplace_back(wiring, &layout_, std::move(faults));
    }
    for (std::uint32_t c = 0; c < kChips; ++c) notReadingArray_ |= std::uint32_t{!chips_[c].ReadsArray()} << c;
    if (alike) {
      ChipWiring wiring;
      wiring.lane = memory;
      wiring.stride = kBusWidth;
      wiring.bytes = kBusWidth;
      wiring.chipBytes = kChipBytes;
      wiring.lanes = kRepeat;
      wiring.extraPolls = extraPolls(0);
      inStep_.emplace(wiring, &layout_, ChipFaults{});
      shared_ = true;
    }
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
    if (shared_) inStep_->CutPower();
    for (Chip& chip : chips_) chip.CutPower();
  }

  std::uint32_t ProgramUnits(const FlashUnitRun& run, const BusMeter& meter) override {
    // The window's base is then the run's: the command cycles at the bank
    // base need no bounds check.
    // Without a power cut to come, a cycle is only counted, not checked.
    const bool cutAhead = *meter.cutAt != ~std::uint64_t{0};
    if (run.bus.width == kBusWidth && run.bus.chips == kChips && run.bankBase == FlashWindowBase + Start()) {
      if (meter.stepEveryStore) [[unlikely]] {
        if (run.commandSet == flash_unit::kIntelSet) return RunUnits<flash_unit::kIntelSet, true, true>(run, meter);
        if (run.commandSet == flash_unit::kAmdSet) return RunUnits<flash_unit::kAmdSet, true, true>(run, meter);
      }
      if (run.commandSet == flash_unit::kIntelSet) {
        return cutAhead ? RunUnits<flash_unit::kIntelSet, true>(run, meter)
                        : RunUnits<flash_unit::kIntelSet, false>(run, meter);
      }
      if (run.commandSet == flash_unit::kAmdSet) {
        return cutAhead ? RunUnits<flash_unit::kAmdSet, true>(run, meter)
                        : RunUnits<flash_unit::kAmdSet, false>(run, meter);
      }
    }
    return RunAnyUnits(run, meter);
  }

  std::uint32_t EraseCycles(std::uint32_t offset) const override {
    // Erases done in step reached every chip.
    std::uint32_t most = 0;
    for (const Chip& chip : chips_) most = std::max(most, chip.EraseCycles(chip.BlockOfWord(offset >> kBusShift)));
    if (inStep_) most += inStep_->EraseCycles(inStep_->BlockOfWord(offset >> kBusShift));
    return most;
  }

 private:
  static constexpr std::uint32_t kChipBytes = kBusWidth / kChips;
  static constexpr std::uint32_t kLaneBits = 8 * kChipBytes;
  static constexpr std::uint32_t kLaneMask = BytesMask(kChipBytes);
  static constexpr std::uint32_t kBusMask = BytesMask(kBusWidth);
  static constexpr std::uint32_t kBusShift = static_cast<std::uint32_t>(std::countr_zero(kBusWidth));
  static constexpr std::uint32_t kAllChips = (1u << kChips) - 1;
  // One chip's lane value times this is that value in every chip's lane.
  static constexpr std::uint32_t kRepeat = kChips == 1 ? 1 : kChips == 2 ? (1u << kLaneBits) + 1 : 0x01010101u;

  using ChipModel = Chip;
  static constexpr std::uint32_t kBusBytes = kBusWidth;
  template <class, bool, bool>
  friend class ChipBankWindow;

  [[gnu::noinline, gnu::cold]] std::uint32_t ReadWordOutOfLine(std::uint32_t word) { return ReadWord(word); }
  [[gnu::noinline, gnu::cold]] void WriteWordOutOfLine(std::uint32_t word, std::uint32_t value) {
    WriteWord(word, value, kBusMask);
  }

  // The loop and the window in one function of their own, so that the
  // window's copies can live in registers.
  template <std::uint32_t kSet, bool kCutAhead, bool kStepEveryStore = false>
  [[gnu::noinline]] std::uint32_t RunUnits(const FlashUnitRun& run, const BusMeter& meter) {
    using Window = ChipBankWindow<ChipBank, kCutAhead, kStepEveryStore>;
    Window window(*this, meter, run.bankBase);
    return flash_unit::ProgramUnitsOf<Window, kBusWidth, kChips, kSet>(window, run);
  }
  // A run on another bus, or with its command cycles at another base.
  [[gnu::noinline]] std::uint32_t RunAnyUnits(const FlashUnitRun& run, const BusMeter& meter) {
    ChipBankWindow<ChipBank, true> window(*this, meter, FlashWindowBase + Start());
    return flash_unit::ProgramUnits(window, run);
  }

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

  std::uint32_t MemoryWord(std::uint32_t word) const {
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

  [[gnu::always_inline]] std::uint32_t ReadWord(std::uint32_t word) {
    if (notReadingArray_ == 0) return MemoryWord(word);
    if (shared_) [[likely]] {
      const std::uint32_t value = inStep_->Read(word) & kBusMask;
      notReadingArray_ = inStep_->ReadsArray() ? 0 : kAllChips;
      return value;
    }
    return ReadEachChip(word);
  }

  [[gnu::noinline]] std::uint32_t ReadEachChip(std::uint32_t word) {
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
  [[gnu::always_inline]] void WriteWord(std::uint32_t word, std::uint32_t value, std::uint32_t driven) {
    if (shared_) [[likely]] {
      // The chips stay in step when each sees the same thing: the same code
      // in every lane, or program data that programs alike in every lane.
      const bool alike = inStep_->TakesData() ? inStep_->ProgramsAlike(word, value)
                                              : value == (value & kLaneMask) * kRepeat;
      if (driven == kBusMask && alike) [[likely]] {
        const ChipEvent event = inStep_->Write(word, value);
        notReadingArray_ = inStep_->ReadsArray() ? 0 : kAllChips;
        if (event != ChipEvent::None) Count(event);
        return;
      }
    }
    WriteApart(word, value, driven);
  }

  [[gnu::noinline]] void WriteApart(std::uint32_t word, std::uint32_t value, std::uint32_t driven) {
    if (shared_) Split();
    WriteEachChip(word, value, driven);
    if (inStep_ && notReadingArray_ == 0) Join();
  }

  // Each chip takes on the state of the model in step.
  void Split() {
    for (std::uint32_t c = 0; c < kChips; ++c) chips_[c].Adopt(*inStep_, c * kLaneBits);
    shared_ = false;
  }
  // All chips alike and at rest again: back to one model.
  void Join() {
    const std::uint32_t key = chips_[0].QuietKey();
    if (key == Chip::kNotQuiet) return;
    for (std::uint32_t c = 1; c < kChips; ++c) {
      if (chips_[c].QuietKey() != key) return;
    }
    inStep_->BecomeQuiet(key);
    shared_ = true;
  }

  void WriteEachChip(std::uint32_t word, std::uint32_t value, std::uint32_t driven) {
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

  [[gnu::always_inline]] void Count(ChipEvent event, std::uint64_t times = 1) {
    if (event == ChipEvent::Program) {
      stats_->programs += times;
      stats_->projectedMicroseconds += times * programMicroseconds_;
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
  // The model standing for all chips while they work in step (shared_), for
  // banks of several chips that are alike.
  std::optional<Chip> inStep_;
  bool shared_ = false;
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
