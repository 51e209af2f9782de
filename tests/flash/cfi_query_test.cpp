#include <gtest/gtest.h>

#include <numeric>

#include "flash/flash_device.h"
#include "scripted_window.h"
#include "support/flash_sim_fixture.h"

namespace talvon {
namespace {

using test::ScriptedWindow;
using Access = ScriptedWindow::Access;
constexpr std::uint32_t kBase = FlashWindowBase;

// A single chip on the 32-bit bus whose query answer sits in bits 8 to 15;
// the fields are read from the low byte of each word.
TEST(QueryFlashGeometry, SingleChipOn32BitBusAnswersInSecondByte) {
  ScriptedWindow window;
  window.Put(kBase + 0x40, 0x00005100, 4);
  window.Put(kBase + 0x44, 0x00005200, 4);
  window.Put(kBase + 0x48, 0x00005900, 4);
  window.Put(kBase + 4 * 0x13, 0x01, 4);
  window.Put(kBase + 4 * 0x27, 0x17, 4);
  window.Put(kBase + 4 * 0x2C, 0x01, 4);
  const std::uint8_t region[] = {0x3F, 0x00, 0x00, 0x02};
  for (std::uint32_t k = 0; k < 4; ++k) window.Put(kBase + 4 * (0x2D + k), region[k], 4);

  FlashGeometry g;
  ASSERT_EQ(QueryFlashGeometry(window, kBase, &g), 1);
  EXPECT_EQ(g.busWidth, 4u);
  EXPECT_EQ(g.chips, 1u);
  EXPECT_EQ(g.commandSet, 1u);
  EXPECT_EQ(g.deviceSize, 8u << 20);
  EXPECT_EQ(g.blockCount[0], 64u);
  EXPECT_EQ(g.blockSize[0], 128u << 10);
  const std::vector<Access> expected = {
      {4, kBase + 0x154, 0x98989898}, {4, kBase, 0xFF}, {4, kBase + 0x154, 0x00FF00FF}};
  EXPECT_EQ(window.stores, expected);
}

TEST(QueryFlashGeometry, LowByteAnswerOn32BitBusIsNotRecognised) {
  ScriptedWindow window;
  window.Put(kBase + 0x40, 0x00000051, 4);
  window.Put(kBase + 0x44, 0x00000052, 4);
  window.Put(kBase + 0x48, 0x00000059, 4);
  FlashGeometry g;
  g.busWidth = 7;
  EXPECT_EQ(QueryFlashGeometry(window, kBase, &g), 0);
  EXPECT_EQ(g.busWidth, 0u);
  EXPECT_EQ(g.chips, 0u);
  // All three probes ran, in order, and the plain store of 0x00FF00FF ends it.
  ASSERT_GE(window.stores.size(), 4u);
  EXPECT_EQ(window.stores[0], (Access{4, kBase + 0x154, 0x98989898}));
  EXPECT_EQ(window.stores[1], (Access{2, kBase + 0xAA, 0x0098}));
  EXPECT_EQ(window.stores[2], (Access{1, kBase + 0x55, 0x98}));
  EXPECT_EQ(window.stores.back(), (Access{4, kBase + 0x154, 0x00FF00FF}));
}

TEST(QueryFlashGeometry, NullGeometryIsRefusedWithoutTouchingTheBus) {
  ScriptedWindow window;
  EXPECT_EQ(QueryFlashGeometry(window, kBase, nullptr), 0);
  EXPECT_TRUE(window.stores.empty());
}

class QueryOnChips : public test::SimFlashTest {};

TEST_F(QueryOnChips, DefaultLayoutIsTwo16BitIntelChipsOnThe32BitBus) {
  auto flash = Open(sim::DefaultFlashConfig());
  FlashGeometry g;
  ASSERT_EQ(QueryFlashGeometry(*flash, kBase, &g), 1);
  EXPECT_EQ(g.busWidth, 4u);
  EXPECT_EQ(g.chips, 2u);
  EXPECT_EQ(g.commandSet, 1u);
  EXPECT_EQ(g.deviceSize, 16u << 20);
  EXPECT_EQ(g.regionCount, 1u);
  EXPECT_EQ(g.blockCount[0], 128u);
  EXPECT_EQ(g.blockSize[0], 128u << 10);
  // Bounds from the table: 128 us x 16 per word, 1024 ms x 16 per block.
  EXPECT_EQ(g.programPollLimit, 2048u * 4);
  EXPECT_EQ(g.erasePollLimit, 16384000u * 4);
  // The chips are back in read-array mode.
  std::uint32_t word = 0;
  ReadFlashRange(*flash, kBase, kBase + 0x40, 4, reinterpret_cast<std::uint8_t*>(&word));
  EXPECT_EQ(word, 0xFFFFFFFFu);
}

TEST_F(QueryOnChips, BottomBootTableGivesFourRegions) {
  auto flash = Open(test::ConfigOf({test::BottomBootAmdBank()}));
  FlashGeometry g;
  ASSERT_EQ(QueryFlashGeometry(*flash, kBase, &g), 1);
  EXPECT_EQ(g.commandSet, 2u);
  EXPECT_EQ(g.deviceSize, 2u << 20);
  ASSERT_EQ(g.regionCount, 4u);
  const std::uint32_t sizes[] = {16u << 10, 8u << 10, 32u << 10, 64u << 10};
  const std::uint32_t counts[] = {1, 2, 1, 31};
  for (int i = 0; i < 4; ++i) {
    EXPECT_EQ(g.blockSize[i], sizes[i]);
    EXPECT_EQ(g.blockCount[i], counts[i]);
  }
}

TEST_F(QueryOnChips, RegionFieldWithoutSizeMeans128ByteBlocks) {
  auto flash = Open(test::ConfigOf({test::QuickBank(1, 2, 1, 64u << 10, 128)}));
  FlashGeometry g;
  ASSERT_EQ(QueryFlashGeometry(*flash, kBase, &g), 1);
  EXPECT_EQ(g.blockSize[0], 128u);
  EXPECT_EQ(g.blockCount[0], 512u);
}

TEST_F(QueryOnChips, NineRegionsCountAsNoAnswer) {
  sim::FlashBankConfig bank = test::QuickBank(1, 4, 2, 1u << 20, 64u << 10);
  bank.regions = std::vector<sim::FlashRegion>(8, {64u << 10, 1});
  bank.regions.push_back({64u << 10, 8});
  auto flash = Open(test::ConfigOf({bank}));
  FlashGeometry g;
  EXPECT_EQ(QueryFlashGeometry(*flash, kBase, &g), 0);
  EXPECT_EQ(g.regionCount, 0u);
  EXPECT_EQ(EraseFlashRange(*flash, kBase, kBase, 4), 0);
}

// Every bus width and chip count for both command sets: which ones the
// probes recognise, and that those then erase, program and read.
struct BusCase {
  std::uint32_t commandSet, busWidth, chips;
  bool recognised;
};

class QueryEveryBus : public test::SimFlashTest, public ::testing::WithParamInterface<BusCase> {};

TEST_P(QueryEveryBus, RecognisedBusesEraseProgramAndRead) {
  const BusCase c = GetParam();
  const std::uint32_t area = kBase + 0x80000;
  PutFileBytes(area, std::vector<std::uint8_t>(0x10000, 0x00));
  auto flash = Open(test::ConfigOf({test::QuickBank(c.commandSet, c.busWidth, c.chips, 1u << 20, 64u << 10)}));
  FlashGeometry g;
  std::vector<std::uint8_t> data(1000);
  std::iota(data.begin(), data.end(), std::uint8_t{7});
  std::vector<std::uint8_t> back(data.size());
  if (!c.recognised) {
    EXPECT_EQ(QueryFlashGeometry(*flash, kBase, &g), 0);
    EXPECT_EQ(EraseFlashRange(*flash, kBase, area, 0x10000), 0);
    EXPECT_EQ(ProgramFlashRange(*flash, kBase, area, 4, data.data()), 0);
    // Nothing was changed, and every chip reads its array again.
    EXPECT_EQ(FlashBytes(*flash, area, 0x10000), std::vector<std::uint8_t>(0x10000, 0x00));
    ASSERT_EQ(ReadFlashRange(*flash, kBase, kBase, 0x100, back.data()), 1);
    EXPECT_EQ(std::vector<std::uint8_t>(back.begin(), back.begin() + 0x100), FlashBytes(*flash, kBase, 0x100));
    return;
  }
  ASSERT_EQ(QueryFlashGeometry(*flash, kBase, &g), 1);
  EXPECT_EQ(g.busWidth, c.busWidth);
  EXPECT_EQ(g.chips, c.chips);
  EXPECT_EQ(g.commandSet, c.commandSet);
  EXPECT_EQ(g.deviceSize, 1u << 20);
  ASSERT_EQ(EraseFlashRange(*flash, kBase, area, c.chips * 0x10000), 1);  // one interleaved block
  ASSERT_EQ(ProgramFlashRange(*flash, kBase, area + 3, static_cast<std::uint32_t>(data.size()), data.data()), 1);
  ASSERT_EQ(ReadFlashRange(*flash, kBase, area + 3, static_cast<std::uint32_t>(back.size()), back.data()), 1);
  EXPECT_EQ(back, data);
  EXPECT_EQ(FlashBytes(*flash, area + 3, data.size()), data);
}

// A 32-bit chip answers in its low byte, which the 32-bit probe does not
// accept; two 8-bit AMD chips on 16 bits get the 16-bit probe's query code
// in one lane only. Both stay unusable rather than misread.
INSTANTIATE_TEST_SUITE_P(AllPairs, QueryEveryBus,
                         ::testing::Values(BusCase{1, 1, 1, true}, BusCase{1, 2, 1, true}, BusCase{1, 2, 2, true},
                                           BusCase{1, 4, 1, false}, BusCase{1, 4, 2, true}, BusCase{1, 4, 4, true},
                                           BusCase{2, 1, 1, true}, BusCase{2, 2, 1, true}, BusCase{2, 2, 2, false},
                                           BusCase{2, 4, 1, false}, BusCase{2, 4, 2, true}, BusCase{2, 4, 4, true}),
                         [](const auto& info) {
                           return std::string(info.param.commandSet == 1 ? "Intel" : "Amd") + "Width" +
                                  std::to_string(info.param.busWidth) + "Chips" + std::to_string(info.param.chips);
                         });

}  // namespace
}  // namespace talvon
