// The flash map of talvon-sim info: areas, blocks under them, banks, and
// the layout problems it points out.
#include "sim/flash/flash_map.h"

#include <gtest/gtest.h>

#include <sstream>

namespace talvon::sim {
namespace {

std::string MapOf(const FlashConfig& flash) {
  std::ostringstream out;
  PrintFlashMap(flash, out);
  return out.str();
}

TEST(FlashMap, DefaultLayoutShowsEachAreaWithItsBlocksAndNoProblem) {
  const std::string map = MapOf(DefaultFlashConfig());
  EXPECT_NE(map.find("0xBCA00000  boot area        512 KiB  2 blocks of 256 KiB"), std::string::npos) << map;
  EXPECT_NE(map.find("0xBCA80000  OS image area  31488 KiB  123 blocks of 256 KiB"), std::string::npos) << map;
  EXPECT_NE(map.find("0xBE940000  registry area    768 KiB  3 blocks of 256 KiB"), std::string::npos) << map;
  EXPECT_NE(map.find("bank 0      0xBCA00000 to 0xBEA00000: 2 x Intel chip of 16 MiB (chips 0 to 1) on a 32-bit bus"),
            std::string::npos)
      << map;
  EXPECT_EQ(map.find("problem"), std::string::npos) << map;
}

TEST(FlashMap, BlocksStraddlingAnAreaBoundaryAndMissingFlashAreProblems) {
  FlashConfig flash;
  // 1 MiB interleaved blocks: the first reaches from the boot area into the OS area.
  flash.banks[0].regions = {{512u << 10, 32}};
  std::string map = MapOf(flash);
  EXPECT_NE(map.find("problem: the 1 MiB block at 0xBCA00000 reaches from the boot area into the OS image area"),
            std::string::npos)
      << map;

  // Two smaller AMD banks with a bottom boot region, leaving the window's top without flash.
  FlashBankConfig amd;
  amd.commandSet = 2;
  amd.busWidth = 2;
  amd.chips = 1;
  amd.deviceSize = 2u << 20;
  amd.regions = {{16u << 10, 1}, {8u << 10, 2}, {32u << 10, 1}, {64u << 10, 31}};
  flash.banks = {amd, amd};
  map = MapOf(flash);
  EXPECT_NE(map.find("1 block of 16 KiB, 2 blocks of 8 KiB, 1 block of 32 KiB, 7 blocks of 64 KiB"),
            std::string::npos)
      << map;
  EXPECT_NE(map.find("problem: no flash from 0xBCE00000"), std::string::npos) << map;
  EXPECT_NE(map.find("registry area    768 KiB  no flash"), std::string::npos) << map;
}

}  // namespace
}  // namespace talvon::sim
