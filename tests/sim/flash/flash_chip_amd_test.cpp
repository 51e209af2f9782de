#include <gtest/gtest.h>

#include "support/flash_sim_fixture.h"

namespace talvon::sim {
namespace {

constexpr std::uint32_t kBase = FlashWindowBase;
using Bytes = std::vector<std::uint8_t>;

// One 16-bit AMD chip on a 16-bit bus, driven cycle by cycle.
class AmdChip : public test::SimFlashTest {
 protected:
  std::unique_ptr<SimFlash> OpenSingle(std::uint32_t programPolls = 0, FlashBankConfig bank = {}) {
    if (bank.commandSet != 2) bank = test::QuickBank(2, 2, 1, 1u << 20, 64u << 10);
    bank.busWidth = 2;
    bank.chips = 1;
    bank.programPolls = programPolls;
    bank.erasePolls = 2;
    flash_ = Open(test::ConfigOf({bank}));
    return std::move(flash_);
  }
  static void Cycle(SimFlash& flash, std::uint32_t word, std::uint16_t code) { flash.Store16(kBase + 2 * word, code); }
  static void Unlock(SimFlash& flash) {
    Cycle(flash, 0x555, 0xAA);
    Cycle(flash, 0x2AA, 0x55);
  }
  std::unique_ptr<SimFlash> flash_;
};

TEST_F(AmdChip, ProgramShowsInvertedDq7AndTogglingDq6WhileBusy) {
  auto flash = OpenSingle(3);
  Unlock(*flash);
  Cycle(*flash, 0x555, 0xA0);
  Cycle(*flash, 0x40, 0x1234);  // data bit 7 is 0
  std::uint16_t last = flash->Load16(kBase + 0x80);
  EXPECT_EQ(last & 0x80, 0x80);
  for (int i = 0; i < 2; ++i) {
    const std::uint16_t now = flash->Load16(kBase + 0x80);
    EXPECT_EQ(now & 0x80, 0x80);
    EXPECT_EQ((now ^ last) & 0x40, 0x40) << "DQ6 toggles on every read";
    last = now;
  }
  EXPECT_EQ(flash->Load16(kBase + 0x80), 0x1234);
}

TEST_F(AmdChip, WrongUnlockCycleGoesBackToReading) {
  auto flash = OpenSingle();
  Cycle(*flash, 0x555, 0xAA);
  Cycle(*flash, 0x2AB, 0x55);  // wrong address
  Cycle(*flash, 0x555, 0xA0);
  Cycle(*flash, 0x40, 0x0000);
  EXPECT_EQ(flash->Load16(kBase + 0x80), 0xFFFF);
  EXPECT_EQ(flash->Stats().programs, 0u);
}

TEST_F(AmdChip, QueryIsEnteredOnlyAtWord55AndLeftOnlyByReset) {
  auto flash = OpenSingle();
  Cycle(*flash, 0x56, 0x98);
  EXPECT_EQ(flash->Load16(kBase + 2 * 0x10), 0xFFFF);
  Cycle(*flash, 0x55, 0x98);
  EXPECT_EQ(flash->Load16(kBase + 2 * 0x10), 0x51);
  EXPECT_EQ(flash->Load16(kBase + 2 * 0x13), 0x02);  // AMD/Fujitsu standard
  Cycle(*flash, 0, 0xFF);                             // the Intel reset does nothing here
  EXPECT_EQ(flash->Load16(kBase + 2 * 0x10), 0x51);
  Cycle(*flash, 0, 0xF0);
  EXPECT_EQ(flash->Load16(kBase + 2 * 0x10), 0xFFFF);
}

TEST_F(AmdChip, OneProgrammedOverZeroSetsDq5UntilReset) {
  PutFileBytes(kBase + 0x20, {0x00, 0x00});
  auto flash = OpenSingle(1);
  Unlock(*flash);
  Cycle(*flash, 0x555, 0xA0);
  Cycle(*flash, 0x10, 0x00FF);
  flash->Load16(kBase + 0x20);  // busy
  for (int i = 0; i < 3; ++i) EXPECT_EQ(flash->Load16(kBase + 0x20) & 0x20, 0x20) << "read " << i;
  Cycle(*flash, 0, 0xFF);
  EXPECT_EQ(flash->Load16(kBase + 0x20) & 0x20, 0x20);
  Cycle(*flash, 0, 0xF0);
  EXPECT_EQ(flash->Load16(kBase + 0x20), 0x0000);
}

TEST_F(AmdChip, SectorEraseOfABootSectorErasesJustThatSector) {
  PutFileBytes(kBase, Bytes(0x10000, 0x00));
  auto flash = OpenSingle(0, test::BottomBootAmdBank(2, 1));
  Unlock(*flash);
  Cycle(*flash, 0x555, 0x80);
  Unlock(*flash);
  Cycle(*flash, 0x5000 / 2, 0x30);  // inside the first 8 KiB sector at 0x4000
  const std::uint16_t status = flash->Load16(kBase + 0x4000);
  EXPECT_EQ(status & 0x88, 0x08);  // DQ7 0, DQ3 set while erasing
  while (flash->Load16(kBase + 0x4000) != 0xFFFF) {
  }
  EXPECT_EQ(FlashBytes(*flash, kBase, 0x4000), Bytes(0x4000, 0x00));
  EXPECT_EQ(FlashBytes(*flash, kBase + 0x4000, 0x2000), Bytes(0x2000, 0xFF));
  EXPECT_EQ(FlashBytes(*flash, kBase + 0x6000, 0xA000), Bytes(0xA000, 0x00));
  EXPECT_EQ(flash->EraseCycles(kBase + 0x4000), 1u);
  EXPECT_EQ(flash->EraseCycles(kBase + 0x6000), 0u);
}

TEST_F(AmdChip, IntelCommandsChangeNothing) {
  auto flash = OpenSingle();
  Cycle(*flash, 0, 0x70);
  Cycle(*flash, 0, 0x50);
  Cycle(*flash, 0, 0x40);
  Cycle(*flash, 8, 0x0000);
  Cycle(*flash, 0, 0x20);
  Cycle(*flash, 0, 0xD0);
  Cycle(*flash, 0, 0xFF);
  EXPECT_EQ(flash->Load16(kBase + 16), 0xFFFF);
  EXPECT_EQ(flash->Stats().programs + flash->Stats().erases, 0u);
  // And the chip still takes its own sequences.
  Unlock(*flash);
  Cycle(*flash, 0x555, 0xA0);
  Cycle(*flash, 8, 0x0000);
  EXPECT_EQ(flash->Load16(kBase + 16), 0x0000);
}

}  // namespace
}  // namespace talvon::sim
