#include <gtest/gtest.h>

#include <numeric>

#include "flash/flash_device.h"
#include "support/flash_sim_fixture.h"

namespace talvon {
namespace {

constexpr std::uint32_t kBase = FlashWindowBase;
using Bytes = std::vector<std::uint8_t>;

Bytes Pattern(std::size_t count, std::uint8_t seed = 1) {
  Bytes bytes(count);
  std::uint32_t x = seed;
  for (auto& b : bytes) {
    x = x * 1103515245u + 12345u;
    b = static_cast<std::uint8_t>(x >> 16);
  }
  return bytes;
}

// Passes everything on to the chips and remembers the stores that went
// past the end of the window.
class WatchedWindow final : public FlashWindow {
 public:
  explicit WatchedWindow(FlashWindow& inner) : inner_(inner) {}
  std::uint8_t Load8(std::uint32_t a) override { return inner_.Load8(a); }
  std::uint16_t Load16(std::uint32_t a) override { return inner_.Load16(a); }
  std::uint32_t Load32(std::uint32_t a) override { return inner_.Load32(a); }
  void Store8(std::uint32_t a, std::uint8_t v) override { Note(a), inner_.Store8(a, v); }
  void Store16(std::uint32_t a, std::uint16_t v) override { Note(a), inner_.Store16(a, v); }
  void Store32(std::uint32_t a, std::uint32_t v) override { Note(a), inner_.Store32(a, v); }
  void CopyOut(std::uint32_t a, void* d, std::size_t n) override { inner_.CopyOut(a, d, n); }
  int storesPastTheFlash = 0;

 private:
  void Note(std::uint32_t a) { storesPastTheFlash += a >= FlashWindowBase + FlashWindowSize; }
  FlashWindow& inner_;
};

class ProgramFlashRangeTest : public test::SimFlashTest {};

TEST_F(ProgramFlashRangeTest, ProgramsAndReadsBackOnTheDefaultChips) {
  auto flash = Open(sim::DefaultFlashConfig());
  const Bytes data = Pattern(0x40000);
  ASSERT_EQ(ProgramFlashRange(*flash, kBase, OsImageFlashArea, 0x40000, data.data()), 1);
  EXPECT_EQ(FlashBytes(*flash, OsImageFlashArea, data.size()), data);
  EXPECT_EQ(flash->Stats().programs, 0x10000u);  // one 32-bit unit each
  EXPECT_EQ(flash->Stats().projectedMicroseconds, 0x10000u * 128);
  Bytes back(data.size());
  ASSERT_EQ(ReadFlashRange(*flash, kBase, OsImageFlashArea, 0x40000, back.data()), 1);
  EXPECT_EQ(back, data);
}

TEST_F(ProgramFlashRangeTest, ReadWithoutDestinationCopiesNothing) {
  auto flash = Open(sim::DefaultFlashConfig());
  EXPECT_EQ(ReadFlashRange(*flash, kBase, OsImageFlashArea, 16, nullptr), 0);
  EXPECT_EQ(flash->Stats().busCycles, 0u);
}

TEST_F(ProgramFlashRangeTest, SixByteRangePadsTheLastUnitWithWhatIsThere) {
  auto flash = Open(sim::DefaultFlashConfig());
  const Bytes data = {1, 2, 3, 4, 5, 6};
  ASSERT_EQ(ProgramFlashRange(*flash, kBase, RegistryFlashArea, 6, data.data()), 1);
  EXPECT_EQ(FlashBytes(*flash, RegistryFlashArea, 8), (Bytes{1, 2, 3, 4, 5, 6, 0xFF, 0xFF}));
  EXPECT_EQ(flash->Stats().programs, 2u);
}

// The verify covers the ragged tail too: byte 5 cannot take its value.
TEST_F(ProgramFlashRangeTest, TailByteThatDoesNotProgramFails) {
  sim::FlashConfig config;
  config.faults.stuckBits = {{RegistryFlashArea + 5, 0x01, true}};
  auto flash = Open(config);
  const Bytes data = {1, 2, 3, 4, 5, 6};
  EXPECT_EQ(ProgramFlashRange(*flash, kBase, RegistryFlashArea, 6, data.data()), 0);
}

class ProgramBothSets : public test::SimFlashTest, public ::testing::WithParamInterface<std::uint32_t> {
 protected:
  sim::FlashConfig Config(std::uint32_t chips = 2) const {
    return test::ConfigOf({test::QuickBank(GetParam(), 4, chips, 1u << 20, 64u << 10)});
  }
};

TEST_P(ProgramBothSets, ProgrammingUnerasedCellsFails) {
  PutFileBytes(kBase + 0x100, Bytes(64, 0x00));
  auto flash = Open(Config());
  const Bytes data = Pattern(64);
  EXPECT_EQ(ProgramFlashRange(*flash, kBase, kBase + 0x100, 64, data.data()), 0);
  // The chips read their array again.
  Bytes back(64);
  ASSERT_EQ(ReadFlashRange(*flash, kBase, kBase + 0x100, 64, back.data()), 1);
  EXPECT_EQ(back, FlashBytes(*flash, kBase + 0x100, 64));
}

// Bytes of the first and last unit outside the range keep what they hold,
// even when that is programmed data (an AMD chip fails a 1 over a 0).
TEST_P(ProgramBothSets, UnalignedRangeLeavesItsNeighboursAlone) {
  PutFileBytes(kBase + 0x200, {0x12, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0x34});
  auto flash = Open(Config(4));
  const Bytes data = {0xA1, 0xA2, 0xA3, 0xA4, 0xA5, 0xA6};
  ASSERT_EQ(ProgramFlashRange(*flash, kBase, kBase + 0x201, 6, data.data()), 1);
  EXPECT_EQ(FlashBytes(*flash, kBase + 0x200, 8), (Bytes{0x12, 0xA1, 0xA2, 0xA3, 0xA4, 0xA5, 0xA6, 0x34}));
}

TEST_P(ProgramBothSets, HungChipFailsInsteadOfHanging) {
  sim::FlashConfig config = Config();
  config.faults.neverReady = {{0, 0}};
  auto flash = Open(config);
  const Bytes data = Pattern(16);
  EXPECT_EQ(ProgramFlashRange(*flash, kBase, kBase, 16, data.data()), 0);
  EXPECT_LT(flash->Stats().busCycles, 10000u);
}

TEST_P(ProgramBothSets, ChipThatFinishesLaterIsWaitedFor) {
  sim::FlashConfig config = Config();
  config.banks[0].chipExtraPolls = {25, 0};
  auto flash = Open(config);
  const Bytes data = Pattern(256);
  ASSERT_EQ(ProgramFlashRange(*flash, kBase, kBase, 256, data.data()), 1);
  EXPECT_EQ(FlashBytes(*flash, kBase, 256), data);
}

TEST_P(ProgramBothSets, FailingAddressStopsTheRange) {
  sim::FlashConfig config = Config();
  config.faults.programFailures = {kBase + 9};
  auto flash = Open(config);
  const Bytes data(16, 0x00);
  EXPECT_EQ(ProgramFlashRange(*flash, kBase, kBase, 16, data.data()), 0);
  // Units before stay programmed; in the failing unit only the other chip's
  // lane took its data; nothing after it was tried.
  EXPECT_EQ(FlashBytes(*flash, kBase, 8), Bytes(8, 0x00));
  EXPECT_EQ(FlashBytes(*flash, kBase + 8, 8), (Bytes{0xFF, 0xFF, 0, 0, 0xFF, 0xFF, 0xFF, 0xFF}));
  // A failure does not stick to the chip: the next range programs.
  EXPECT_EQ(ProgramFlashRange(*flash, kBase, kBase + 0x100, 16, data.data()), 1);
}

TEST_P(ProgramBothSets, UnitCrossingIntoTheNextBankUsesThatBank) {
  // The second bank has the other command set, so a unit given the first
  // bank's command cycles would not program.
  const std::uint32_t other = GetParam() == 1 ? 2 : 1;
  auto flash = Open(test::ConfigOf({test::QuickBank(GetParam(), 4, 2, 1u << 20, 64u << 10),
                                    test::QuickBank(other, 4, 4, 512u << 10, 64u << 10)}));
  const std::uint32_t boundary = kBase + (2u << 20);
  const Bytes data = Pattern(22);
  ASSERT_EQ(ProgramFlashRange(*flash, kBase, boundary - 6, 22, data.data()), 1);
  EXPECT_EQ(FlashBytes(*flash, boundary - 6, 22), data);
  // A range that starts in the second bank finds it first.
  ASSERT_EQ(ProgramFlashRange(*flash, kBase, boundary + 0x100, 22, data.data()), 1);
  EXPECT_EQ(FlashBytes(*flash, boundary + 0x100, 22), data);
}

// The simulated window runs the unit loop compiled for its own type; any
// other window runs it through the FlashWindow role. Both must put the same
// bus cycles on the chips, also when a unit fails part way and across banks.
TEST_P(ProgramBothSets, BoundAndRoleWindowsPutTheSameCyclesOnTheChips) {
  const std::uint32_t other = GetParam() == 1 ? 2 : 1;
  sim::FlashConfig config = test::ConfigOf({test::QuickBank(GetParam(), 4, 2, 1u << 20, 64u << 10),
                                            test::QuickBank(other, 2, 1, 1u << 20, 64u << 10)});
  const std::uint32_t boundary = kBase + (2u << 20);
  config.faults.programFailures = {boundary + 0x101};
  const Bytes data = Pattern(0x300);
  struct Run {
    int first = 0, second = 0;
    std::uint64_t cycles = 0, programs = 0;
    Bytes bytes;
  };
  const auto run = [&](bool bound) {
    std::filesystem::remove(FlashFile());
    auto flash = Open(config);
    WatchedWindow role(*flash);
    FlashWindow& window = bound ? static_cast<FlashWindow&>(*flash) : role;
    Run r;
    r.first = ProgramFlashRange(window, kBase, boundary - 0x103, 0x180, data.data());
    r.second = ProgramFlashRange(window, kBase, boundary + 0x7F, 0x100, data.data());
    r.cycles = flash->Stats().busCycles;
    r.programs = flash->Stats().programs;
    r.bytes = FlashBytes(*flash, boundary - 0x200, 0x400);
    return r;
  };
  const Run bound = run(true);
  const Run role = run(false);
  EXPECT_EQ(bound.first, 1);
  EXPECT_EQ(bound.second, 0);
  EXPECT_EQ(role.first, bound.first);
  EXPECT_EQ(role.second, bound.second);
  EXPECT_EQ(role.cycles, bound.cycles);
  EXPECT_EQ(role.programs, bound.programs);
  EXPECT_EQ(role.bytes, bound.bytes);
}

INSTANTIATE_TEST_SUITE_P(IntelAndAmd, ProgramBothSets, ::testing::Values(1u, 2u),
                         [](const auto& info) { return std::string(info.param == 1 ? "Intel" : "Amd"); });

TEST_F(ProgramFlashRangeTest, RangeEndingAtTheLastBanksEndAsksNoFurther) {
  auto flash = Open(sim::DefaultFlashConfig());
  WatchedWindow window(*flash);
  const Bytes data = Pattern(8);
  const std::uint32_t end = FlashWindowBase + FlashWindowSize;
  ASSERT_EQ(ProgramFlashRange(window, kBase, end - 8, 8, data.data()), 1);
  EXPECT_EQ(window.storesPastTheFlash, 0);
}

TEST_F(ProgramFlashRangeTest, RangeOutsideTheFlashIsRefused) {
  auto flash = Open(sim::DefaultFlashConfig());
  const Bytes data = Pattern(8);
  EXPECT_EQ(ProgramFlashRange(*flash, kBase, kBase - 8, 8, data.data()), 0);
  EXPECT_EQ(ProgramFlashRange(*flash, kBase, FlashWindowBase + FlashWindowSize, 8, data.data()), 0);
  EXPECT_EQ(ProgramFlashRange(*flash, kBase, 0xFFFFFFFC, 8, data.data()), 0);
  EXPECT_EQ(flash->Stats().programs, 0u);
}

// A chip that stops in mid-word on one lane while its sibling has finished
// with data whose bit 5 is clear: only the unfinished chip's bit 5 counts.
TEST_F(ProgramFlashRangeTest, AmdChipPastItsTimeLimitEndsThePollAtOnce) {
  sim::FlashConfig config = test::ConfigOf({test::QuickBank(2, 4, 2, 1u << 20, 64u << 10)});
  config.faults.programFailures = {kBase + 2};  // chip 1's lane
  auto flash = Open(config);
  const Bytes data(4, 0x00);
  EXPECT_EQ(ProgramFlashRange(*flash, kBase, kBase, 4, data.data()), 0);
  EXPECT_LT(flash->Stats().busCycles, 200u);
  EXPECT_EQ(FlashBytes(*flash, kBase, 4), (Bytes{0x00, 0x00, 0xFF, 0xFF}));
}

TEST_F(ProgramFlashRangeTest, PowerLossMidRangeLeavesAFlashThatWorksAfterwards) {
  const Bytes data = Pattern(0x1000);
  {
    auto flash = Open(sim::DefaultFlashConfig());
    ASSERT_EQ(EraseFlashRange(*flash, kBase, RegistryFlashArea, RegistryFlashAreaSize), 1);
    flash->CutPowerAtCycle(flash->Stats().busCycles + 3000);
    EXPECT_EQ(ProgramFlashRange(*flash, kBase, RegistryFlashArea, 0x1000, data.data()), 0);
    EXPECT_TRUE(flash->PowerLost());
    EXPECT_NE(FlashBytes(*flash, RegistryFlashArea, 0x1000), data);
  }
  auto flash = Open(sim::DefaultFlashConfig());
  ASSERT_EQ(EraseFlashRange(*flash, kBase, RegistryFlashArea, RegistryFlashAreaSize), 1);
  ASSERT_EQ(ProgramFlashRange(*flash, kBase, RegistryFlashArea, 0x1000, data.data()), 1);
  EXPECT_EQ(FlashBytes(*flash, RegistryFlashArea, 0x1000), data);
}

}  // namespace
}  // namespace talvon
