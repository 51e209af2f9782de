#include "flash/image_files.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

#include "flash/file_replacement.h"
#include "flash/flash_areas.h"
#include "flash/flash_device.h"
#include "flash/os_image_version.h"
#include "operations/flash_files.h"
#include "sim/registry/flash_hive_storage.h"
#include "sim/registry/sim_registry.h"
#include "support/counting_files.h"
#include "support/flash_sim_fixture.h"
#include "support/recording_message_boxes.h"

namespace talvon {
namespace {

using Bytes = std::vector<std::uint8_t>;
using Shown = test::RecordingMessageBoxes::Shown;

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

// System area contents whose OS image area carries the ROM signature the boot looks for.
Bytes Bootable(Bytes systemArea) {
  const std::vector<std::uint8_t> head = OsImageHead("");
  std::copy(head.begin() + OsRomSignatureOffset, head.end(), systemArea.begin() + OsRomSignatureOffset);
  return systemArea;
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

  test::CountingFiles files;
  test::RecordingMessageBoxes messages;
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
  files.freeSpace = 0;  // a full card: written in place, as saves always were
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

TEST_F(BackupAll, AFailureWithRoomForBothKeepsTheLastGoodBackupAndAFullCardStillWorks) {
  const Bytes system = Pattern(SystemFlashAreaSize, 17);
  PutFileBytes(SystemFlashArea, system);
  OpenFlash();
  const Bytes lastGood(1000, 0x42);
  files.Put(kBackup, lastGood);
  files.writeLimit = 0x180000;  // the card gives out half way
  EXPECT_EQ(BackupAllFile(Context(), kBackup), -1);
  files.writeLimit = ~std::size_t{0};
  files.failClose = true;
  EXPECT_EQ(BackupAllFile(Context(), kBackup), -1);
  EXPECT_EQ(files.Get(kBackup), lastGood);
  EXPECT_FALSE(std::filesystem::exists(files.HostPath(SideFilePath(kBackup))));
  EXPECT_EQ(messages.shown, (std::vector<Shown>{{"ERROR: All system write dumpfile failed.", 16},
                                                {"ERROR: All system write dumpfile failed.", 16}}));
  files.failClose = false;
  ASSERT_EQ(BackupAllFile(Context(), kBackup), 0);
  EXPECT_EQ(files.Get(kBackup), BackupFileOf(system));
  files.freeSpace = SystemFlashAreaSize;  // no room for two: written over the old one
  ASSERT_EQ(BackupAllFile(Context(), kBackup), 0);
  EXPECT_EQ(files.Get(kBackup), BackupFileOf(system));
  EXPECT_FALSE(std::filesystem::exists(files.HostPath(SideFilePath(kBackup))));
}

// --- Verifying and restoring it ------------------------------------------

using RestoreAll = ImageFilesTest;

TEST_F(RestoreAll, RoundTripRestoresTheSystemAreaOnly) {
  const Bytes system = Bootable(Pattern(SystemFlashAreaSize, 3));
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

// Every file the controller could not boot from is refused before the first
// erase, with the flash byte for byte as it was.
TEST_F(RestoreAll, WhatTheControllerCouldNotBootIsRefusedBeforeAnythingIsErased) {
  PutFileBytes(SystemFlashArea, Bootable(Pattern(SystemFlashAreaSize, 13)));
  OpenFlash();
  const Bytes before = SystemArea();
  const Bytes good = BackupFileOf(Bootable(Pattern(SystemFlashAreaSize, 19)));
  Bytes tooLong = good;
  tooLong.push_back(0);
  Bytes wrongCheck = good;
  wrongCheck.back() ^= 0x01;
  const struct {
    Bytes file;
    RestoreAllRefusal refusal;
    const char* message;  // nullptr: refused without a word
  } cases[] = {
      {{}, RestoreAllRefusal::WrongSize, "ERROR: This file is 0 bytes long, a backup file is 33030148 bytes."},
      // Cut short at its check bytes: zero data folds to the zero check bytes that are missing.
      {Bytes(SystemFlashAreaSize, 0x00), RestoreAllRefusal::WrongSize,
       "ERROR: This file is 33030144 bytes long, a backup file is 33030148 bytes."},
      {tooLong, RestoreAllRefusal::WrongSize, "ERROR: This file is 33030149 bytes long, a backup file is 33030148 bytes."},
      {BackupFileOf(Bytes(SystemFlashAreaSize, 0x00)), RestoreAllRefusal::NoOsImage,
       "ERROR: No OS image in this file, the talvon could not boot it (no ROM signature at 0xBCA80040)."},
      {BackupFileOf(Pattern(SystemFlashAreaSize, 23)), RestoreAllRefusal::NoOsImage,
       "ERROR: No OS image in this file, the talvon could not boot it (no ROM signature at 0xBCA80040)."},
      {wrongCheck, RestoreAllRefusal::CheckBytes, nullptr},
  };
  for (const auto& c : cases) {
    messages.shown.clear();
    files.Put(kBackup, c.file);
    const RestoreAllResult result = RestoreAllFromBackup(Context(), kBackup);
    EXPECT_EQ(result.outcome, RestoreAllOutcome::Refused) << c.file.size();
    EXPECT_EQ(result.refusal, c.refusal) << c.file.size();
    const std::vector<Shown> expected = c.message ? std::vector<Shown>{{c.message, 16}} : std::vector<Shown>{};
    EXPECT_EQ(messages.shown, expected);
    EXPECT_EQ(files.opened, 1 + (&c - cases)) << "the file is opened once";
  }
  EXPECT_EQ(flash->Stats().erases + flash->Stats().programs, 0u);
  EXPECT_EQ(SystemArea(), before);
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
  files.Put(kBackup, BackupFileOf(Bootable(Bytes(SystemFlashAreaSize, 0x00))));
  OpenFlash(EraseFailsAt(SystemFlashArea + 0x40000));
  EXPECT_EQ(RestoreAllFile(Context(), kBackup), -1);
  EXPECT_EQ(messages.shown, (std::vector<Shown>{{"ERROR: Allsystem clear failed.", 16}}));
  EXPECT_EQ(flash->Stats().programs, 0u);
}

TEST_F(RestoreAll, ProgramFailureIsReportedAndLeavesNoRomSignature) {
  files.Put(kBackup, BackupFileOf(Bootable(Bytes(SystemFlashAreaSize, 0x00))));
  OpenFlash(ProgramFailsAt(SystemFlashArea + 0x100));
  EXPECT_EQ(RestoreAllFromBackup(Context(), kBackup).outcome, RestoreAllOutcome::Incomplete);
  EXPECT_EQ(messages.shown, (std::vector<Shown>{{"ERROR: Allsystem write flash failed.", 16}}));
  EXPECT_FALSE(OsAreaHoldsImage(*flash));
}

// --- Registry dump file --------------------------------------------------

// The registry dumped and restored is the controller's own: its hive,
// flushed into the registry area through the flash driver.
class RegistryFile : public ImageFilesTest {
 protected:
  void OpenController(const sim::FlashConfig& config = sim::DefaultFlashConfig()) {
    registry.reset();
    storage.reset();
    flash.reset();
    OpenFlash(config);
    storage = std::make_unique<sim::FlashHiveStorage>(*flash);
    registry = std::make_unique<sim::SimRegistry>(*storage);
    registry->Boot("REGEDIT4\n");
  }
  void SaveSetting(const std::string& text) {
    HKEY key = 0;
    ASSERT_EQ(registry->CreateKey(HKEY_LOCAL_MACHINE, "Velmar", &key, nullptr), ERROR_SUCCESS);
    registry->SetValue(key, "Setting", REG_BINARY, reinterpret_cast<const std::uint8_t*>(text.data()),
                       static_cast<std::uint32_t>(text.size()));
    registry->CloseKey(key);
    ASSERT_EQ(registry->FlushKey(HKEY_LOCAL_MACHINE), ERROR_SUCCESS);
  }
  RegistryRestore Restore() { return RestoreRegistryFile(Context(), *registry, kDump); }

  std::unique_ptr<sim::FlashHiveStorage> storage;
  std::unique_ptr<sim::SimRegistry> registry;
};

TEST_F(RegistryFile, DumpThenRestoreRoundTrip) {
  const Bytes os = Pattern(0x1000, 23);
  PutFileBytes(RegistryFlashArea - os.size(), os);
  OpenController();
  SaveSetting("dumped");
  const Bytes dumped = RegistryArea();
  ASSERT_EQ(DumpRegistryFile(Context(), kDump), 0);
  EXPECT_EQ(files.Get(kDump), dumped);

  SaveSetting("changed later");
  ASSERT_EQ(Restore(), RegistryRestore::Restored);
  EXPECT_EQ(RegistryArea(), dumped);
  EXPECT_EQ(FlashBytes(*flash, RegistryFlashArea - os.size(), os.size()), os);
  EXPECT_EQ(messages.shown, (std::vector<Shown>{{"Registry dump to dumpfile successed.", 64},
                                                {"Registry restore from dumpfile successed.", 64}}));
}

TEST_F(RegistryFile, RestoreUsesTheFirstAreaSizeBytesOfALongerFile) {
  OpenController();
  SaveSetting("kept");
  Bytes file = RegistryArea();
  ASSERT_EQ(EraseFlashRange(*flash, FlashWindowBase, RegistryFlashArea, RegistryFlashAreaSize), 1);
  const Bytes expected = file;
  file.insert(file.end(), 100, 0x5A);
  files.Put(kDump, file);
  ASSERT_EQ(Restore(), RegistryRestore::Restored);
  EXPECT_EQ(RegistryArea(), expected);
}

// A dump the controller would not boot never replaces the registry it has;
// a blank one (dumped after a factory reset) is what it says it is.
TEST_F(RegistryFile, DumpsTheControllerWouldNotBootLeaveTheRegistryAreaByteIdentical) {
  OpenController();
  SaveSetting("in flash");
  const Bytes before = RegistryArea();
  const auto flashWork = flash->Stats().erases + flash->Stats().programs;
  Bytes flipped = before;
  flipped[40] ^= 0x01;  // inside the saved copy: its CRC no longer holds
  for (const Bytes& dump : {Pattern(RegistryFlashAreaSize, 51), Bytes(RegistryFlashAreaSize, 0x00), flipped}) {
    files.Put(kDump, dump);
    EXPECT_EQ(Restore(), RegistryRestore::Refused);
  }
  files.Put(kDump, Bytes(0xBFFFF, 0x00));
  EXPECT_EQ(Restore(), RegistryRestore::NotRead);
  EXPECT_EQ(RestoreRegistryFile(Context(), *registry, "\\CompactFlash\\none.REG"), RegistryRestore::NotRead);
  EXPECT_EQ(flash->Stats().erases + flash->Stats().programs, flashWork);
  EXPECT_EQ(RegistryArea(), before);
  ASSERT_EQ(messages.shown.size(), 5u);
  EXPECT_EQ(messages.shown[0],
            (Shown{"ERROR: No registry the talvon can boot in the dumpfile (registry hive is damaged: no hive "
                   "signature).",
                   16}));
  EXPECT_EQ(messages.shown[3], (Shown{"Registry read from dumpfile failed.", 16}));
  EXPECT_EQ(messages.shown[4], (Shown{"Can't open the dumpfile", 16}));

  files.Put(kDump, Bytes(RegistryFlashAreaSize, 0xFF));
  EXPECT_EQ(Restore(), RegistryRestore::Restored);
  EXPECT_EQ(RegistryArea(), Bytes(RegistryFlashAreaSize, 0xFF));
}

TEST_F(RegistryFile, DumpFailuresAreReportedAndKeepTheLastGoodDump) {
  OpenController();
  EXPECT_EQ(DumpRegistryFile(Context(), "\\NoSuchCard\\BackUp.REG"), -1);
  const Bytes lastGood(100, 0x42);
  files.Put(kDump, lastGood);
  files.writeLimit = 0x1000;
  EXPECT_EQ(DumpRegistryFile(Context(), kDump), -1);
  files.writeLimit = ~std::size_t{0};
  files.failClose = true;  // a dump that never reached the card is not reported as done
  EXPECT_EQ(DumpRegistryFile(Context(), kDump), -1);
  EXPECT_EQ(files.Get(kDump), lastGood);
  files.freeSpace = 0;  // a full card: written in place
  EXPECT_EQ(DumpRegistryFile(Context(), kDump), -1);
  EXPECT_EQ(messages.shown, (std::vector<Shown>{{"Can't open the dumpfile.", 16},
                                                {"Registry write dumpfile failed.", 16},
                                                {"Registry write dumpfile failed.", 16},
                                                {"Registry write dumpfile failed.", 16}}));
  EXPECT_FALSE(std::filesystem::exists(files.HostPath(SideFilePath(kDump))));
}

TEST_F(RegistryFile, RestoreFlashFailuresAreReported) {
  OpenController(EraseFailsAt(RegistryFlashArea + 0x80000));
  SaveSetting("x");
  files.Put(kDump, RegistryArea());
  EXPECT_EQ(Restore(), RegistryRestore::ClearFailed);
  OpenController(ProgramFailsAt(RegistryFlashArea + 0x10));
  EXPECT_EQ(Restore(), RegistryRestore::WriteFailed);
  EXPECT_EQ(messages.shown, (std::vector<Shown>{{"Registry clear failed.", 16},
                                                {"Registry write flash failed.", 16}}));
}

}  // namespace
}  // namespace talvon
