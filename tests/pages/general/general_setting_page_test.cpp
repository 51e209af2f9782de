// The General Setting page on the headless backend against a simulated
// controller in a temporary folder (its flash, registry store and files).
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <vector>

#include "app/utility_session.h"
#include "pages/general/general_setting_page.h"
#include "platform/templates/ids_102.h"
#include "platform/templates/ids_134.h"
#include "sim/controller/simulated_controller.h"
#include "support/controller_folder.h"
#include "support/temp_dir.h"
#include "support/utility_test.h"

namespace talvon {
namespace {

using namespace ids134;

// The controller's card, which can give out after a number of bytes written
// to any one file and can say it is full.
class FailingCard final : public Files {
 public:
  explicit FailingCard(Files& inner) : inner_(inner) {}
  std::unique_ptr<FileStream> Open(std::string_view path, std::string_view mode) override {
    auto file = inner_.Open(path, mode);
    return file ? std::make_unique<Stream>(std::move(file), writeLimit) : nullptr;
  }
  bool FindFirstFile(std::string_view path, FindData* found) override { return inner_.FindFirstFile(path, found); }
  std::vector<FindData> ListDirectory(std::string_view path) override { return inner_.ListDirectory(path); }
  long GetLastError() const override { return inner_.GetLastError(); }
  bool GetDiskFreeSpace(std::string_view path, std::uint64_t* freeBytes) override {
    if (!full) return inner_.GetDiskFreeSpace(path, freeBytes);
    *freeBytes = 0;
    return true;
  }
  bool ReplaceFile(std::string_view from, std::string_view to) override { return inner_.ReplaceFile(from, to); }
  bool DeleteFile(std::string_view path) override { return inner_.DeleteFile(path); }

  std::size_t writeLimit = ~std::size_t{0};
  bool full = false;

 private:
  class Stream final : public FileStream {
   public:
    Stream(std::unique_ptr<FileStream> inner, std::size_t room) : inner_(std::move(inner)), room_(room) {}
    std::size_t Read(void* buffer, std::size_t count) override { return inner_->Read(buffer, count); }
    std::size_t Write(const void* buffer, std::size_t count) override {
      const std::size_t n = inner_->Write(buffer, std::min(count, room_));
      room_ -= n;
      return n;
    }
    int Seek(std::int64_t offset, int origin) override { return inner_->Seek(offset, origin); }
    std::int64_t Tell() override { return inner_->Tell(); }
    int Close() override { return inner_->Close(); }

   private:
    std::unique_ptr<FileStream> inner_;
    std::size_t room_;
  };
  Files& inner_;
};

std::vector<char> HostFile(const std::filesystem::path& path) {
  const std::string bytes = test::ReadFile(path);
  return {bytes.begin(), bytes.end()};
}

class GeneralSettingPageTest : public test::UtilityTest {
 protected:
  // Boots the controller; `prepare` may change its registry before the utility starts.
  void Run(const std::function<void()>& steps, const std::function<void(Registry&)>& prepare = {}) {
    EndRun();
    controller = dir.Boot();
    ASSERT_NE(controller, nullptr);
    if (prepare) prepare(controller->GetPlatform().registry);
    Platform base = controller->GetPlatform();
    card = std::make_unique<FailingCard>(base.files);
    platform = std::make_unique<Platform>(Platform{base.registry, *card, base.processes, base.serialPorts,
                                                   base.memory, base.clock, base.flash, base.sdk});
    SetUpRun(*platform, dir.Clock());
    backend = &Backend();
    driver = &Driver();
    UtilityTest::Run([&] {
      EXPECT_EQ(driver->Click(Home(), ids102::kLowerPicture), DriverResult::Done);
      steps();
    });
  }

  WindowHandle Page() { return UtilityTest::Page(0); }
  std::string Shown(int id) { return driver->DisplayValue(Page(), id); }
  void Click(int id) { ASSERT_EQ(driver->Click(Page(), id), DriverResult::Done); }
  void Answer(int answer) { backend->Answers().QueueBoxAnswer(answer); }
  int DivisionRequests() {
    int n = 0;
    for (const auto& e : Log().Events()) n += std::holds_alternative<MemoryDivisionEvent>(e) ? 1 : 0;
    return n;
  }
  std::uint32_t Dword(const char* key, const char* name) {
    Registry& r = controller->GetPlatform().registry;
    HKEY k = 0;
    std::uint32_t value = 0xDEADBEEF;
    if (r.OpenKey(HKEY_LOCAL_MACHINE, key, KEY_READ, &k) != ERROR_SUCCESS) return value;
    std::uint32_t size = 4;
    r.QueryValue(k, name, nullptr, reinterpret_cast<std::uint8_t*>(&value), &size);
    r.CloseKey(k);
    return value;
  }
  static void SetDword(Registry& r, const char* key, const char* name, std::uint32_t value) {
    HKEY k = 0;
    ASSERT_EQ(r.OpenKey(HKEY_LOCAL_MACHINE, key, KEY_ALL_ACCESS, &k), ERROR_SUCCESS);
    r.SetValue(k, name, REG_DWORD, reinterpret_cast<const std::uint8_t*>(&value), 4);
    r.CloseKey(k);
  }
  std::filesystem::path Host(const std::string& relative) { return dir.HostPath(relative); }

  test::ControllerFolder dir;
  std::unique_ptr<sim::SimulatedController> controller;
  std::unique_ptr<FailingCard> card;
  std::unique_ptr<Platform> platform;
  // The run's backend and driver.
  HeadlessBackend* backend = nullptr;
  HeadlessDriver* driver = nullptr;
};

constexpr char kDisplayKey[] = "Drivers\\Display\\MQ200";

// ---- Display mode ----

TEST_F(GeneralSettingPageTest, UnlistedRegistryValuesLeaveTheControlsAndConfirmWritesWhatTheyShow) {
  Run(
      [&] {
        EXPECT_EQ(Shown(kResolutionSlider), "0");
        EXPECT_EQ(Shown(kPreview), "142");
        EXPECT_EQ(Shown(kBppCombo), "-1");
        EXPECT_EQ(Shown(kResolutionReadBack), "1280 x 1024");
        Click(kConfirmSettings);
        EXPECT_EQ(Dword(kDisplayKey, "CxScreen"), 320u);
        EXPECT_EQ(Dword(kDisplayKey, "CyScreen"), 240u);
        EXPECT_EQ(Dword(kDisplayKey, "Bpp"), 24u);  // no selection: the record's value is written back
        EXPECT_EQ(Shown(kResolutionReadBack), "320 x 240");
        EXPECT_TRUE(Log().MessageBoxes().empty());
      },
      [](Registry& r) {
        SetDword(r, kDisplayKey, "CxScreen", 1280);
        SetDword(r, kDisplayKey, "CyScreen", 1024);
        SetDword(r, kDisplayKey, "Bpp", 24);
      });
}

TEST_F(GeneralSettingPageTest, AMissingDisplayKeyGivesOneMessageAndTheReadBackOfTheControls) {
  Run([&] {
        Click(kConfirmSettings);
        ASSERT_EQ(Log().MessageBoxes().size(), 1u);
        EXPECT_EQ(Log().MessageBoxes()[0].text, "VGA RegOpenKeyEx Failed");
        EXPECT_EQ(Log().MessageBoxes()[0].caption, "Save VGA Registry");
        EXPECT_EQ(Log().MessageBoxes()[0].style, 0u);
        EXPECT_EQ(Shown(kResolutionReadBack), "320 x 240");
        EXPECT_EQ(Shown(kBppReadBack), "0");
        EXPECT_EQ(Shown(kFreqReadBack), "0 Hz");
      },
      [](Registry& r) { r.DeleteKey(HKEY_LOCAL_MACHINE, kDisplayKey); });
}

TEST_F(GeneralSettingPageTest, TheResolutionSliderShowsItsPreviewAndNeverMovesTheMemoryDivision) {
  Run([&] {
    for (const auto& [position, bitmap, caption] :
         {std::tuple{0, "142", "320 x 240 pixels"}, std::tuple{1, "143", "640 x 480 pixels"},
          std::tuple{2, "140", "800 x 600 pixels"}, std::tuple{3, "141", "1024 x 768 pixels"}}) {
      ASSERT_EQ(driver->MoveTrackbar(Page(), kResolutionSlider, position), DriverResult::Done);
      EXPECT_EQ(Shown(kPreview), bitmap);
      EXPECT_EQ(Shown(kResolutionCaption), caption);
    }
    EXPECT_EQ(Shown(kMemorySlider), "256");
    EXPECT_EQ(Shown(kStorageAllocated), "16384KB");
    Click(kConfirmSettings);
    Click(kConfirmSettings);
    EXPECT_EQ(DivisionRequests(), 0);
    EXPECT_EQ(Dword(kDisplayKey, "CxScreen"), 1024u);
  });
}

// ---- Touch panel ----

TEST_F(GeneralSettingPageTest, AMissingCalibrationProgramIsReportedAfterTheFlush) {
  Run([&] {
    std::filesystem::remove(Host("Windows/Calibrate_usb.exe"));
    Click(kUsbButton);
    ASSERT_EQ(Log().MessageBoxes().size(), 1u);
    EXPECT_EQ(Log().MessageBoxes()[0].text, "CreateProcess failed!!Please Check the driver's path");
    EXPECT_EQ(Log().MessageBoxes()[0].caption, "Save Registry");
    EXPECT_EQ(Log().MessageBoxes()[0].style, 16u);
    EXPECT_EQ(controller->Registry().LastFlushError(), "");
    EXPECT_EQ(Dword("Drivers\\BuiltIn\\Dmc9x00", "pmode"), 1u);
  });
  EXPECT_TRUE(Log().StartedPrograms().empty());
}

TEST_F(GeneralSettingPageTest, TheLaunchersRunTheirProgramsThroughTheShell) {
  Run([&] {
    Click(kRegisterActiveX);
    Click(kLanguageChange);
  });
  EXPECT_EQ(Log().StartedPrograms(),
            (std::vector<std::string>{"\\compactflash\\Vantro-I\\Lumex\\RegistryOCX.bat", "\\Windows\\intll.cpl"}));
}

// ---- Backup paths ----

TEST_F(GeneralSettingPageTest, BackupPathsThatWouldNameAnotherFileAreRefusedWhole) {
  Run([&] {
    // U+015C keeps 0x5C, a backslash, as its low byte: "Tools\BackUp.REG" would be overwritten.
    ASSERT_EQ(driver->TypeText(Page(), kBackupPath, "\\CompactFlash\\Velmar\\Tools\xC5\x9C" "BackUp.REG"),
              DriverResult::Done);
    Click(kBackupAll);
    ASSERT_EQ(driver->TypeText(Page(), kBackupPath, "\\CompactFlash\\" + std::string(90, 'a') + ".bak"),
              DriverResult::Done);
    Click(kBackupAll);
  });
  const auto boxes = Log().MessageBoxes();
  ASSERT_EQ(boxes.size(), 2u);
  EXPECT_EQ(boxes[0].caption, "ERROR");
  EXPECT_NE(boxes[0].text.find("characters that cannot be used"), std::string::npos);
  EXPECT_NE(boxes[1].text.find("longer than 99 characters"), std::string::npos);
  EXPECT_FALSE(std::filesystem::exists(Host("CompactFlash/Velmar/Tools/BackUp.REG")));
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(Host("CompactFlash")), {}), 2);  // the factory folders
}

TEST_F(GeneralSettingPageTest, RestoreAllRefusesALongChosenPathWithoutRebooting) {
  const std::string longPath = "\\CompactFlash\\" + std::string(90, 'b') + ".bak";
  Run([&] {
    backend->Answers().QueueFile(longPath);
    Click(kRestoreAll);
    EXPECT_EQ(Shown(kBackupPath), longPath);
  });
  ASSERT_EQ(Log().MessageBoxes().size(), 1u);
  EXPECT_EQ(Log().MessageBoxes()[0].caption, "ERROR");
  EXPECT_EQ(Log().Reboots(), 0);
}

// Saves that give out half way say which step failed and keep the last good
// file; a full card still saves in place.
TEST_F(GeneralSettingPageTest, SavesThatFailHalfWayKeepTheLastGoodFile) {
  const auto backup = Host("CompactFlash/T5x5x_Backup.bak");
  const auto dump = Host("CompactFlash/Velmar/Tools/BackUp.REG");
  std::vector<char> goodBackup, goodDump;
  Run([&] {
    Click(kBackupAll);
    Answer(IDYES);
    Click(kDumpRegistry);
    goodBackup = HostFile(backup);
    goodDump = HostFile(dump);
    card->writeLimit = 0x300000;
    Click(kBackupAll);
    card->writeLimit = 0x1000;
    Answer(IDYES);
    Click(kDumpRegistry);
    EXPECT_EQ(HostFile(backup), goodBackup);
    EXPECT_EQ(HostFile(dump), goodDump);
    card->writeLimit = ~std::size_t{0};
    card->full = true;
    std::filesystem::remove(backup);
    Click(kBackupAll);
  });
  std::vector<std::string> texts;
  for (const auto& box : Log().MessageBoxes()) texts.push_back(box.text);
  EXPECT_EQ(texts, (std::vector<std::string>{"BackupAll OK !", "Do you want to Dump the Registries?",
                                             "Registry dump to dumpfile successed.",
                                             "ERROR: All system write dumpfile failed.", "BackupAll NG !",
                                             "Do you want to Dump the Registries?", "Registry write dumpfile failed.",
                                             "BackupAll OK !"}));
  EXPECT_EQ(HostFile(backup), goodBackup);
  EXPECT_FALSE(std::filesystem::exists(Host("CompactFlash/T5x5x_Backup.bak.part")));
  EXPECT_FALSE(std::filesystem::exists(Host("CompactFlash/Velmar/Tools/BackUp.REG.part")));
}

TEST_F(GeneralSettingPageTest, TheRestoreAllDialogOpensInTheFolderOfTheShownPath) {
  Run([&] {
    backend->Answers().QueueFileCancel();
    Click(kRestoreAll);
    ASSERT_EQ(driver->TypeText(Page(), kBackupPath, "\\CompactFlash\\Velmar\\Tools\\old.bak"), DriverResult::Done);
    backend->Answers().QueueFileCancel();
    Click(kRestoreAll);
  });
  ASSERT_EQ(Log().FileDialogs().size(), 2u);
  EXPECT_EQ(Log().FileDialogs()[0].folder, "\\CompactFlash");
  EXPECT_EQ(Log().FileDialogs()[1].folder, "\\CompactFlash\\Velmar\\Tools");
}

TEST_F(GeneralSettingPageTest, CancelledQuestionsChangeNothing) {
  Run([&] {
    backend->Answers().QueueFileCancel();
    Click(kRestoreAll);
    EXPECT_EQ(Shown(kBackupPath), "\\CompactFlash\\T5x5x_Backup.bak");
    Answer(IDNO);
    Click(kFactoryButton);
    Answer(IDNO);
    Click(kDumpRegistry);
    Answer(IDNO);
    Click(kRestoreRegistry);
  });
  EXPECT_EQ(Log().MessageBoxes().size(), 3u);  // the three questions alone
  EXPECT_EQ(Log().FileDialogs()[0].filter, "Backup Files(*.bak)|*.bak");
  EXPECT_EQ(Log().FileDialogs()[0].flags, 0x1800u);
  EXPECT_EQ(Log().Reboots(), 0);
  EXPECT_FALSE(std::filesystem::exists(Host("CompactFlash/Velmar/Tools/BackUp.REG")));
}

}  // namespace
}  // namespace talvon
