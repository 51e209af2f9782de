// The recovery console's Backup All, Restore All, OS image write and flash
// read, on a controller opened from its files.
#include "sim/controller/controller_recovery.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <sstream>

#include "flash/bin_image_builder.h"
#include "flash/flash_areas.h"
#include "flash/os_image_version.h"
#include "support/temp_dir.h"

namespace talvon::sim {
namespace {

using test::TempDir;

class RecordingProgress final : public ConsoleProgress {
 public:
  void Show(std::string_view step, std::uint64_t done, std::uint64_t total) override {
    if (steps.empty() || steps.back() != step) steps.emplace_back(step);
    if (done == total) finished.emplace_back(step);
  }
  void End() override { ++ends; }
  std::vector<std::string> steps;
  std::vector<std::string> finished;  // steps that reached their total
  int ends = 0;
};

class ControllerRecoveryTest : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string error;
    controller_ = OpenControllerFiles(scratch_.Path() / "controller", &error);
    ASSERT_NE(controller_, nullptr) << error;
  }
  std::string HostPath(const std::string& name) const { return (scratch_.Path() / name).string(); }
  std::vector<std::uint8_t> Flash() const {
    return {controller_->flash->Contents(), controller_->flash->Contents() + FlashWindowSize};
  }

  TempDir scratch_;
  std::unique_ptr<ControllerFiles> controller_;
  RecordingProgress progress_;
  std::ostringstream messages_;
  ConsoleOutput out_{progress_, messages_};
};

TEST_F(ControllerRecoveryTest, BackupThenRestoreBringsAWipedControllerBack) {
  std::string error;
  const std::string backup = HostPath("system.bak");
  ASSERT_TRUE(BackupAllToFile(*controller_, backup, out_, &error)) << error;
  EXPECT_EQ(std::filesystem::file_size(backup), SystemFlashAreaSize + 4u);
  EXPECT_EQ(progress_.finished, std::vector<std::string>{"backup"});
  const std::vector<std::uint8_t> before = Flash();

  ASSERT_TRUE(WipeOsArea(*controller_, &error)) << error;
  ASSERT_FALSE(OsAreaHoldsImage(*controller_->flash));
  ASSERT_TRUE(RestoreAllFromFile(*controller_, backup, out_, &error)) << error;
  EXPECT_TRUE(Flash() == before);
  EXPECT_EQ(progress_.finished, (std::vector<std::string>{"backup", "check", "restore"}));
  EXPECT_EQ(messages_.str(), "");
}

TEST_F(ControllerRecoveryTest, RefusedBackupsLeaveTheFlashAsItWasAndSayWhy) {
  std::string error;
  const std::vector<std::uint8_t> before = Flash();
  const auto refused = [&](const std::string& name, const std::string& bytes) {
    test::WriteFile(HostPath(name), bytes);
    error.clear();
    EXPECT_FALSE(RestoreAllFromFile(*controller_, HostPath(name), out_, &error)) << name;
    EXPECT_EQ(error.rfind(RestoreAllNgText, 0), 0u) << error;
    EXPECT_NE(error.find("The flash has not been changed."), std::string::npos) << error;
    return error;
  };
  // Zero-filled: its check bytes are zero too, but there is no OS to boot.
  std::string bytes(SystemFlashAreaSize + 4u, '\0');
  EXPECT_NE(refused("zero.bak", bytes).find("no ROM signature at 0xBCA80040"), std::string::npos) << error;
  EXPECT_NE(refused("long.bak", bytes + '\0').find("33030149 bytes long"), std::string::npos) << error;
  EXPECT_NE(refused("cut.bak", bytes.substr(0, SystemFlashAreaSize)).find("33030144 bytes long"), std::string::npos);
  bytes[SystemFlashAreaSize] = 0x01;  // check bytes that do not belong to the data
  EXPECT_NE(refused("tampered.bak", bytes).find("check bytes"), std::string::npos) << error;
  // The utility's own message for a file it cannot open.
  EXPECT_FALSE(RestoreAllFromFile(*controller_, HostPath("none.bak"), out_, &error));
  EXPECT_EQ(error, std::string(RestoreAllNgText) + " ERROR: Can't open this file!! The flash has not been changed.");
  EXPECT_TRUE(Flash() == before);
}

TEST_F(ControllerRecoveryTest, BackupToAFolderThatDoesNotExistGivesTheUtilitysMessages) {
  std::string error;
  EXPECT_FALSE(BackupAllToFile(*controller_, HostPath("no/such/folder/system.bak"), out_, &error));
  EXPECT_EQ(error, "BackupAll NG ! ERROR: Can't open File.");
  EXPECT_EQ(messages_.str(), "ERROR: Can't open File.\n");
}

TEST_F(ControllerRecoveryTest, OsImageWriteRunsThePagesStepsWithProgress) {
  const std::string image = HostPath("nk.bin");
  const std::vector<std::uint8_t> bytes =
      BuildBinImage({.version = "TalvonOS 7.0 (bench)", .size = 0x48000, .recordSize = 0x10000});
  test::WriteFile(image, std::string(bytes.begin(), bytes.end()));
  std::string error;
  ASSERT_TRUE(WriteOsImageWithProgress(*controller_, image, out_, &error)) << error;
  EXPECT_EQ(ReadOsVersion(*controller_->flash), "TalvonOS 7.0 (bench)");
  EXPECT_EQ(progress_.steps, (std::vector<std::string>{"erase", "write"}));
  EXPECT_EQ(progress_.finished.back(), "write");
}

TEST_F(ControllerRecoveryTest, OsImageWriteRefusesADamagedImageWithThePagesMessage) {
  std::vector<std::uint8_t> bytes = BuildBinImage({.version = "x", .size = 0x20000});
  bytes[15 + 12 + 100] ^= 0x01;
  test::WriteFile(HostPath("bad.bin"), std::string(bytes.begin(), bytes.end()));
  const std::vector<std::uint8_t> before = Flash();
  std::string error;
  EXPECT_FALSE(WriteOsImageWithProgress(*controller_, HostPath("bad.bin"), out_, &error));
  EXPECT_EQ(error.rfind("This bin image cannot be written: ", 0), 0u) << error;
  EXPECT_NE(error.find("The flash memory has not been changed."), std::string::npos) << error;
  EXPECT_EQ(error.find('\n'), std::string::npos);
  EXPECT_TRUE(Flash() == before);
}

TEST_F(ControllerRecoveryTest, OsImageWriteThatStopsSaysWhichRecordAndThatTheImageIsIncomplete) {
  std::string error;
  ASSERT_TRUE(AddFlashFault(*controller_, {"program", "0xBCA90000"}, &error)) << error;
  controller_.reset();  // one opener at a time
  controller_ = OpenControllerFiles(scratch_.Path() / "controller", &error);
  ASSERT_NE(controller_, nullptr) << error;
  const std::vector<std::uint8_t> bytes = BuildBinImage({.version = "y", .size = 0x30000, .recordSize = 0x10000});
  test::WriteFile(HostPath("nk.bin"), std::string(bytes.begin(), bytes.end()));
  EXPECT_FALSE(WriteOsImageWithProgress(*controller_, HostPath("nk.bin"), out_, &error));
  EXPECT_NE(error.find("Writing the OS image stopped: Record 2 could not be written to flash at 0xBCA90000"),
            std::string::npos)
      << error;
  EXPECT_NE(error.find("has not been restarted"), std::string::npos) << error;
}

TEST_F(ControllerRecoveryTest, FlashReadCopiesTheWindowAndRefusesRangesOutsideIt) {
  std::string error;
  const std::string out = HostPath("head.bin");
  ASSERT_TRUE(ReadFlashToFile(*controller_, OsImageFlashArea + 0x40, 4, out, out_, &error)) << error;
  EXPECT_EQ(test::ReadFile(out), "ECEC");  // the ROM signature dword 0x43454345
  const std::uint32_t windowEnd = FlashWindowBase + FlashWindowSize;
  EXPECT_FALSE(ReadFlashToFile(*controller_, windowEnd - 2, 4, HostPath("a"), out_, &error));
  EXPECT_FALSE(ReadFlashToFile(*controller_, FlashWindowBase - 1, 1, HostPath("b"), out_, &error));
  EXPECT_FALSE(ReadFlashToFile(*controller_, FlashWindowBase, 0, HostPath("c"), out_, &error));
  EXPECT_NE(error.find("inside the flash window"), std::string::npos) << error;
  EXPECT_FALSE(std::filesystem::exists(HostPath("a")));
}

}  // namespace
}  // namespace talvon::sim
