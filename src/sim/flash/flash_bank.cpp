#include "sim/flash/flash_bank.h"

#include <algorithm>
#include <bit>

#include "flash/flash_areas.h"
#include "sim/flash/chip_bank.h"

namespace talvon::sim {

FlashBank::FlashBank(std::uint32_t start, std::uint32_t size, std::uint32_t busWidth)
    : start_(start), size_(size), busWidth_(busWidth), busShift_(static_cast<std::uint32_t>(std::countr_zero(busWidth))) {}

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

std::unique_ptr<FlashBank> MakeFlashBank(const FlashConfig& config, std::size_t index, std::uint32_t start,
                                         std::uint8_t* memory, FlashStats* stats) {
  if (config.banks[index].commandSet == 1) return MakeIntelFlashBank(config, index, start, memory, stats);
  return MakeAmdFlashBank(config, index, start, memory, stats);
}

}  // namespace talvon::sim
