#pragma once
#include <bit>
#include <chrono>
#include <cstring>
#include <cstdint>

#include "flash/flash_device.h"
#include "platform/flash_window.h"

// Small helpers the flash operations share: bus units, chip lanes and the
// bounds of the status polls. Internal to src/flash.
namespace talvon::flash_bus {

// Command codes of the two command sets.
inline constexpr std::uint32_t kIntelReadArray = 0xFF;
inline constexpr std::uint32_t kIntelClearStatus = 0x50;
inline constexpr std::uint32_t kIntelReadStatus = 0x70;
inline constexpr std::uint32_t kIntelEraseSetup = 0x20;
inline constexpr std::uint32_t kIntelEraseConfirm = 0xD0;
inline constexpr std::uint32_t kIntelProgramSetup = 0x40;
inline constexpr std::uint32_t kAmdReset = 0xF0;
inline constexpr std::uint32_t kAmdUnlock1 = 0xAA;
inline constexpr std::uint32_t kAmdUnlock2 = 0x55;
inline constexpr std::uint32_t kAmdProgram = 0xA0;
inline constexpr std::uint32_t kAmdEraseSetup = 0x80;
inline constexpr std::uint32_t kAmdSectorErase = 0x30;
inline constexpr std::uint32_t kAmdUnlockIndex1 = 0x555;
inline constexpr std::uint32_t kAmdUnlockIndex2 = 0x2AA;

inline constexpr std::uint32_t kIntelSet = 1;
inline constexpr std::uint32_t kAmdSet = 2;

// True for the bus width / chip count pairs the driver can talk to.
constexpr bool IsKnownBus(std::uint32_t busWidth, std::uint32_t chips) {
  switch (busWidth) {
    case 1: return chips == 1;
    case 2: return chips == 1 || chips == 2;
    case 4: return chips == 1 || chips == 2 || chips == 4;
    default: return false;
  }
}

// Bits of each chip's lane for a known pair: 8 x busWidth / chips, by a
// shift since chips is 1, 2 or 4 (a division here costs more than the rest
// of the per-unit arithmetic).
constexpr std::uint32_t ChipLaneBits(std::uint32_t busWidth, std::uint32_t chips) {
  return (8 * busWidth) >> (chips >> 1);
}

// Bit `bit` of every chip's lane as one mask (bits beyond 31 dropped); 0 for
// an unknown pair.
constexpr std::uint32_t LaneBits(std::uint32_t bit, std::uint32_t busWidth, std::uint32_t chips) {
  if (!IsKnownBus(busWidth, chips)) return 0;
  const std::uint32_t laneBits = ChipLaneBits(busWidth, chips);
  std::uint32_t mask = 0;
  for (std::uint32_t c = 0; c < chips; ++c) {
    const std::uint32_t b = bit + c * laneBits;
    if (bit < 32 && b < 32) mask |= 1u << b;
  }
  return mask;
}

// The whole lane of each chip whose lane differs between a and b.
constexpr std::uint32_t DifferingLanes(std::uint32_t a, std::uint32_t b, std::uint32_t busWidth,
                                       std::uint32_t chips) {
  if (!IsKnownBus(busWidth, chips)) return 0;
  const std::uint32_t laneBits = ChipLaneBits(busWidth, chips);
  const std::uint32_t laneMask = laneBits == 32 ? 0xFFFFFFFFu : (1u << laneBits) - 1;
  std::uint32_t lanes = 0;
  for (std::uint32_t c = 0; c < chips; ++c) {
    const std::uint32_t lane = laneMask << (c * laneBits);
    if ((a ^ b) & lane) lanes |= lane;
  }
  return lanes;
}

// At least one chip shows the bit set (an error bit counts if any chip has it).
inline bool AnyChipBitSet(std::uint32_t value, std::uint32_t bit, std::uint32_t busWidth, std::uint32_t chips) {
  return (value & LaneBits(bit, busWidth, chips)) != 0;
}

// The command store of WriteFlashCommand, inline for the per-unit path:
// the code in every chip's lane at base + index bus units; nothing for an
// unknown pair.
inline void StoreCommand(FlashWindow& window, std::uint32_t address, std::uint32_t index, std::uint32_t command,
                         std::uint32_t busWidth, std::uint32_t chips) {
  const std::uint32_t c = command & 0xFF;
  switch (busWidth) {
    case 1:
      if (chips == 1) window.Store8(address + index, static_cast<std::uint8_t>(c));
      return;
    case 2:
      if (chips == 1 || chips == 2) {
        window.Store16(address + 2 * index, static_cast<std::uint16_t>(chips == 2 ? c * 0x0101 : c));
      }
      return;
    case 4:
      if (chips == 1) window.Store32(address + 4 * index, c);
      if (chips == 2) window.Store32(address + 4 * index, c * 0x00010001u);
      if (chips == 4) window.Store32(address + 4 * index, c * 0x01010101u);
      return;
    default:
      return;
  }
}

// One bus unit, 1, 2 or 4 bytes, as the bus carries it (little-endian).
inline std::uint32_t LoadUnit(FlashWindow& window, std::uint32_t address, std::uint32_t busWidth) {
  switch (busWidth) {
    case 1: return window.Load8(address);
    case 2: return window.Load16(address);
    case 4: return window.Load32(address);
    default: return 0;
  }
}

inline void StoreUnit(FlashWindow& window, std::uint32_t address, std::uint32_t busWidth, std::uint32_t value) {
  switch (busWidth) {
    case 1: window.Store8(address, static_cast<std::uint8_t>(value)); break;
    case 2: window.Store16(address, static_cast<std::uint16_t>(value)); break;
    case 4: window.Store32(address, value); break;
    default: break;
  }
}

inline std::uint32_t UnitFromBytes(const std::uint8_t* bytes, std::uint32_t busWidth) {
  std::uint32_t value = 0;
  if constexpr (std::endian::native == std::endian::little) {
    std::memcpy(&value, bytes, busWidth < 4 ? busWidth : 4);
    return value;
  }
  for (std::uint32_t k = 0; k < busWidth && k < 4; ++k) value |= std::uint32_t{bytes[k]} << (8 * k);
  return value;
}

// The command set's return to read-array mode at the bank base; nothing for
// an unknown set.
void ResetBank(FlashWindow& window, std::uint32_t bankBase, const FlashGeometry& geometry);

// Bytes of one bank: chips x device size. 64 bits, since four chips of 1 GiB
// do not fit 32.
inline std::uint64_t BankSize(const FlashGeometry& geometry) {
  return std::uint64_t{geometry.chips} * geometry.deviceSize;
}

// Bounds of the status polls.
inline constexpr std::uint32_t kFallbackProgramPolls = 1u << 16;
inline constexpr std::uint32_t kFallbackErasePolls = 1u << 26;
inline std::uint32_t ProgramPolls(const FlashGeometry& g) {
  return g.programPollLimit ? g.programPollLimit : kFallbackProgramPolls;
}
inline std::uint32_t ErasePolls(const FlashGeometry& g) {
  return g.erasePollLimit ? g.erasePollLimit : kFallbackErasePolls;
}
// Polls that cover the longest time a chip states for an operation: typical
// 2^typicalLog2 units of unitMicroseconds, at most 2^maxLog2 times that.
std::uint32_t PollLimit(std::uint32_t typicalLog2, std::uint32_t maxLog2, std::uint32_t unitMicroseconds,
                        std::uint32_t fallback);
// That longest time in microseconds; 0 when the chip does not state it. No
// real chip states more than 2^15 units (32 ms a word, 33 s a block), and a
// table that claims more is held to that.
std::uint32_t StatedMaxMicroseconds(std::uint32_t typicalLog2, std::uint32_t maxLog2, std::uint32_t unitMicroseconds);

inline constexpr std::uint32_t kFallbackProgramMicroseconds = 1u << 15;
inline constexpr std::uint32_t kFallbackEraseMicroseconds = 33'000'000;

// The time side of a poll's bound. The clock is first read after a
// thousand polls, so the quick common case costs nothing; from then on it
// is read every thousand polls.
class PollClock {
 public:
  // Nothing is worked out here: a clock is made for every unit programmed.
  explicit PollClock(std::uint32_t maxMicroseconds) : limitMicroseconds_(maxMicroseconds) {}
  // Call once per poll: true once the operation has run longer than the limit.
  bool Expired() {
    if ((++polls_ & 0x3FF) != 0) return false;
    const auto now = std::chrono::steady_clock::now();
    if (polls_ == 0x400) {
      start_ = now;
      return false;
    }
    return now - start_ > std::chrono::microseconds(limitMicroseconds_);
  }

 private:
  std::uint32_t limitMicroseconds_;
  std::uint32_t polls_ = 0;
  std::chrono::steady_clock::time_point start_;
};
inline PollClock ProgramClock(const FlashGeometry& g) {
  return PollClock(g.programMaxMicroseconds ? g.programMaxMicroseconds : kFallbackProgramMicroseconds);
}
inline PollClock EraseClock(const FlashGeometry& g) {
  return PollClock(g.eraseMaxMicroseconds ? g.eraseMaxMicroseconds : kFallbackEraseMicroseconds);
}

}  // namespace talvon::flash_bus
