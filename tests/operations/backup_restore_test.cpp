// The steps behind Backup All and the factory reset, straight on simulated
// flash chips and a controller file system on the host.
#include "operations/backup_restore.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <vector>

#include "flash/flash_areas.h"
#include "flash/transfer_buffer.h"
#include "sim/roles/sim_files.h"
#include "support/flash_sim_fixture.h"
#include "support/recording_message_boxes.h"

namespace talvon::test {
namespace {

using Bytes = std::vector<std::uint8_t>;

class BackupSteps : public SimFlashTest {
 protected:
  void SetUp() override {
    std::filesystem::create_directories(root_.Path() / "CompactFlash");
    flash_ = Open(sim::DefaultFlashConfig());
  }

  TempDir root_;  // the controller's "\"
  sim::SimFiles files_{root_.Path()};
  test::RecordingMessageBoxes messages_;
  TransferBuffer transfer_;
  std::unique_ptr<sim::SimFlash> flash_;
};

TEST_F(BackupSteps, AMissingFolderWritesNothingAndLeavesTheWordingToTheCaller) {
  const ImageFileContext context{files_, *flash_, messages_, transfer_};
  EXPECT_EQ(BackupAll(context, "\\CompactFlash\\NoSuch\\T5x5x_Backup.bak"), BackupAllOutcome::FolderMissing);
  EXPECT_EQ(BackupAll(context, "\\NoSuch\\T5x5x_Backup.bak"), BackupAllOutcome::FolderMissing);
  EXPECT_TRUE(messages_.shown.empty());
  EXPECT_FALSE(std::filesystem::exists(root_.Path() / "CompactFlash" / "NoSuch"));
  EXPECT_FALSE(std::filesystem::exists(root_.Path() / "NoSuch"));

  // The folder the caller names (and opens Restore All's file dialog in).
  EXPECT_EQ(FolderOfPath("\\CompactFlash\\NoSuch\\T5x5x_Backup.bak"), "\\CompactFlash\\NoSuch");
  EXPECT_EQ(FolderOfPath("\\T5x5x_Backup.bak"), "\\");
  EXPECT_EQ(FolderOfPath("T5x5x_Backup.bak"), "");
}

TEST_F(BackupSteps, FactoryResetErasesTheRegistryAreaAndNotOneByteBelowIt) {
  flash_.reset();
  Bytes written(0x10000 + RegistryFlashAreaSize);
  for (std::size_t i = 0; i < written.size(); ++i) written[i] = static_cast<std::uint8_t>(i * 7 + 1);
  PutFileBytes(RegistryFlashArea - 0x10000, written);
  flash_ = Open(sim::DefaultFlashConfig());
  const Bytes below = FlashBytes(*flash_, FlashWindowBase, RegistryFlashArea - FlashWindowBase);

  EXPECT_EQ(EraseRegistryArea(*flash_), FactoryReset::Erased);
  EXPECT_TRUE(FlashBytes(*flash_, RegistryFlashArea, RegistryFlashAreaSize) == Bytes(RegistryFlashAreaSize, 0xFF));
  EXPECT_TRUE(FlashBytes(*flash_, FlashWindowBase, RegistryFlashArea - FlashWindowBase) == below);

  // A block that will not erase is told, so the operator hears of it.
  flash_.reset();
  sim::FlashConfig failing = sim::DefaultFlashConfig();
  failing.faults.eraseFailures.push_back({RegistryFlashArea + 0x40000, std::nullopt});
  flash_ = Open(failing);
  EXPECT_EQ(EraseRegistryArea(*flash_), FactoryReset::EraseFailed);
}

}  // namespace
}  // namespace talvon::test
