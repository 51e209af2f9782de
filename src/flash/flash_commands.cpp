#include <cstring>

#include "flash/flash_bus.h"
#include "flash/flash_device.h"

namespace talvon {

void WriteFlashCommand(FlashWindow& window, std::uint32_t address, std::uint32_t index, std::uint32_t command,
                       std::uint32_t busWidth, std::uint32_t chips) {
  flash_bus::StoreCommand(window, address, index, command, busWidth, chips);
}

int AnyChipBitClear(std::uint32_t value, std::uint32_t bit, std::uint32_t busWidth, std::uint32_t chips) {
  // A single chip on a byte bus is tested on bit n whatever chip count is given.
  const std::uint32_t mask = flash_bus::LaneBits(bit, busWidth, busWidth == 1 ? 1 : chips);
  if (mask == 0) return 0;
  return (value & mask) != mask ? 1 : 0;
}

std::uint32_t ReadCfiField(FlashWindow& window, std::uint32_t bankBase, std::uint32_t cfiAddress,
                           std::uint32_t byteCount, std::uint32_t busWidth) {
  if (byteCount == 0) return 0;
  if (byteCount > 4) byteCount = 4;  // the answer holds four bytes
  std::uint32_t value = 0;
  for (std::uint32_t k = 0; k < byteCount; ++k) {
    const std::uint32_t a = cfiAddress + k;
    std::uint32_t byte = 0;
    switch (busWidth) {
      case 1: byte = window.Load8(bankBase + a); break;
      case 2: byte = window.Load16(bankBase + 2 * a) & 0xFF; break;
      case 4: byte = window.Load32(bankBase + 4 * a) & 0xFF; break;
      default: return 0;
    }
    value |= byte << (8 * k);
  }
  return value;
}

namespace flash_bus {

void ResetBank(FlashWindow& window, std::uint32_t bankBase, const FlashGeometry& geometry) {
  if (geometry.commandSet == kIntelSet) {
    WriteFlashCommand(window, bankBase, 0, kIntelReadArray, geometry.busWidth, geometry.chips);
  } else if (geometry.commandSet == kAmdSet) {
    WriteFlashCommand(window, bankBase, 0, kAmdReset, geometry.busWidth, geometry.chips);
  }
}

std::uint32_t PollLimit(std::uint32_t typicalLog2, std::uint32_t maxLog2, std::uint32_t unitMicroseconds,
                        std::uint32_t fallback) {
  // A status poll is at least a store and a load of uncached flash, so no
  // bus runs more than a few per microsecond.
  constexpr std::uint64_t kPollsPerMicrosecond = 4;
  constexpr std::uint64_t kMinPolls = 1024;
  constexpr std::uint64_t kMaxPolls = 1u << 31;
  const std::uint64_t microseconds = StatedMaxMicroseconds(typicalLog2, maxLog2, unitMicroseconds);
  if (microseconds == 0) return fallback;  // not stated by the chip
  std::uint64_t polls = microseconds * kPollsPerMicrosecond;
  if (polls < kMinPolls) polls = kMinPolls;
  if (polls > kMaxPolls) polls = kMaxPolls;
  return static_cast<std::uint32_t>(polls);
}

std::uint32_t StatedMaxMicroseconds(std::uint32_t typicalLog2, std::uint32_t maxLog2, std::uint32_t unitMicroseconds) {
  constexpr std::uint32_t kMostLog2 = 15;
  if (typicalLog2 == 0 || maxLog2 == 0) return 0;
  const std::uint32_t log2 = typicalLog2 + maxLog2 > kMostLog2 ? kMostLog2 : typicalLog2 + maxLog2;
  return (1u << log2) * unitMicroseconds;
}

}  // namespace flash_bus
}  // namespace talvon
