// A bank of alike chips runs one model for all of them while they are in
// step, and the driver's unit loop on its own bus cycles. Both must be
// invisible: each case runs the same bus cycles on that flash and on a
// reference, the same chips each with its own model (a program fault at a
// word no case touches keeps them apart) reached one virtual bus cycle at a
// time, and compares every load, the cells, the counters and the wear.
#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <random>
#include <string>
#include <utility>
#include <vector>

#include "flash/flash_device.h"
#include "flash/shared_unit_loop.h"
#include "sim/flash/flash_bank.h"
#include "support/flash_sim_fixture.h"

namespace talvon::sim {
namespace {

constexpr std::uint32_t kBase = FlashWindowBase;
constexpr std::uint32_t kBlock = 64u << 10;

// The simulated window seen through the FlashWindow role only, so that the
// driver takes its general loop with a virtual call per bus cycle.
class PlainWindow final : public FlashWindow {
 public:
  explicit PlainWindow(SimFlash& flash) : flash_(flash) {}
  std::uint8_t Load8(std::uint32_t a) override { return flash_.Load8(a); }
  std::uint16_t Load16(std::uint32_t a) override { return flash_.Load16(a); }
  std::uint32_t Load32(std::uint32_t a) override { return flash_.Load32(a); }
  void Store8(std::uint32_t a, std::uint8_t v) override { flash_.Store8(a, v); }
  void Store16(std::uint32_t a, std::uint16_t v) override { flash_.Store16(a, v); }
  void Store32(std::uint32_t a, std::uint32_t v) override { flash_.Store32(a, v); }
  void CopyOut(std::uint32_t a, void* d, std::size_t n) override { flash_.CopyOut(a, d, n); }

 private:
  SimFlash& flash_;
};

// A whole window for a bank whose runs never leave it.
class NoOtherCycles final : public FlashWindow {
 public:
  std::uint8_t Load8(std::uint32_t) override { return Unexpected(); }
  std::uint16_t Load16(std::uint32_t) override { return Unexpected(); }
  std::uint32_t Load32(std::uint32_t) override { return Unexpected(); }
  void Store8(std::uint32_t, std::uint8_t) override { Unexpected(); }
  void Store16(std::uint32_t, std::uint16_t) override { Unexpected(); }
  void Store32(std::uint32_t, std::uint32_t) override { Unexpected(); }
  void CopyOut(std::uint32_t, void*, std::size_t) override { Unexpected(); }

 private:
  static std::uint8_t Unexpected() {
    ADD_FAILURE() << "a cycle outside the bank";
    return 0xFF;
  }
};

struct BankCase {
  const char* name;
  std::uint32_t commandSet;
  std::uint32_t busWidth;
  std::uint32_t chips;
};

class ChipsInStep : public ::testing::TestWithParam<BankCase> {
 protected:
  void SetUp() override {
    const BankCase& c = GetParam();
    bank_ = test::QuickBank(c.commandSet, c.busWidth, c.chips, 1u << 20, kBlock);
    bank_.programPolls = 3;  // long enough to see a few status reads of every kind
    bank_.erasePolls = 5;
    bankSize_ = FlashBankSize(bank_);
    FlashConfig config = test::ConfigOf({bank_});
    std::string error;
    fast_ = SimFlash::Open(dir_.Path() / "fast.bin", config, &error);
    ASSERT_NE(fast_, nullptr) << error;
    config.faults.programFailures = {kBase + bankSize_ - c.busWidth};
    reference_ = SimFlash::Open(dir_.Path() / "reference.bin", config, &error);
    ASSERT_NE(reference_, nullptr) << error;
    plain_ = std::make_unique<PlainWindow>(*reference_);
  }

  // Both flashes alike: cells, counters, wear of every block.
  void ExpectAlike() {
    const std::uint8_t* a = fast_->Contents();
    const std::uint8_t* b = reference_->Contents();
    EXPECT_EQ(std::memcmp(a, b, bankSize_), 0) << "cells differ first at byte " << FirstDifference(a, b);
    EXPECT_EQ(fast_->Stats().busCycles, reference_->Stats().busCycles);
    EXPECT_EQ(fast_->Stats().programs, reference_->Stats().programs);
    EXPECT_EQ(fast_->Stats().erases, reference_->Stats().erases);
    EXPECT_EQ(fast_->Stats().projectedMicroseconds, reference_->Stats().projectedMicroseconds);
    for (std::uint32_t at = 0; at < bankSize_; at += kBlock * bank_.chips) {
      EXPECT_EQ(fast_->EraseCycles(kBase + at), reference_->EraseCycles(kBase + at)) << "block at " << at;
    }
  }
  std::size_t FirstDifference(const std::uint8_t* a, const std::uint8_t* b) const {
    std::size_t i = 0;
    while (i < bankSize_ && a[i] == b[i]) ++i;
    return i;
  }

  // Erases [start, start + length) and programs `data` there on both.
  void EraseAndProgram(std::uint32_t start, const std::vector<std::uint8_t>& data) {
    const std::uint32_t blockBytes = kBlock * bank_.chips;
    const std::uint32_t first = (start - kBase) / blockBytes * blockBytes;
    const std::uint32_t end = (start - kBase + static_cast<std::uint32_t>(data.size()) + blockBytes - 1) /
                              blockBytes * blockBytes;
    EXPECT_EQ(EraseFlashRange(*fast_, kBase, kBase + first, end - first),
              EraseFlashRange(*plain_, kBase, kBase + first, end - first));
    Program(start, data);
  }
  void Program(std::uint32_t start, const std::vector<std::uint8_t>& data) {
    const auto length = static_cast<std::uint32_t>(data.size());
    EXPECT_EQ(ProgramFlashRange(*fast_, kBase, start, length, data.data()),
              ProgramFlashRange(*plain_, kBase, start, length, data.data()));
  }

  // One store of the bus width on both.
  void Store(std::uint32_t address, std::uint32_t value) {
    if (bank_.busWidth == 2) {
      fast_->Store16(address & ~1u, static_cast<std::uint16_t>(value));
      reference_->Store16(address & ~1u, static_cast<std::uint16_t>(value));
    } else if (bank_.busWidth == 1) {
      fast_->Store8(address, static_cast<std::uint8_t>(value));
      reference_->Store8(address, static_cast<std::uint8_t>(value));
    } else {
      fast_->Store32(address & ~3u, value);
      reference_->Store32(address & ~3u, value);
    }
  }

  // Random bytes, the same for a given seed.
  static std::vector<std::uint8_t> Noise(std::size_t n, std::uint32_t seed) {
    std::mt19937 random(seed);
    std::vector<std::uint8_t> bytes(n);
    for (auto& b : bytes) b = static_cast<std::uint8_t>(random());
    return bytes;
  }

  test::TempDir dir_;
  FlashBankConfig bank_;
  std::uint32_t bankSize_ = 0;
  std::unique_ptr<SimFlash> fast_;
  std::unique_ptr<SimFlash> reference_;
  std::unique_ptr<PlainWindow> plain_;
};

TEST_P(ChipsInStep, ProgrammingRangesEndsAlike) {
  // Ragged ends, then a second program over the first: on AMD chips a 1 over
  // a 0 fails in some lanes only, which sets the chips apart; the next erase
  // and program bring them back in step.
  const std::vector<std::uint8_t> first = Noise(3 * kBlock + 7, 1);
  EraseAndProgram(kBase + 3, first);
  ExpectAlike();
  Program(kBase + 0x100, Noise(64, 2));
  ExpectAlike();
  EraseAndProgram(kBase + 2 * kBlock, Noise(kBlock, 3));
  ExpectAlike();
}

TEST_P(ChipsInStep, AnyBusCyclesAnswerAlike) {
  const std::uint32_t w = bank_.busWidth;
  const std::uint32_t repeat = bank_.chips == 1 ? 1 : w == 2 ? 0x0101u : bank_.chips == 2 ? 0x00010001u : 0x01010101u;
  const std::uint32_t codes[] = {0xFF, 0x70, 0x50, 0x40, 0x10, 0x20, 0xD0, 0x90, 0x98,
                                 0xAA, 0x55, 0xA0, 0x80, 0x30, 0xF0, 0x00, 0x01};
  const std::uint32_t words[] = {0, 1, 0x55, 0x2AA, 0x555, 0x1000, 0x2000 + 7, 3 * kBlock / w};
  std::mt19937 random(42);
  auto pick = [&](std::uint32_t n) { return static_cast<std::uint32_t>(random() % n); };
  for (int i = 0; i < 40000; ++i) {
    const std::uint32_t address = kBase + words[pick(8)] * w + (pick(8) == 0 ? pick(w) : 0);
    const std::uint32_t code = codes[pick(17)];
    std::uint32_t value = code * repeat;
    if (pick(6) == 0) value = static_cast<std::uint32_t>(random());  // data, or lanes that differ
    switch (pick(11)) {
      case 0: {
        const std::uint32_t at = kBase + pick(4) * kBlock;
        Program(at + pick(16), Noise(1 + pick(40), i));
        break;
      }
      case 10: {
        // The cycles that start a program or an erase, then their status.
        const std::uint32_t go = pick(3) == 0 ? (bank_.commandSet == 1 ? 0x20 : 0x80) : (bank_.commandSet == 1 ? 0x40 : 0xA0);
        std::vector<std::pair<std::uint32_t, std::uint32_t>> cycles;
        if (bank_.commandSet == 2) cycles = {{0x555, 0xAA}, {0x2AA, 0x55}, {0x555, go}};
        if (bank_.commandSet == 2 && go == 0x80) cycles.insert(cycles.end(), {{0x555, 0xAA}, {0x2AA, 0x55}});
        if (bank_.commandSet == 1) cycles = {{0, go}};
        const std::uint32_t target = words[pick(8)];
        for (auto [word, code] : cycles) Store(kBase + word * w, code * repeat);
        Store(target * w + kBase, go == 0x20 ? 0xD0 * repeat : go == 0x80 ? 0x30 * repeat : value);
        for (std::uint32_t k = pick(8); k > 0; --k) {
          ASSERT_EQ(fast_->Load32(kBase + (target * w & ~3u)), reference_->Load32(kBase + (target * w & ~3u)))
              << "cycle " << i;
        }
        break;
      }
      case 1:
        fast_->Store8(address, static_cast<std::uint8_t>(value));
        reference_->Store8(address, static_cast<std::uint8_t>(value));
        break;
      case 2:
      case 3:
      case 4:
        ASSERT_EQ(fast_->Load32(address & ~3u), reference_->Load32(address & ~3u)) << "cycle " << i;
        break;
      case 5:
        ASSERT_EQ(fast_->Load8(address), reference_->Load8(address)) << "cycle " << i;
        break;
      default: Store(address, value); break;
    }
  }
  ExpectAlike();
}

TEST_P(ChipsInStep, PowerFailingAnywhereInAProgramOrAnEraseLeavesTheSameCells) {
  FlashGeometry geometry;
  if (!QueryFlashGeometry(*fast_, kBase, &geometry)) GTEST_SKIP() << "the driver does not find these chips";
  QueryFlashGeometry(*plain_, kBase, &geometry);
  EraseAndProgram(kBase, Noise(2 * kBlock, 5));
  const std::uint64_t start = fast_->Stats().busCycles;
  ASSERT_EQ(start, reference_->Stats().busCycles);
  // A cut at each cycle of a few units in the middle of a range program, on
  // copies of the flashes as they are now; then one during an erase.
  const std::vector<std::uint8_t> data = Noise(kBlock, 6);
  const std::uint32_t blank = kBase + 4 * kBlock * bank_.chips;
  for (std::uint64_t offset = 1000; offset < 1024; ++offset) {
    std::string error;
    const auto fast = dir_.Path() / ("fast-" + std::to_string(offset));
    const auto reference = dir_.Path() / ("reference-" + std::to_string(offset));
    std::filesystem::copy_file(dir_.Path() / "fast.bin", fast);
    std::filesystem::copy_file(dir_.Path() / "reference.bin", reference);
    FlashConfig config = test::ConfigOf({bank_});
    auto a = SimFlash::Open(fast, config, &error);
    config.faults.programFailures = {kBase + bankSize_ - bank_.busWidth};
    auto b = SimFlash::Open(reference, config, &error);
    ASSERT_TRUE(a && b) << error;
    a->CutPowerAtCycle(offset);
    b->CutPowerAtCycle(offset);
    PlainWindow plain(*b);
    EXPECT_EQ(ProgramFlashRange(*a, kBase, blank, kBlock, data.data()),
              ProgramFlashRange(plain, kBase, blank, kBlock, data.data()));
    EXPECT_TRUE(a->PowerLost());
    EXPECT_EQ(std::memcmp(a->Contents(), b->Contents(), bankSize_), 0) << "cut at cycle " << offset;
    EXPECT_EQ(a->Stats().busCycles, b->Stats().busCycles);
  }
  fast_->CutPowerAtCycle(start + 20);
  reference_->CutPowerAtCycle(start + 20);
  EXPECT_EQ(EraseFlashRange(*fast_, kBase, kBase, kBlock * bank_.chips),
            EraseFlashRange(*plain_, kBase, kBase, kBlock * bank_.chips));
  EXPECT_TRUE(fast_->PowerLost());
  EXPECT_EQ(std::memcmp(fast_->Contents(), reference_->Contents(), bankSize_), 0);
}

// The steps a word program takes on chips in step (the steppers'
// ProgramStep) are tried on the commands the unit loop spells as constants,
// which only an optimised build knows as such. Here a bank tries them on
// every store of its runs, and each run must answer, count and program as
// the separate chips do one cycle at a time.
TEST_P(ChipsInStep, ProgramStepsOfRunsMatchTheModelsCycles) {
  FlashGeometry geometry;
  if (!QueryFlashGeometry(*plain_, kBase, &geometry)) GTEST_SKIP() << "the driver does not find these chips";
  FlashUnitRun run;
  ASSERT_TRUE(flash_unit::MakeUnitBus(geometry, &run.bus));
  run.commandSet = geometry.commandSet;
  run.bankBase = kBase;
  reference_->ResetStats();
  std::vector<std::uint8_t> cells(bankSize_, 0xFF);
  FlashStats stats;
  const std::unique_ptr<FlashBank> bank = MakeFlashBank(test::ConfigOf({bank_}), 0, 0, cells.data(), &stats);
  const std::uint64_t noCut = ~std::uint64_t{0};
  NoOtherCycles outside;
  const BusMeter meter{&stats.busCycles, &noCut, &outside, true};
  // A range, then part of it again: on AMD chips a 1 over a 0 fails in some
  // lanes and sets the chips apart, and the run stops there on both.
  const std::vector<std::uint8_t> first = Noise(kBlock, 7);
  const std::vector<std::uint8_t> second = Noise(kBlock / 4, 8);
  for (const auto& [at, data] : {std::pair{kBase + 0x40, &first}, std::pair{kBase + 0x400, &second}}) {
    run.at = at;
    run.count = static_cast<std::uint32_t>(data->size()) / bank_.busWidth;
    run.source = data->data();
    EXPECT_EQ(bank->ProgramUnits(run, meter), flash_unit::ProgramUnits(*plain_, run)) << "run at " << at;
    EXPECT_EQ(std::memcmp(cells.data(), reference_->Contents(), bankSize_), 0)
        << "cells differ first at byte " << FirstDifference(cells.data(), reference_->Contents());
    EXPECT_EQ(stats.busCycles, reference_->Stats().busCycles);
    EXPECT_EQ(stats.programs, reference_->Stats().programs);
    EXPECT_EQ(stats.projectedMicroseconds, reference_->Stats().projectedMicroseconds);
  }
}

INSTANTIATE_TEST_SUITE_P(Banks, ChipsInStep,
                         ::testing::Values(BankCase{"IntelTwoX16", 1, 4, 2}, BankCase{"IntelFourX8", 1, 4, 4},
                                           BankCase{"IntelTwoX8", 1, 2, 2}, BankCase{"IntelOneX16", 1, 2, 1},
                                           BankCase{"AmdTwoX16", 2, 4, 2}, BankCase{"AmdFourX8", 2, 4, 4},
                                           BankCase{"AmdTwoX8", 2, 2, 2}),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace talvon::sim
