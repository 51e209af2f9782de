#include "flash/flash_bus.h"
#include "flash/flash_device.h"

namespace talvon {
namespace {

struct BusShape {
  std::uint32_t busWidth = 0;
  std::uint32_t chips = 0;
};

// The three probes run on the same base, widest first, without leaving
// query mode between them; the first answer decides the bus.
bool Probe32(FlashWindow& window, std::uint32_t base, BusShape* shape) {
  window.Store32(base + 0x154, 0x98989898u);
  const std::uint32_t q = window.Load32(base + 0x40);
  const std::uint32_t r = window.Load32(base + 0x44);
  const std::uint32_t y = window.Load32(base + 0x48);
  std::uint32_t lanes = 0;
  if (q == 0x51515151u) {
    lanes = 0x01010101u;
    *shape = {4, 4};
  } else if (q == 0x00510051u) {
    lanes = 0x00010001u;
    *shape = {4, 2};
  } else if (q == 0x00005100u) {
    lanes = 0x00000100u;  // a single chip answers in bits 8 to 15
    *shape = {4, 1};
  } else {
    return false;
  }
  return r == 0x52 * lanes && y == 0x59 * lanes;
}

bool Probe16(FlashWindow& window, std::uint32_t base, BusShape* shape) {
  window.Store16(base + 0xAA, 0x0098);
  const std::uint32_t q = window.Load16(base + 0x20);
  const std::uint32_t r = window.Load16(base + 0x22);
  const std::uint32_t y = window.Load16(base + 0x24);
  if (q == 0x5151 && r == 0x5252 && y == 0x5959) {
    *shape = {2, 2};
    return true;
  }
  if (q == 0x0051 && r == 0x0052 && y == 0x0059) {
    *shape = {2, 1};
    return true;
  }
  return false;
}

bool Probe8(FlashWindow& window, std::uint32_t base, BusShape* shape) {
  window.Store8(base + 0x55, 0x98);
  const std::uint32_t q = window.Load8(base + 0x10);
  const std::uint32_t r = window.Load8(base + 0x11);
  const std::uint32_t y = window.Load8(base + 0x12);
  if (q == 0x51 && r == 0x52 && y == 0x59) {
    *shape = {1, 1};
    return true;
  }
  return false;
}

// Reads the table while the chips are still in query mode and leaves it by
// the command set's own reset.
bool ReadGeometry(FlashWindow& window, std::uint32_t base, const BusShape& shape, FlashGeometry* g) {
  const std::uint32_t w = shape.busWidth;
  g->busWidth = w;
  g->chips = shape.chips;
  g->commandSet = ReadCfiField(window, base, 0x13, 1, w);
  const std::uint32_t sizeLog2 = ReadCfiField(window, base, 0x27, 1, w);
  if (sizeLog2 >= 32) return false;  // no chip is 4 GiB or more
  g->deviceSize = 1u << sizeLog2;
  g->regionCount = ReadCfiField(window, base, 0x2C, 1, w);
  if (g->regionCount > 8) return false;
  for (std::uint32_t i = 0; i < g->regionCount; ++i) {
    const std::uint32_t v = ReadCfiField(window, base, 0x2D + 4 * i, 4, w);
    g->blockCount[i] = (v & 0xFFFF) + 1;
    g->blockSize[i] = (v >> 16) * 256;
    if (g->blockSize[i] == 0) g->blockSize[i] = 128;
  }
  const std::uint32_t programTypical = ReadCfiField(window, base, 0x1F, 1, w);
  const std::uint32_t eraseTypical = ReadCfiField(window, base, 0x21, 1, w);
  const std::uint32_t programMax = ReadCfiField(window, base, 0x23, 1, w);
  const std::uint32_t eraseMax = ReadCfiField(window, base, 0x25, 1, w);
  g->programPollLimit = flash_bus::PollLimit(programTypical, programMax, 1, flash_bus::kFallbackProgramPolls);
  g->erasePollLimit = flash_bus::PollLimit(eraseTypical, eraseMax, 1000, flash_bus::kFallbackErasePolls);
  g->programMaxMicroseconds = flash_bus::StatedMaxMicroseconds(programTypical, programMax, 1);
  g->eraseMaxMicroseconds = flash_bus::StatedMaxMicroseconds(eraseTypical, eraseMax, 1000);
  flash_bus::ResetBank(window, base, *g);
  return true;
}

}  // namespace

int QueryFlashGeometry(FlashWindow& window, std::uint32_t bankBase, FlashGeometry* geometry) {
  if (geometry == nullptr) return 0;
  *geometry = FlashGeometry{};
  BusShape shape;
  const bool answered =
      Probe32(window, bankBase, &shape) || Probe16(window, bankBase, &shape) || Probe8(window, bankBase, &shape);
  const bool good = answered && ReadGeometry(window, bankBase, shape, geometry);
  if (!good) {
    *geometry = FlashGeometry{};
    // Some chips may have entered query mode on a probe that did not
    // decide; both sets' resets in every lane bring them back to reading
    // the array (each set ignores the other's code).
    window.Store32(bankBase, 0xF0F0F0F0u);
    window.Store32(bankBase, 0xFFFFFFFFu);
  }
  window.Store32(bankBase + 0x154, 0x00FF00FFu);
  return good ? 1 : 0;
}

}  // namespace talvon
