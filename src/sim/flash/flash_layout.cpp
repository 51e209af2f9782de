#include "sim/flash/flash_layout.h"

#include "flash/flash_areas.h"

namespace talvon::sim {

std::uint64_t FlashBankStart(const FlashConfig& config, std::size_t index) {
  std::uint64_t start = FlashWindowBase;
  for (std::size_t i = 0; i < index && i < config.banks.size(); ++i) start += FlashBankSize(config.banks[i]);
  return start;
}

int FlashBankAt(const FlashConfig& config, std::uint64_t address) {
  std::uint64_t start = FlashWindowBase;
  for (std::size_t i = 0; i < config.banks.size(); ++i) {
    const std::uint64_t end = start + FlashBankSize(config.banks[i]);
    if (address >= start && address < end) return static_cast<int>(i);
    start = end;
  }
  return -1;
}

std::vector<WindowEraseBlock> WindowEraseBlocks(const FlashConfig& config) {
  std::vector<WindowEraseBlock> blocks;
  std::uint64_t at = FlashWindowBase;
  for (std::size_t i = 0; i < config.banks.size(); ++i) {
    const FlashBankConfig& bank = config.banks[i];
    for (const FlashRegion& region : bank.regions) {
      const std::uint64_t size = std::uint64_t{bank.chips} * region.blockSize;
      for (std::uint32_t b = 0; b < region.blockCount; ++b, at += size) blocks.push_back({at, size, i});
    }
  }
  return blocks;
}

std::string FlashSizeText(std::uint64_t bytes) {
  if (bytes >= (1u << 20) && bytes % (1u << 20) == 0) return std::to_string(bytes >> 20) + " MiB";
  if (bytes >= 1024 && bytes % 1024 == 0) return std::to_string(bytes >> 10) + " KiB";
  return std::to_string(bytes) + " bytes";
}

const char* CommandSetName(std::uint32_t commandSet) {
  return commandSet == 1 ? "Intel" : commandSet == 2 ? "AMD" : "unknown command set";
}

}  // namespace talvon::sim
