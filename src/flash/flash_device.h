#pragma once
#include <cstdint>

#include "platform/flash_window.h"

namespace talvon {

// What a CFI query tells about one bank of interleaved chips. All zero
// before the query.
struct FlashGeometry {
  std::uint32_t busWidth = 0;     // bytes per bus access: 1, 2 or 4
  std::uint32_t chips = 0;        // interleaved chips: 1, 2 or 4
  std::uint32_t commandSet = 0;   // 1 Intel/Sharp extended, 2 AMD/Fujitsu standard
  std::uint32_t deviceSize = 0;   // bytes per chip
  std::uint32_t regionCount = 0;  // 0 to 8
  std::uint32_t blockSize[8] = {};   // per region: bytes per block of one chip
  std::uint32_t blockCount[8] = {};  // per region: number of blocks
  // Status polls one unit program or block erase may take before the chips
  // count as hung, from the maximum times the chips state about themselves.
  // 0 (a geometry made by hand) means a fixed generous bound.
  std::uint32_t programPollLimit = 0;
  std::uint32_t erasePollLimit = 0;
  // The same maxima as time, in microseconds; polls also stop once this
  // much time has passed. 0 means a fixed generous bound.
  std::uint32_t programMaxMicroseconds = 0;
  std::uint32_t eraseMaxMicroseconds = 0;
};

// All operations answer 1 on success and 0 on failure unless stated.
int QueryFlashGeometry(FlashWindow& window, std::uint32_t bankBase, FlashGeometry* geometry);
// Erases the blocks that overlap the range, and only when every one of them
// lies wholly inside it: a block reaching outside fails the erase before
// anything is erased.
int EraseFlashRange(FlashWindow& window, std::uint32_t bankBase, std::uint32_t start, std::uint32_t length);
// 1 when every block overlapping the range lies wholly inside it; erases nothing.
int FlashBlocksLineUp(FlashWindow& window, std::uint32_t bankBase, std::uint32_t start, std::uint32_t length);
int ProgramFlashRange(FlashWindow& window, std::uint32_t bankBase, std::uint32_t start, std::uint32_t length,
                      const std::uint8_t* source);
// 0 when destination is null; bankBase is not used.
int ReadFlashRange(FlashWindow& window, std::uint32_t bankBase, std::uint32_t source, std::uint32_t length,
                   std::uint8_t* destination);
int EraseBlockIntel(FlashWindow& window, std::uint32_t bankBase, std::uint32_t blockAddress,
                    const FlashGeometry& geometry);
int EraseBlockAmd(FlashWindow& window, std::uint32_t bankBase, std::uint32_t blockAddress,
                  const FlashGeometry& geometry);
// Bytes programmed (the bus width), or 0 on failure.
std::uint32_t ProgramUnitIntel(FlashWindow& window, std::uint32_t bankBase, std::uint32_t target,
                               const FlashGeometry& geometry, const std::uint8_t* unit);
std::uint32_t ProgramUnitAmd(FlashWindow& window, std::uint32_t bankBase, std::uint32_t target,
                             const FlashGeometry& geometry, const std::uint8_t* unit);
std::uint32_t ReadCfiField(FlashWindow& window, std::uint32_t bankBase, std::uint32_t cfiAddress,
                           std::uint32_t byteCount, std::uint32_t busWidth);
void WriteFlashCommand(FlashWindow& window, std::uint32_t address, std::uint32_t index, std::uint32_t command,
                       std::uint32_t busWidth, std::uint32_t chips);
int AnyChipBitClear(std::uint32_t value, std::uint32_t bit, std::uint32_t busWidth, std::uint32_t chips);

}  // namespace talvon
