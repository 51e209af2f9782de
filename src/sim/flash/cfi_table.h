#pragma once
#include <cstdint>
#include <vector>

#include "sim/flash/flash_config.h"

namespace talvon::sim {

// The CFI query table one chip of the bank answers, indexed by the chip's
// word address: "QRY" at 0x10, the system interface and geometry fields,
// and a primary vendor table ("PRI") right after the erase-block regions.
// Addresses below 0x10 carry the maker and device codes, as many chips
// show them in query mode too.
std::vector<std::uint8_t> BuildCfiTable(const FlashBankConfig& bank);

// Maker and device codes of the identifier modes (Intel 0x90, AMD
// autoselect): word 0 and word 1.
std::uint8_t FlashMakerCode(std::uint32_t commandSet);
std::uint8_t FlashDeviceCode(const FlashBankConfig& bank);

}  // namespace talvon::sim
