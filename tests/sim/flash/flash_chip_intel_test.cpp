#include <gtest/gtest.h>

#include "support/flash_sim_fixture.h"

namespace talvon::sim {
namespace {

constexpr std::uint32_t kBase = FlashWindowBase;
using Bytes = std::vector<std::uint8_t>;

class IntelChip : public test::SimFlashTest {
 protected:
  // One 16-bit chip on a 16-bit bus.
  std::unique_ptr<SimFlash> OpenSingle(std::uint32_t programPolls = 0, std::uint32_t erasePolls = 0) {
    FlashBankConfig bank = test::QuickBank(1, 2, 1, 1u << 20, 64u << 10);
    bank.programPolls = programPolls;
    bank.erasePolls = erasePolls;
    return Open(test::ConfigOf({bank}));
  }
};

TEST_F(IntelChip, QueryModeAnswersTheTableInEachChipsLane) {
  auto flash = Open(DefaultFlashConfig());
  flash->Store32(kBase + 0x154, 0x98989898);
  EXPECT_EQ(flash->Load32(kBase + 4 * 0x10), 0x00510051u);
  EXPECT_EQ(flash->Load32(kBase + 4 * 0x11), 0x00520052u);
  EXPECT_EQ(flash->Load32(kBase + 4 * 0x12), 0x00590059u);
  EXPECT_EQ(flash->Load32(kBase + 4 * 0x13), 0x00010001u);  // Intel/Sharp extended
  EXPECT_EQ(flash->Load32(kBase + 4 * 0x27), 0x00180018u);  // 16 MiB
  EXPECT_EQ(flash->Load32(kBase + 4 * 0x2C), 0x00010001u);  // one region
  const std::uint32_t region[] = {0x7F, 0x00, 0x00, 0x02};   // 128 blocks of 128 KiB
  for (std::uint32_t k = 0; k < 4; ++k) EXPECT_EQ(flash->Load32(kBase + 4 * (0x2D + k)) & 0xFF, region[k]);
  const std::uint32_t pri = flash->Load32(kBase + 4 * 0x15) & 0xFF;
  EXPECT_EQ(flash->Load32(kBase + 4 * pri) & 0xFF, std::uint32_t{'P'});
  flash->Store32(kBase, 0x00FF00FF);
  EXPECT_EQ(flash->Load32(kBase + 4 * 0x10), 0xFFFFFFFFu);
}

TEST_F(IntelChip, ProgramIsBusyForTheConfiguredReadsAndOnlyClearsBits) {
  auto flash = OpenSingle(3);
  flash->Store16(kBase, 0x40);
  flash->Store16(kBase + 0x10, 0x0F0F);
  for (int i = 0; i < 3; ++i) EXPECT_EQ(flash->Load16(kBase + 0x10) & 0x80, 0) << "read " << i;
  EXPECT_EQ(flash->Load16(kBase + 0x10), 0x80);  // ready, no error
  flash->Store16(kBase, 0x10);                    // the alternative setup code
  flash->Store16(kBase + 0x10, 0xFFF0);
  for (int i = 0; i < 3; ++i) flash->Load16(kBase);
  EXPECT_EQ(flash->Load16(kBase), 0x80);
  flash->Store16(kBase, 0xFF);
  EXPECT_EQ(flash->Load16(kBase + 0x10), 0x0F00);
  EXPECT_EQ(flash->Stats().programs, 2u);
}

TEST_F(IntelChip, WritesWhileBusyAreIgnored) {
  auto flash = OpenSingle(5);
  flash->Store16(kBase, 0x40);
  flash->Store16(kBase + 2, 0x1234);
  flash->Store16(kBase, 0xFF);
  flash->Store16(kBase, 0x40);
  EXPECT_EQ(flash->Load16(kBase) & 0x80, 0);
  for (int i = 0; i < 5; ++i) flash->Load16(kBase);
  flash->Store16(kBase, 0xFF);
  EXPECT_EQ(flash->Load16(kBase + 2), 0x1234);
  EXPECT_EQ(flash->Stats().programs, 1u);
}

TEST_F(IntelChip, ConfirmOtherThanD0SetsSequenceErrorAndErasesNothing) {
  PutFileBytes(kBase, Bytes(16, 0x00));
  auto flash = OpenSingle();
  flash->Store16(kBase, 0x20);
  flash->Store16(kBase, 0xFF);
  EXPECT_EQ(flash->Load16(kBase), 0xB0);  // ready, erase and program error
  flash->Store16(kBase, 0x50);
  EXPECT_EQ(flash->Load16(kBase), 0x80);  // clearing keeps bit 7
  flash->Store16(kBase, 0xFF);
  EXPECT_EQ(FlashBytes(*flash, kBase, 16), Bytes(16, 0x00));
  EXPECT_EQ(flash->EraseCycles(kBase), 0u);
}

TEST_F(IntelChip, EraseSetsOnlyItsOwnLanesOfTheBlock) {
  PutFileBytes(kBase, Bytes(0x80000, 0x00));
  auto flash = Open(DefaultFlashConfig());
  // Erase commands on the low half only: the first chip alone erases.
  flash->Store16(kBase + 0x40000, 0x20);
  flash->Store16(kBase + 0x40000, 0xD0);
  while ((flash->Load16(kBase) & 0x80) == 0) {
  }
  flash->Store16(kBase, 0xFF);
  const Bytes block = FlashBytes(*flash, kBase + 0x40000, 0x40000);
  for (std::size_t i = 0; i < block.size(); i += 4) {
    ASSERT_EQ(block[i], 0xFF);
    ASSERT_EQ(block[i + 1], 0xFF);
    ASSERT_EQ(block[i + 2], 0x00);
    ASSERT_EQ(block[i + 3], 0x00);
  }
  EXPECT_EQ(FlashBytes(*flash, kBase, 0x40000), Bytes(0x40000, 0x00));
  EXPECT_EQ(FlashBytes(*flash, kBase + 0x40000 - 4, 4), Bytes(4, 0x00));
  EXPECT_EQ(flash->EraseCycles(kBase + 0x40000), 1u);
}

TEST_F(IntelChip, InterleavedChipsKeepTheirOwnModes) {
  auto flash = Open(DefaultFlashConfig());
  flash->Store16(kBase + 2, 0x98);  // the second chip's lane only
  EXPECT_EQ(flash->Load32(kBase + 4 * 0x10), 0x0051FFFFu);
  flash->Store32(kBase, 0x00700070);
  EXPECT_EQ(flash->Load32(kBase), 0x00800080u);
}

TEST_F(IntelChip, StrayAmdCyclesDoNotWedgeIt) {
  auto flash = OpenSingle();
  const std::pair<std::uint32_t, std::uint16_t> cycles[] = {{0x555, 0xAA}, {0x2AA, 0x55}, {0x555, 0x80},
                                                             {0x555, 0xAA}, {0x2AA, 0x55}, {0, 0x30},
                                                             {0x555, 0xA0}, {0, 0xF0}};
  for (const auto& [word, code] : cycles) flash->Store16(kBase + 2 * word, code);
  EXPECT_EQ(flash->Load16(kBase + 8), 0xFFFF);  // still reading the array
  flash->Store16(kBase, 0x70);
  EXPECT_EQ(flash->Load16(kBase), 0x80);
  flash->Store16(kBase, 0x40);
  flash->Store16(kBase + 8, 0x5A5A);
  EXPECT_EQ(flash->Load16(kBase + 8), 0x80);
  flash->Store16(kBase, 0xFF);
  EXPECT_EQ(flash->Load16(kBase + 8), 0x5A5A);
  EXPECT_EQ(flash->Stats().erases, 0u);
}

TEST_F(IntelChip, IdentifierModeGivesMakerAndDevice) {
  auto flash = Open(DefaultFlashConfig());
  flash->Store32(kBase, 0x00900090);
  EXPECT_EQ(flash->Load32(kBase), 0x00890089u);
  EXPECT_EQ(flash->Load32(kBase + 4), 0x00180018u);
}

}  // namespace
}  // namespace talvon::sim
