// The erase and write loops of the OS image update, on simulated chips,
// without any dialog: the lines they show, what they erase and write, and
// where they stop.
#include "operations/os_image_writer.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "flash/bin_image_builder.h"
#include "flash/flash_areas.h"
#include "flash/flash_device.h"
#include "flash/os_image_version.h"
#include "support/counting_files.h"
#include "support/flash_sim_fixture.h"

namespace talvon {
namespace {

// Everything the loops show, in order.
class RecordingProgress final : public OsImageProgress {
 public:
  void SetStatusText(std::string_view line) override { lines.emplace_back(line); }
  void SetProgressStep(int step) override { steps.push_back(step); }
  void SetProgressRange(int minimum, int maximum) override { ranges.emplace_back(minimum, maximum); }
  void SetProgressPos(int position) override { positions.push_back(position); }
  void PumpOneMessage() override { ++pumps; }

  std::vector<std::string> lines;
  std::vector<int> steps;
  std::vector<std::pair<int, int>> ranges;
  std::vector<int> positions;
  int pumps = 0;
};

class OsImageWriter : public test::SimFlashTest {
 protected:
  void SetUp() override { flash_ = Open(config_); }
  OsImageFlashRoles Roles() { return {*flash_, clock_, progress_}; }

  sim::FlashConfig config_ = sim::DefaultFlashConfig();  // two 16 MiB chips: 256 KiB blocks
  std::unique_ptr<sim::SimFlash> flash_;
  VirtualClock clock_;
  RecordingProgress progress_;
  test::CountingFiles files_;
};

TEST_F(OsImageWriter, EraseLinesRunFromTheFlashBaseAndLeaveTheLeadingBlocks) {
  const std::vector<std::uint8_t> boot(0x80000, 0x5A);
  PutFileBytes(FlashWindowBase, boot);
  PutFileBytes(OsImageFlashArea, std::vector<std::uint8_t>(0x1000, 0x00));
  PutFileBytes(RegistryFlashArea, std::vector<std::uint8_t>(0x100, 0x11));
  flash_.reset();  // one opener at a time
  flash_ = Open(config_);

  EXPECT_EQ(EraseOsAreaWithProgress(Roles()), OsAreaErase::Erased);

  // One line per 256 KiB block from 0xBCA00000 up to the block at 0xBE900000.
  ASSERT_EQ(progress_.lines.size(), 125u);
  for (std::uint32_t k = 0; k < 125; ++k) {
    const std::uint32_t percent = k * 0x40000u * 100 / OsImageFlashAreaSize;
    EXPECT_EQ(progress_.lines[k], "Now Erase Flash Memory --> " + std::to_string(percent) + "% done") << k;
    EXPECT_EQ(progress_.positions[k], static_cast<int>(percent));
  }
  EXPECT_EQ(progress_.lines[0], "Now Erase Flash Memory --> 0% done");
  EXPECT_EQ(progress_.lines[1], "Now Erase Flash Memory --> 0% done");
  EXPECT_EQ(progress_.lines[2], "Now Erase Flash Memory --> 1% done");
  EXPECT_EQ(progress_.lines.back(), "Now Erase Flash Memory --> 100% done");
  EXPECT_EQ(progress_.steps, std::vector<int>{1});
  EXPECT_EQ(progress_.ranges, (std::vector<std::pair<int, int>>{{0, 100}}));
  EXPECT_EQ(progress_.pumps, 125);
  EXPECT_EQ(clock_.NowMs(), 125u * 10);

  EXPECT_EQ(FlashBytes(*flash_, FlashWindowBase, boot.size()), boot);
  EXPECT_EQ(FlashBytes(*flash_, RegistryFlashArea, 0x100), std::vector<std::uint8_t>(0x100, 0x11));
  EXPECT_EQ(flash_->EraseCycles(FlashWindowBase), 0u);
  EXPECT_EQ(flash_->EraseCycles(OsImageFlashArea), 1u);
  EXPECT_EQ(flash_->EraseCycles(RegistryFlashArea - 1), 1u);
  EXPECT_EQ(flash_->EraseCycles(RegistryFlashArea), 0u);
}

TEST_F(OsImageWriter, EraseCheckCountsEveryByteThatIsNotErased) {
  PutFileBytes(OsImageFlashArea + 0x123, {0x00, 0xFE, 0xFF, 0x7F});
  PutFileBytes(SystemFlashArea + SystemFlashAreaSize - 1, {0x00});
  PutFileBytes(FlashWindowBase, {0x00, 0x00});  // below the system area: not counted
  flash_.reset();  // one opener at a time
  flash_ = Open(config_);
  TransferBuffer transfer;
  EXPECT_EQ(CountUnerasedBytes(*flash_, transfer), 4u);
}

TEST_F(OsImageWriter, BlockThatWillNotEraseStopsTheWalk) {
  config_.faults.eraseFailures.push_back({OsImageFlashArea + 0x100000, std::nullopt});
  flash_.reset();  // one opener at a time
  flash_ = Open(config_);
  EXPECT_EQ(EraseOsAreaWithProgress(Roles()), OsAreaErase::Stopped);
  EXPECT_EQ(progress_.lines.size(), 7u);  // two leading blocks, four erased, the failing one
}

TEST_F(OsImageWriter, NoFlashAnswerAtTheBaseErasesNothing) {
  config_.faults.noCfi.push_back({0, 0});
  flash_.reset();  // one opener at a time
  flash_ = Open(config_);
  EXPECT_EQ(EraseOsAreaWithProgress(Roles()), OsAreaErase::NoFlashInfo);
  EXPECT_TRUE(progress_.lines.empty());
}

TEST_F(OsImageWriter, BlocksReachingBelowTheAreaAreNeverErased) {
  // Two 64 MiB chips with 1 MiB interleaved blocks: the first block holds
  // the leading 512 KiB and the start of the OS image area.
  config_.banks = {test::QuickBank(1, 4, 2, 16u << 20, 512u << 10)};
  const std::vector<std::uint8_t> boot(0x80000, 0x5A);
  PutFileBytes(FlashWindowBase, boot);
  flash_.reset();  // one opener at a time
  flash_ = Open(config_);
  EXPECT_EQ(EraseOsAreaWithProgress(Roles()), OsAreaErase::BlocksCrossArea);
  EXPECT_EQ(FlashBytes(*flash_, FlashWindowBase, boot.size()), boot);
  EXPECT_EQ(flash_->Stats().erases, 0u);  // refused before any block
}

TEST_F(OsImageWriter, BlocksReachingIntoTheRegistryAreaRefuseTheWholeErase) {
  // Four 8-bit chips with 512 KiB interleaved blocks: one block holds the
  // last 256 KiB of the OS image area and the first of the registry area.
  config_.banks = {test::QuickBank(1, 4, 4, 8u << 20, 128u << 10)};
  const std::vector<std::uint8_t> registry(0x40000, 0x5A);
  PutFileBytes(RegistryFlashArea, registry);
  flash_.reset();
  flash_ = Open(config_);
  EXPECT_EQ(EraseOsAreaWithProgress(Roles()), OsAreaErase::BlocksCrossArea);
  EXPECT_EQ(FlashBytes(*flash_, RegistryFlashArea, registry.size()), registry);
  EXPECT_EQ(flash_->Stats().erases, 0u);
}

class OsImageRecords : public OsImageWriter {
 protected:
  void SetUp() override {
    OsImageWriter::SetUp();
    ASSERT_EQ(EraseFlashRange(*flash_, FlashWindowBase, OsImageFlashArea, 0x100000), 1);
  }
  OsImageWriteResult Write(const std::vector<std::uint8_t>& image) {
    files_.Put("\\nk.bin", image);
    auto file = files_.Open("\\nk.bin", "rb");
    return WriteOsImageRecords(Roles(), *file);
  }
};

TEST_F(OsImageRecords, EachRecordShowsTheCumulativePercentageThenTheFinalLine) {
  // 0x28000 bytes in records of 0x9000: 22%, 45%, 67%, 90%, 100%.
  const BinImageOptions options{.version = "TalvonOS 8.1", .imageStart = 0x8C000000, .size = 0x28000,
                                .recordSize = 0x9000};
  const OsImageWriteResult result = Write(BuildBinImage(options));
  EXPECT_EQ(result.outcome, OsImageWriteResult::Outcome::Written);
  EXPECT_EQ(progress_.lines, (std::vector<std::string>{
                                 "Now Write Flash Memory --> 22% done", "Now Write Flash Memory --> 45% done",
                                 "Now Write Flash Memory --> 67% done", "Now Write Flash Memory --> 90% done",
                                 "Now Write Flash Memory --> 100% done", "Now Write Flash Memory --> 100% done"}));
  EXPECT_EQ(progress_.positions, (std::vector<int>{22, 45, 67, 90, 100, 100}));
  EXPECT_EQ(progress_.pumps, 6);
  EXPECT_EQ(clock_.NowMs(), 60u);

  std::vector<std::uint8_t> expected(0x28000);
  FillOsImageContent(options, 0, expected);
  EXPECT_EQ(FlashBytes(*flash_, OsImageFlashArea, expected.size()), expected);
  EXPECT_EQ(ReadOsVersion(*flash_), "TalvonOS 8.1");
}

TEST_F(OsImageRecords, RecordsLandRelativeToTheImageStartWhateverTheirOrder) {
  std::vector<std::uint8_t> image;
  AppendBinHeader(image, 0x80000000, 0x20000);
  const std::vector<std::uint8_t> high(0x100, 0xA1), low(0x80, 0x3C);
  AppendBinRecord(image, 0x80010000, high);
  AppendBinRecord(image, 0x80000000, low);
  AppendBinEndRecord(image, 0x80001000);
  image.resize(image.size() + 64, 0x77);  // ignored after the end record
  EXPECT_EQ(Write(image).outcome, OsImageWriteResult::Outcome::Written);
  EXPECT_EQ(FlashBytes(*flash_, OsImageFlashArea + 0x10000, 0x100), high);
  EXPECT_EQ(FlashBytes(*flash_, OsImageFlashArea, 0x80), low);
  EXPECT_EQ(progress_.lines.front(), "Now Write Flash Memory --> 0% done");  // 0x100 * 100 / 0x20000
}

TEST_F(OsImageRecords, ChecksumMismatchStopsBeforeThatRecordIsWritten) {
  std::vector<std::uint8_t> image = BuildBinImage({.version = "", .imageStart = 0x80000000, .size = 0x3000, .recordSize = 0x1000});
  image[15 + 2 * (12 + 0x1000) + 12 + 5] ^= 0x01;  // third record's data
  const OsImageWriteResult result = Write(image);
  EXPECT_EQ(result.outcome, OsImageWriteResult::Outcome::FileFailed);
  EXPECT_NE(result.problem.find("Record 3 checksum"), std::string::npos) << result.problem;
  EXPECT_EQ(progress_.lines.size(), 2u);  // the last percentage stays
  EXPECT_EQ(FlashBytes(*flash_, OsImageFlashArea + 0x2000, 0x1000), std::vector<std::uint8_t>(0x1000, 0xFF));
}

TEST_F(OsImageRecords, RecordThatWillNotProgramIsTriedSixTimesAndEndsTheWrite) {
  config_.faults.programFailures.push_back(OsImageFlashArea + 0x1804);
  flash_.reset();  // one opener at a time
  flash_ = Open(config_);
  const OsImageWriteResult result =
      Write(BuildBinImage({.version = "", .imageStart = 0x80000000, .size = 0x3000, .recordSize = 0x1000}));
  EXPECT_EQ(result.outcome, OsImageWriteResult::Outcome::ProgramFailed);
  EXPECT_EQ(result.record.number, 2u);
  EXPECT_EQ(result.record.flashAddress, OsImageFlashArea + 0x1000);
  ASSERT_EQ(progress_.lines.size(), 3u);
  EXPECT_EQ(progress_.lines.back(), "ERROR: Flash failed");
  EXPECT_EQ(FlashBytes(*flash_, OsImageFlashArea + 0x2000, 0x1000), std::vector<std::uint8_t>(0x1000, 0xFF));
}

}  // namespace
}  // namespace talvon
