#include "flash/image_files.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

#include "flash/flash_areas.h"
#include "flash/flash_device.h"
#include "support/counting_files.h"
#include "support/flash_sim_fixture.h"
#include "support/recording_message_boxes.h"

namespace talvon {
namespace {

using Bytes = std::vector<std::uint8_t>;
using Shown = test_support::RecordingMessageBoxes::Shown;

constexpr char kDump[] = "\\CompactFlash\\Velmar\\Tools\\BackUp.REG";
constexpr char kBackup[] = "\\CompactFlash\\T5x5x_Backup.bak";

Bytes Pattern(std::size_t count, std::uint32_t seed) {
  Bytes bytes(count);
  std::uint32_t x = seed | 1;
  for (auto& byte : bytes) {
    x ^= x << 13, x ^= x >> 17, x ^= x << 5;
    byte = static_cast<std::uint8_t>(x);
  }
  return bytes;
}

// The check bytes worked out the plain way: ck folds every byte at offset k mod 4.
Bytes CheckBytesOf(const Bytes& data) {
  Bytes check(4, 0);
  for (std::size_t i = 0; i < data.size(); ++i) check[i % 4] ^= data[i];
  return check;
}

Bytes BackupFileOf(const Bytes& systemArea) {
  Bytes file = systemArea;
  const Bytes check = CheckBytesOf(systemArea);
  file.insert(file.end(), check.begin(), check.end());
  return file;
}

class ImageFilesTest : public test::SimFlashTest {
 protected:
  // The card holds the folders the files go into.
  void SetUp() override { std::filesystem::create_directories(files.HostPath("\\CompactFlash\\Velmar\\Tools")); }
  void OpenFlash(const sim::FlashConfig& config = sim::DefaultFlashConfig()) { flash = Open(config); }
  ImageFileContext Context() { return {files, *flash, messages, transfer}; }
  Bytes SystemArea() const { return FlashBytes(*flash, SystemFlashArea, SystemFlashAreaSize); }
  Bytes RegistryArea() const { return FlashBytes(*flash, RegistryFlashArea, RegistryFlashAreaSize); }
  void TearDown() override { EXPECT_EQ(files.stillOpen(), 0) << "a file was left open"; }

  test_support::CountingFiles files;
  test_support::RecordingMessageBoxes messages;
  TransferBuffer transfer;
  std::unique_ptr<sim::SimFlash> flash;
};

sim::FlashConfig EraseFailsAt(std::uint32_t address) {
  sim::FlashConfig config = sim::DefaultFlashConfig();
  sim::FlashEraseFailure failure;
  failure.address = address;
  config.faults.eraseFailures.push_back(failure);
  return config;
}

sim::FlashConfig ProgramFailsAt(std::uint32_t address) {
  sim::FlashConfig config = sim::DefaultFlashConfig();
  config.faults.programFailures.push_back(address);
  return config;
}

// --- Whole-system backup -------------------------------------------------

using BackupAll = ImageFilesTest;

TEST_F(BackupAll, ErasedFlashGivesZeroCheckBytes) {
  OpenFlash();
  ASSERT_EQ(BackupAllFile(Context(), kBackup), 0);
  EXPECT_TRUE(messages.shown.empty());
  const Bytes file = files.Get(kBackup);
  ASSERT_EQ(file.size(), 0x1F80004u);
  EXPECT_EQ(Bytes(file.end() - 4, file.end()), Bytes(4, 0x00));
  EXPECT_EQ(std::count(file.begin(), file.end() - 4, 0xFF), 0x1F80000);
}

TEST_F(BackupAll, FileHoldsTheSystemAreaAndItsCheckBytes) {
  const Bytes system = Pattern(SystemFlashAreaSize, 7);
  PutFileBytes(FlashWindowBase, Bytes(0x80000, 0x11));  // the leading area is never part of it
  PutFileBytes(SystemFlashArea, system);
  OpenFlash();
  ASSERT_EQ(BackupAllFile(Context(), kBackup), 0);
  EXPECT_EQ(files.Get(kBackup), BackupFileOf(system));
  EXPECT_EQ(flash->Stats().erases + flash->Stats().programs, 0u);
}

TEST_F(BackupAll, FailuresAreReportedAndTheFileClosed) {
  OpenFlash();
  EXPECT_EQ(BackupAllFile(Context(), "\\NoSuchCard\\x.bak"), -1);
  files.writeLimit = 0x1000;  // card full in the data
  EXPECT_EQ(BackupAllFile(Context(), kBackup), -1);
  files.writeLimit = SystemFlashAreaSize + 2;  // card full in the check bytes
  EXPECT_EQ(BackupAllFile(Context(), kBackup), -1);
  files.writeLimit = ~std::size_t{0};
  files.failClose = true;  // the last buffered bytes never reach the card
  EXPECT_EQ(BackupAllFile(Context(), kBackup), -1);
  EXPECT_EQ(messages.shown, (std::vector<Shown>{{"ERROR: Can't open File.", 16},
                                                {"ERROR: All system write dumpfile failed.", 16},
                                                {"ERROR: write CheckSUM to dumpfile failed.", 16},
                                                {"ERROR: All system write dumpfile failed.", 16}}));
}

// --- Verifying and restoring it ------------------------------------------

using RestoreAll = ImageFilesTest;

TEST_F(RestoreAll, RoundTripRestoresTheSystemAreaOnly) {
  const Bytes system = Pattern(SystemFlashAreaSize, 3);
  files.Put(kBackup, BackupFileOf(system));
  const Bytes leading = Pattern(0x80000, 9);
  PutFileBytes(FlashWindowBase, leading);
  PutFileBytes(SystemFlashArea, Pattern(SystemFlashAreaSize, 5));
  OpenFlash();
  ASSERT_EQ(RestoreAllFile(Context(), kBackup), 0);
  EXPECT_TRUE(messages.shown.empty());
  EXPECT_EQ(SystemArea(), system);
  EXPECT_EQ(FlashBytes(*flash, FlashWindowBase, 0x80000), leading);
}

TEST_F(RestoreAll, TamperedBackupLeavesFlashUntouched) {
  const Bytes system = Pattern(SystemFlashAreaSize, 11);
  Bytes file = BackupFileOf(system);
  const Bytes goodCheck = CheckBytesOf(system);
  file[5] ^= 0x5A;
  const Bytes tamperedCheck = CheckBytesOf(Bytes(file.begin(), file.end() - 4));
  EXPECT_EQ(tamperedCheck[0], goodCheck[0]);
  EXPECT_NE(tamperedCheck[1], goodCheck[1]);
  EXPECT_EQ(tamperedCheck[2], goodCheck[2]);
  EXPECT_EQ(tamperedCheck[3], goodCheck[3]);
  files.Put(kBackup, file);
  PutFileBytes(SystemFlashArea, Pattern(SystemFlashAreaSize, 13));
  OpenFlash();
  const Bytes before = SystemArea();

  EXPECT_EQ(VerifyBackupAllFile(files, transfer, kBackup), -1);
  EXPECT_EQ(RestoreAllFile(Context(), kBackup), -1);
  EXPECT_TRUE(messages.shown.empty());
  EXPECT_EQ(flash->Stats().erases + flash->Stats().programs, 0u);
  EXPECT_EQ(SystemArea(), before);
}

TEST_F(RestoreAll, ShortOrEmptyBackupsFailTheCheckAndTouchNothing) {
  OpenFlash();
  files.Put(kBackup, {});
  EXPECT_EQ(VerifyBackupAllFile(files, transfer, kBackup), -1);
  EXPECT_EQ(RestoreAllFile(Context(), kBackup), -1);
  files.Put(kBackup, Bytes(SystemFlashAreaSize - 1, 0xFF));
  EXPECT_EQ(VerifyBackupAllFile(files, transfer, kBackup), -1);
  EXPECT_EQ(RestoreAllFile(Context(), kBackup), -1);
  EXPECT_TRUE(messages.shown.empty());
  EXPECT_EQ(flash->Stats().erases + flash->Stats().programs, 0u);
}

TEST_F(RestoreAll, BackupWithoutCheckBytesPassesOnlyWhenItsDataFoldsToZero) {
  Bytes data(SystemFlashAreaSize, 0xFF);  // folds to 0 0 0 0
  files.Put(kBackup, data);
  EXPECT_EQ(VerifyBackupAllFile(files, transfer, kBackup), 0);
  data[3] = 0x7F;
  files.Put(kBackup, data);
  EXPECT_EQ(VerifyBackupAllFile(files, transfer, kBackup), -1);
  EXPECT_EQ(files.stillOpen(), 0);
}

TEST_F(RestoreAll, MissingFileIsReportedAndFlashUntouched) {
  OpenFlash();
  EXPECT_EQ(VerifyBackupAllFile(files, transfer, kBackup), 0);  // left for the restore's own open to report
  EXPECT_EQ(RestoreAllFile(Context(), kBackup), -1);
  EXPECT_EQ(messages.shown, (std::vector<Shown>{{"ERROR: Can't open this file!!", 16}}));
  EXPECT_EQ(flash->Stats().erases, 0u);
}

TEST_F(RestoreAll, EraseFailureIsReported) {
  files.Put(kBackup, BackupFileOf(Bytes(SystemFlashAreaSize, 0x00)));
  OpenFlash(EraseFailsAt(SystemFlashArea + 0x40000));
  EXPECT_EQ(RestoreAllFile(Context(), kBackup), -1);
  EXPECT_EQ(messages.shown, (std::vector<Shown>{{"ERROR: Allsystem clear failed.", 16}}));
  EXPECT_EQ(flash->Stats().programs, 0u);
}

TEST_F(RestoreAll, ProgramFailureIsReported) {
  files.Put(kBackup, BackupFileOf(Bytes(SystemFlashAreaSize, 0x00)));
  OpenFlash(ProgramFailsAt(SystemFlashArea + 0x100));
  EXPECT_EQ(RestoreAllFile(Context(), kBackup), -1);
  EXPECT_EQ(messages.shown, (std::vector<Shown>{{"ERROR: Allsystem write flash failed.", 16}}));
}

// --- Registry dump file --------------------------------------------------

using RegistryFile = ImageFilesTest;

TEST_F(RegistryFile, DumpThenRestoreRoundTrip) {
  const Bytes registry = Pattern(RegistryFlashAreaSize, 21);
  PutFileBytes(RegistryFlashArea, registry);
  const Bytes os = Pattern(0x1000, 23);
  PutFileBytes(RegistryFlashArea - os.size(), os);
  OpenFlash();
  ASSERT_EQ(DumpRegistryFile(Context(), kDump), 0);
  EXPECT_EQ(files.Get(kDump), registry);

  ASSERT_EQ(EraseFlashRange(*flash, FlashWindowBase, RegistryFlashArea, RegistryFlashAreaSize), 1);
  ASSERT_EQ(RestoreRegistryFile(Context(), kDump), 0);
  EXPECT_EQ(RegistryArea(), registry);
  EXPECT_EQ(FlashBytes(*flash, RegistryFlashArea - os.size(), os.size()), os);
  EXPECT_EQ(messages.shown, (std::vector<Shown>{{"Registry dump to dumpfile successed.", 64},
                                                {"Registry restore from dumpfile successed.", 64}}));
}

TEST_F(RegistryFile, RestoreUsesTheFirstAreaSizeBytesOfALongerFile) {
  Bytes file = Pattern(RegistryFlashAreaSize + 100, 31);
  files.Put(kDump, file);
  OpenFlash();
  ASSERT_EQ(RestoreRegistryFile(Context(), kDump), 0);
  file.resize(RegistryFlashAreaSize);
  EXPECT_EQ(RegistryArea(), file);
}

TEST_F(RegistryFile, ShortOrMissingDumpLeavesFlashUntouched) {
  PutFileBytes(RegistryFlashArea, Pattern(RegistryFlashAreaSize, 41));
  OpenFlash();
  const Bytes before = RegistryArea();
  files.Put(kDump, Bytes(0xBFFFF, 0x00));
  EXPECT_EQ(RestoreRegistryFile(Context(), kDump), -1);
  EXPECT_EQ(RestoreRegistryFile(Context(), "\\CompactFlash\\none.REG"), -1);
  EXPECT_EQ(messages.shown, (std::vector<Shown>{{"Registry read from dumpfile failed.", 16},
                                                {"Can't open the dumpfile", 16}}));
  EXPECT_EQ(flash->Stats().erases + flash->Stats().programs, 0u);
  EXPECT_EQ(RegistryArea(), before);
}

TEST_F(RegistryFile, DumpFailuresAreReported) {
  OpenFlash();
  EXPECT_EQ(DumpRegistryFile(Context(), "\\NoSuchCard\\BackUp.REG"), -1);
  files.writeLimit = 0x1000;
  EXPECT_EQ(DumpRegistryFile(Context(), kDump), -1);
  files.writeLimit = ~std::size_t{0};
  files.failClose = true;  // a dump that never reached the card is not reported as done
  EXPECT_EQ(DumpRegistryFile(Context(), kDump), -1);
  EXPECT_EQ(messages.shown, (std::vector<Shown>{{"Can't open the dumpfile.", 16},
                                                {"Registry write dumpfile failed.", 16},
                                                {"Registry write dumpfile failed.", 16}}));
}

TEST_F(RegistryFile, RestoreFlashFailuresAreReported) {
  files.Put(kDump, Bytes(RegistryFlashAreaSize, 0x00));
  OpenFlash(EraseFailsAt(RegistryFlashArea));
  EXPECT_EQ(RestoreRegistryFile(Context(), kDump), -1);
  flash.reset();
  OpenFlash(ProgramFailsAt(RegistryFlashArea + 0x10));
  EXPECT_EQ(RestoreRegistryFile(Context(), kDump), -1);
  EXPECT_EQ(messages.shown, (std::vector<Shown>{{"Registry clear failed.", 16},
                                                {"Registry write flash failed.", 16}}));
}

}  // namespace
}  // namespace talvon
