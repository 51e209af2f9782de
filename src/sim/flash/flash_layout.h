#pragma once
// Where a flash layout puts things in the window: banks one after another
// from the window base, and in each bank its erase blocks region by region.
// An erase block spans the same block of every interleaved chip, so it is
// chips x the block size of one chip. Everything that walks a layout (the
// map, the controller's layout check, the routing of bus cycles) takes the
// walk from here.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "sim/flash/flash_config.h"

namespace talvon::sim {

// The window address where bank `index` starts.
std::uint64_t FlashBankStart(const FlashConfig& config, std::size_t index);

// The bank holding a window address, or -1.
int FlashBankAt(const FlashConfig& config, std::uint64_t address);

struct WindowEraseBlock {
  std::uint64_t start = 0;  // window address
  std::uint64_t size = 0;   // bytes, all chips of the bank together
  std::size_t bank = 0;
};

// Every erase block of the layout in address order.
std::vector<WindowEraseBlock> WindowEraseBlocks(const FlashConfig& config);

// "16 MiB", "128 KiB" or "384 bytes": the largest unit that divides the size.
std::string FlashSizeText(std::uint64_t bytes);

// "Intel" or "AMD".
const char* CommandSetName(std::uint32_t commandSet);

}  // namespace talvon::sim
