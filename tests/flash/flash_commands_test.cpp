#include <gtest/gtest.h>

#include "flash/flash_device.h"
#include "scripted_window.h"

namespace talvon {
namespace {

using test::ScriptedWindow;
using Access = ScriptedWindow::Access;

TEST(WriteFlashCommand, ReplicatesTheCodeIntoEveryChipLane) {
  struct Case {
    std::uint32_t width, chips;
    Access expected;
  };
  const Case cases[] = {
      {1, 1, {1, 0x1000 + 0x555, 0xAA}},
      {2, 1, {2, 0x1000 + 2 * 0x555, 0x00AA}},
      {2, 2, {2, 0x1000 + 2 * 0x555, 0xAAAA}},
      {4, 1, {4, 0x1000 + 4 * 0x555, 0x000000AA}},
      {4, 2, {4, 0x1000 + 4 * 0x555, 0x00AA00AA}},
      {4, 4, {4, 0x1000 + 4 * 0x555, 0xAAAAAAAA}},
  };
  for (const Case& c : cases) {
    ScriptedWindow window;
    WriteFlashCommand(window, 0x1000, 0x555, 0x1AA, c.width, c.chips);  // the code is masked to 8 bits
    ASSERT_EQ(window.stores.size(), 1u) << c.width << "/" << c.chips;
    EXPECT_EQ(window.stores[0], c.expected) << c.width << "/" << c.chips;
  }
}

TEST(WriteFlashCommand, UnknownBusPairsWriteNothing) {
  const std::uint32_t pairs[][2] = {{1, 2}, {2, 4}, {4, 3}, {3, 1}, {8, 8}, {0, 0}};
  for (const auto& p : pairs) {
    ScriptedWindow window;
    WriteFlashCommand(window, 0, 0, 0x98, p[0], p[1]);
    EXPECT_TRUE(window.stores.empty()) << p[0] << "/" << p[1];
  }
}

TEST(AnyChipBitClear, TestsTheBitInEachChipLane) {
  // 4 chips: bit 7 of every byte must be set for "all ready".
  EXPECT_EQ(AnyChipBitClear(0x80808080, 7, 4, 4), 0);
  EXPECT_EQ(AnyChipBitClear(0x80800080, 7, 4, 4), 1);
  // 2 chips on 32 bits: bits 7 and 23; bits 15 and 31 do not matter.
  EXPECT_EQ(AnyChipBitClear(0x00800080, 7, 4, 2), 0);
  EXPECT_EQ(AnyChipBitClear(0x80008000, 7, 4, 2), 1);
  EXPECT_EQ(AnyChipBitClear(0x00000080, 7, 4, 2), 1);
  // 1 chip on 32 or 16 bits: bit n only.
  EXPECT_EQ(AnyChipBitClear(0x00000080, 7, 4, 1), 0);
  EXPECT_EQ(AnyChipBitClear(0x00000080, 7, 2, 1), 0);
  EXPECT_EQ(AnyChipBitClear(0x8000, 7, 2, 1), 1);
  // 2 chips on 16 bits: bits n and n + 8.
  EXPECT_EQ(AnyChipBitClear(0x2020, 5, 2, 2), 0);
  EXPECT_EQ(AnyChipBitClear(0x0020, 5, 2, 2), 1);
  // Byte bus: bit n whatever the chip count says.
  EXPECT_EQ(AnyChipBitClear(0x10, 4, 1, 1), 0);
  EXPECT_EQ(AnyChipBitClear(0x00, 4, 1, 7), 1);
  // Unknown pairs test nothing.
  EXPECT_EQ(AnyChipBitClear(0, 7, 4, 3), 0);
  EXPECT_EQ(AnyChipBitClear(0, 7, 3, 1), 0);
  EXPECT_EQ(AnyChipBitClear(0, 7, 2, 4), 0);
}

TEST(ReadCfiField, ReadsLittleEndianFromTheFirstChipLane) {
  ScriptedWindow window;
  // CFI 0x2D..0x30 on a 32-bit bus of two chips: the second chip's lane differs.
  const std::uint8_t field[] = {0x7F, 0x00, 0x00, 0x02};
  for (std::uint32_t k = 0; k < 4; ++k) window.Put(0x100 + 4 * (0x2D + k), 0x00EE0000u | field[k], 4);
  EXPECT_EQ(ReadCfiField(window, 0x100, 0x2D, 4, 4), 0x0200007Fu);
  EXPECT_EQ(ReadCfiField(window, 0x100, 0x2D, 1, 4), 0x7Fu);

  ScriptedWindow narrow;
  narrow.Put(0x10 + 2 * 0x27, 0x3318, 2);  // only the low byte counts
  EXPECT_EQ(ReadCfiField(narrow, 0x10, 0x27, 1, 2), 0x18u);
  narrow.Put(0x20 + 0x13, 0x0102, 2);
  EXPECT_EQ(ReadCfiField(narrow, 0x20, 0x13, 2, 1), 0x0102u);
}

TEST(ReadCfiField, NothingForZeroCountOrUnknownWidth) {
  ScriptedWindow window;
  EXPECT_EQ(ReadCfiField(window, 0, 0x10, 0, 4), 0u);
  EXPECT_EQ(ReadCfiField(window, 0, 0x10, 1, 3), 0u);
  EXPECT_EQ(ReadCfiField(window, 0, 0x10, 1, 8), 0u);
}

}  // namespace
}  // namespace talvon
