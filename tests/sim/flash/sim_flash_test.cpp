#include "sim/flash/sim_flash.h"

#include <gtest/gtest.h>

#include <fstream>

#include "support/flash_sim_fixture.h"

namespace talvon::sim {
namespace {

constexpr std::uint32_t kBase = FlashWindowBase;
using Bytes = std::vector<std::uint8_t>;

class SimFlashFile : public test::SimFlashTest {};

TEST_F(SimFlashFile, NewFlashIsBlankAndKeepsWhatIsProgrammed) {
  {
    auto flash = Open(DefaultFlashConfig());
    EXPECT_EQ(std::filesystem::file_size(FlashFile()), FlashWindowSize);
    EXPECT_EQ(FlashBytes(*flash, kBase, 64), Bytes(64, 0xFF));
    EXPECT_EQ(FlashBytes(*flash, kBase + FlashWindowSize - 64, 64), Bytes(64, 0xFF));
    flash->Store32(kBase + 0x100, 0x00400040);
    flash->Store32(kBase + 0x100, 0x12345678);
    flash->Load32(kBase + 0x100);
    flash->Load32(kBase + 0x100);
    flash->Store32(kBase, 0x00FF00FF);
  }
  auto flash = Open(DefaultFlashConfig());
  EXPECT_EQ(flash->Load32(kBase + 0x100), 0x12345678u);
}

TEST_F(SimFlashFile, FileOfAnotherSizeIsRefusedAndLeftAlone) {
  std::ofstream(FlashFile(), std::ios::binary) << std::string(1000, 'x');
  std::string error;
  EXPECT_EQ(SimFlash::Open(FlashFile(), DefaultFlashConfig(), &error), nullptr);
  EXPECT_NE(error.find("33554432"), std::string::npos) << error;
  EXPECT_EQ(std::filesystem::file_size(FlashFile()), 1000u);
}

TEST_F(SimFlashFile, BadConfigurationIsRefusedBeforeTheFileIsMade) {
  FlashConfig config;
  config.banks[0].busWidth = 3;
  std::string error;
  EXPECT_EQ(SimFlash::Open(FlashFile(), config, &error), nullptr);
  EXPECT_NE(error.find("busWidth"), std::string::npos) << error;
  EXPECT_FALSE(std::filesystem::exists(FlashFile()));
}

TEST_F(SimFlashFile, AddressesWithoutAChipReadOnesAndIgnoreStores) {
  PutFileBytes(kBase + (4u << 20), Bytes(8, 0x00));
  auto flash = Open(test::ConfigOf({test::QuickBank(1, 4, 2, 2u << 20, 64u << 10)}));
  EXPECT_EQ(flash->Load32(kBase + (4u << 20)), 0xFFFFFFFFu);  // past the only bank
  EXPECT_EQ(flash->Load32(kBase - 4), 0xFFFFFFFFu);
  EXPECT_EQ(flash->Load16(kBase + FlashWindowSize), 0xFFFFu);
  flash->Store32(kBase + (4u << 20), 0x00400040);
  flash->Store32(kBase + (4u << 20), 0);
  EXPECT_EQ(FlashBytes(*flash, kBase + (4u << 20), 8), Bytes(8, 0x00));
  Bytes across(8);
  flash->CopyOut(kBase + (4u << 20) - 4, across.data(), 8);
  EXPECT_EQ(across, Bytes(8, 0xFF));
  EXPECT_EQ(flash->Stats().busCycles, 1u);  // only the bank's word counts
}

TEST_F(SimFlashFile, AccessesWiderThanTheBusTakeSeveralCycles) {
  auto flash = Open(test::ConfigOf({test::QuickBank(2, 1, 1, 1u << 20, 64u << 10)}));
  flash->Store32(kBase, 0x98989898);
  EXPECT_EQ(flash->Stats().busCycles, 4u);
  flash->Load16(kBase);
  EXPECT_EQ(flash->Stats().busCycles, 6u);
  flash->Load8(kBase + 3);
  EXPECT_EQ(flash->Stats().busCycles, 7u);
}

TEST_F(SimFlashFile, SecondBankAnswersAtItsOwnBase) {
  auto flash = Open(test::ConfigOf({test::QuickBank(1, 4, 2, 2u << 20, 64u << 10),
                                    test::QuickBank(2, 1, 1, 1u << 20, 64u << 10)}));
  const std::uint32_t second = kBase + (4u << 20);
  flash->Store8(second + 0x55, 0x98);
  EXPECT_EQ(flash->Load8(second + 0x10), 'Q');
  EXPECT_EQ(flash->Load8(second + 0x13), 2);
  EXPECT_EQ(flash->Load32(kBase + 0x40), 0xFFFFFFFFu);  // the first bank still reads its array
}

class SimFlashFaults : public test::SimFlashTest {};

TEST_F(SimFlashFaults, PowerLossDuringEraseLeavesTheBlockHalfErased) {
  const std::uint32_t block = RegistryFlashArea;
  PutFileBytes(block, Bytes(0x40000, 0x00));
  {
    auto flash = Open(DefaultFlashConfig());
    flash->CutPowerAtCycle(flash->Stats().busCycles + 4);
    flash->Store32(kBase, 0x00500050);
    flash->Store32(block, 0x00200020);
    flash->Store32(block, 0x00D000D0);
    EXPECT_EQ(flash->Load32(kBase), 0xFFFFFFFFu);  // the fourth cycle never happens
    EXPECT_TRUE(flash->PowerLost());
    EXPECT_EQ(flash->Stats().busCycles, 3u);
    flash->Store32(kBase, 0x00FF00FF);  // nothing reaches the chips any more
    EXPECT_EQ(flash->Stats().busCycles, 3u);
  }
  auto flash = Open(DefaultFlashConfig());
  EXPECT_EQ(FlashBytes(*flash, block, 0x20000), Bytes(0x20000, 0xFF));
  EXPECT_EQ(FlashBytes(*flash, block + 0x20000, 0x20000), Bytes(0x20000, 0x00));
  EXPECT_EQ(flash->Load32(block + 0x20000), 0u);  // reading the array after power-up
}

TEST_F(SimFlashFaults, PowerLossDuringProgramClearsOnlySomeBits) {
  FlashConfig config;
  config.faults.powerLossAtCycle = 3;
  auto flash = Open(config);
  flash->Store32(kBase, 0x00400040);
  flash->Store32(kBase + 8, 0x00000000);
  flash->Load32(kBase + 8);
  EXPECT_TRUE(flash->PowerLost());
  const Bytes cells = FlashBytes(*flash, kBase + 8, 4);
  for (std::uint8_t b : cells) {
    EXPECT_NE(b, 0xFF);
    EXPECT_NE(b, 0x00);
  }
}

TEST_F(SimFlashFaults, StuckBitsSurviveEraseAndFailIt) {
  FlashConfig config = test::ConfigOf({test::QuickBank(1, 2, 1, 1u << 20, 64u << 10)});
  config.faults.stuckBits = {{kBase + 0x11, 0x01, false}};
  auto flash = Open(config);
  EXPECT_EQ(flash->Load16(kBase + 0x10), 0xFEFF);  // stuck from power-up
  flash->Store16(kBase, 0x20);
  flash->Store16(kBase, 0xD0);
  std::uint16_t status = 0;
  while (!((status = flash->Load16(kBase)) & 0x80)) {
  }
  EXPECT_EQ(status, 0xA0);  // erase error
  flash->Store16(kBase, 0xFF);
  EXPECT_EQ(flash->Load16(kBase + 0x10), 0xFEFF);
}

TEST_F(SimFlashFaults, NeverReadyChipStaysBusy) {
  FlashConfig config = test::ConfigOf({test::QuickBank(1, 4, 2, 1u << 20, 64u << 10)});
  config.faults.neverReady = {{0, 1}};
  auto flash = Open(config);
  flash->Store32(kBase, 0x00400040);
  flash->Store32(kBase, 0);
  for (int i = 0; i < 1000; ++i) flash->Load32(kBase);
  flash->Store32(kBase, 0x00700070);
  EXPECT_EQ(flash->Load32(kBase), 0x00000080u);  // chip 0 ready, chip 1 still busy
}

TEST_F(SimFlashFaults, ChipWithoutCfiKeepsReadingItsArray) {
  FlashConfig config = test::ConfigOf({test::QuickBank(2, 4, 2, 1u << 20, 64u << 10)});
  config.faults.noCfi = {{0, 0}};
  auto flash = Open(config);
  flash->Store32(kBase + 0x154, 0x98989898);
  EXPECT_EQ(flash->Load32(kBase + 0x40), 0x0051FFFFu);
}

}  // namespace
}  // namespace talvon::sim
