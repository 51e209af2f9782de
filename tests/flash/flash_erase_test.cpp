#include <gtest/gtest.h>

#include "flash/flash_device.h"
#include "support/flash_sim_fixture.h"

namespace talvon {
namespace {

constexpr std::uint32_t kBase = FlashWindowBase;
using Bytes = std::vector<std::uint8_t>;

class EraseFlashRangeTest : public test::SimFlashTest {};

TEST_F(EraseFlashRangeTest, RegistryAreaErasesExactlyItsThreeBlocks) {
  PutFileBytes(RegistryFlashArea - 0x40000, Bytes(0x100000, 0x00));
  auto flash = Open(sim::DefaultFlashConfig());
  ASSERT_EQ(EraseFlashRange(*flash, kBase, RegistryFlashArea, RegistryFlashAreaSize), 1);
  EXPECT_EQ(FlashBytes(*flash, RegistryFlashArea - 0x40000, 0x40000), Bytes(0x40000, 0x00));
  EXPECT_EQ(FlashBytes(*flash, RegistryFlashArea, RegistryFlashAreaSize), Bytes(RegistryFlashAreaSize, 0xFF));
  EXPECT_EQ(flash->Stats().erases, 3u);
  EXPECT_EQ(flash->EraseCycles(RegistryFlashArea - 1), 0u);
  for (std::uint32_t b = 0; b < 3; ++b) EXPECT_EQ(flash->EraseCycles(RegistryFlashArea + b * 0x40000), 1u);
}

TEST_F(EraseFlashRangeTest, EmptyRangeErasesNothing) {
  auto flash = Open(sim::DefaultFlashConfig());
  EXPECT_EQ(EraseFlashRange(*flash, kBase, RegistryFlashArea, 0), 1);
  EXPECT_EQ(flash->Stats().erases, 0u);
}

TEST_F(EraseFlashRangeTest, WalksTheRegionsOfABottomBootTable) {
  // Interleaved blocks: 32 KiB at 0, 16 KiB at 0x8000 and 0xC000, 64 KiB at
  // 0x10000, then 128 KiB from 0x20000.
  PutFileBytes(kBase, Bytes(0x60000, 0x00));
  auto flash = Open(test::ConfigOf({test::BottomBootAmdBank()}));
  ASSERT_EQ(EraseFlashRange(*flash, kBase, kBase + 0x8000, 0x8000), 1);
  EXPECT_EQ(FlashBytes(*flash, kBase, 0x8000), Bytes(0x8000, 0x00));
  EXPECT_EQ(FlashBytes(*flash, kBase + 0x8000, 0x8000), Bytes(0x8000, 0xFF));
  EXPECT_EQ(FlashBytes(*flash, kBase + 0x10000, 0x10000), Bytes(0x10000, 0x00));
  ASSERT_EQ(EraseFlashRange(*flash, kBase, kBase + 0x20000, 0x20000), 1);
  EXPECT_EQ(FlashBytes(*flash, kBase + 0x20000, 0x20000), Bytes(0x20000, 0xFF));
  EXPECT_EQ(FlashBytes(*flash, kBase + 0x40000, 0x20000), Bytes(0x20000, 0x00));
  EXPECT_EQ(flash->Stats().erases, 3u);
}

TEST_F(EraseFlashRangeTest, WalksIntoTheNextBankWithItsOwnCommandSet) {
  const std::uint32_t boundary = kBase + (16u << 20);
  PutFileBytes(boundary - 0x80000, Bytes(0x100000, 0x00));
  auto flash = Open(test::ConfigOf({test::QuickBank(1, 4, 2, 8u << 20, 128u << 10),
                                    test::QuickBank(2, 4, 4, 4u << 20, 64u << 10)}));
  ASSERT_EQ(EraseFlashRange(*flash, kBase, boundary - 0x40000, 0x80000), 1);
  EXPECT_EQ(FlashBytes(*flash, boundary - 0x80000, 0x40000), Bytes(0x40000, 0x00));
  EXPECT_EQ(FlashBytes(*flash, boundary - 0x40000, 0x80000), Bytes(0x80000, 0xFF));
  EXPECT_EQ(FlashBytes(*flash, boundary + 0x40000, 0x40000), Bytes(0x40000, 0x00));
  EXPECT_EQ(flash->EraseCycles(boundary - 1), 1u);
  EXPECT_EQ(flash->EraseCycles(boundary), 1u);
}

TEST_F(EraseFlashRangeTest, RangeRunningPastTheFlashErasesWhatIsThere) {
  const std::uint32_t end = kBase + (4u << 20);
  PutFileBytes(end - 0x20000, Bytes(0x40000, 0x00));
  auto flash = Open(test::ConfigOf({test::QuickBank(1, 4, 2, 2u << 20, 64u << 10)}));
  ASSERT_EQ(EraseFlashRange(*flash, kBase, end - 0x20000, 0x40000), 1);
  EXPECT_EQ(FlashBytes(*flash, end - 0x20000, 0x20000), Bytes(0x20000, 0xFF));
  EXPECT_EQ(FlashBytes(*flash, end, 0x20000), Bytes(0x20000, 0x00));  // no chip there
}

TEST_F(EraseFlashRangeTest, FailingBlockStopsTheWalk) {
  PutFileBytes(RegistryFlashArea, Bytes(RegistryFlashAreaSize, 0x00));
  sim::FlashConfig config;
  config.faults.eraseFailures = {{RegistryFlashArea + 0x40000, std::nullopt}};
  auto flash = Open(config);
  EXPECT_EQ(EraseFlashRange(*flash, kBase, RegistryFlashArea, RegistryFlashAreaSize), 0);
  EXPECT_EQ(FlashBytes(*flash, RegistryFlashArea, 0x40000), Bytes(0x40000, 0xFF));
  EXPECT_EQ(FlashBytes(*flash, RegistryFlashArea + 0x40000, 0x80000), Bytes(0x80000, 0x00));
  EXPECT_EQ(flash->EraseCycles(RegistryFlashArea + 0x80000), 0u);
}

// A block reaching outside the range would erase flash the caller does not
// own: the whole erase is refused before any block is touched.
TEST_F(EraseFlashRangeTest, BlockReachingOutsideTheRangeRefusesTheWholeErase) {
  PutFileBytes(RegistryFlashArea - 0x80000, Bytes(0x100000, 0x00));
  auto flash = Open(test::ConfigOf({test::QuickBank(1, 4, 4, 8u << 20, 128u << 10)}));  // 512 KiB blocks
  EXPECT_EQ(FlashBlocksLineUp(*flash, kBase, RegistryFlashArea, RegistryFlashAreaSize), 0);
  EXPECT_EQ(EraseFlashRange(*flash, kBase, RegistryFlashArea, RegistryFlashAreaSize), 0);
  EXPECT_EQ(EraseFlashRange(*flash, kBase, RegistryFlashArea - 0x40000, 4), 0);
  EXPECT_EQ(flash->Stats().erases, 0u);
  EXPECT_EQ(FlashBytes(*flash, RegistryFlashArea - 0x80000, 0x100000), Bytes(0x100000, 0x00));
  EXPECT_EQ(FlashBlocksLineUp(*flash, kBase, RegistryFlashArea - 0x40000, 0x80000), 1);
}

// One chip's error bit is enough: its half of the block is not erased.
TEST_F(EraseFlashRangeTest, OneChipsEraseErrorFailsTheBlock) {
  PutFileBytes(RegistryFlashArea, Bytes(16, 0x00));
  sim::FlashConfig config;
  config.faults.eraseFailures = {{RegistryFlashArea, 1u}};
  auto flash = Open(config);
  EXPECT_EQ(EraseFlashRange(*flash, kBase, RegistryFlashArea, 0x40000), 0);
  EXPECT_EQ(FlashBytes(*flash, RegistryFlashArea, 8), (Bytes{0xFF, 0xFF, 0, 0, 0xFF, 0xFF, 0, 0}));
}

class EraseBothSets : public test::SimFlashTest, public ::testing::WithParamInterface<std::uint32_t> {};

TEST_P(EraseBothSets, HungChipFailsInsteadOfHanging) {
  sim::FlashConfig config = test::ConfigOf({test::QuickBank(GetParam(), 4, 2, 1u << 20, 64u << 10)});
  config.faults.neverReady = {{0, 1}};
  auto flash = Open(config);
  EXPECT_EQ(EraseFlashRange(*flash, kBase, kBase, 0x20000), 0);
  // Bounded by the chip's own maximum erase time, 4 ms here.
  EXPECT_LT(flash->Stats().busCycles, 200000u);
}

TEST_P(EraseBothSets, ChipThatFinishesLaterIsWaitedFor) {
  PutFileBytes(kBase, Bytes(0x20000, 0x00));
  sim::FlashBankConfig bank = test::QuickBank(GetParam(), 4, 2, 1u << 20, 64u << 10);
  bank.chipExtraPolls = {0, 40};
  auto flash = Open(test::ConfigOf({bank}));
  ASSERT_EQ(EraseFlashRange(*flash, kBase, kBase, 0x20000), 1);
  EXPECT_EQ(FlashBytes(*flash, kBase, 0x20000), Bytes(0x20000, 0xFF));
  // Both chips read their array again.
  Bytes back(16);
  ASSERT_EQ(ReadFlashRange(*flash, kBase, kBase, 16, back.data()), 1);
  EXPECT_EQ(back, Bytes(16, 0xFF));
}

// A block erase takes far longer than any word program may (a second
// against two milliseconds on real chips): the erase must be given the
// chips' erase time, not their program time.
TEST_P(EraseBothSets, EraseSlowerThanAnyProgramMayTakeSucceeds) {
  sim::FlashBankConfig bank = test::QuickBank(GetParam(), 4, 2, 1u << 20, 64u << 10);
  bank.timing = sim::FlashTiming{};  // 128 us programs, at most 2 ms; 1 s erases, at most 16 s
  FlashGeometry geometry;
  {
    auto probe = Open(test::ConfigOf({bank}));
    ASSERT_EQ(QueryFlashGeometry(*probe, kBase, &geometry), 1);
  }
  bank.erasePolls = 3 * geometry.programPollLimit;
  PutFileBytes(kBase, Bytes(0x20000, 0x00));
  auto flash = Open(test::ConfigOf({bank}));
  ASSERT_EQ(EraseFlashRange(*flash, kBase, kBase, 0x20000), 1);
  EXPECT_EQ(FlashBytes(*flash, kBase, 0x20000), Bytes(0x20000, 0xFF));
  EXPECT_GT(flash->Stats().busCycles, bank.erasePolls);  // it really was polled that long
}

INSTANTIATE_TEST_SUITE_P(IntelAndAmd, EraseBothSets, ::testing::Values(1u, 2u),
                         [](const auto& info) { return std::string(info.param == 1 ? "Intel" : "Amd"); });

}  // namespace
}  // namespace talvon
