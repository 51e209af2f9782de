// Scripted runs of the General Setting page on a simulated controller kept in
// a directory: display mode, backup and restore of the whole system and of the
// registry, factory reset, touch panel selection and memory division, each
// followed across the reboots they cause.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <optional>
#include <sstream>

#include "flash/flash_areas.h"
#include "flash/image_files.h"
#include "flash/transfer_buffer.h"
#include "operations/flash_files.h"
#include "platform/templates/ids_129.h"
#include "platform/templates/ids_134.h"
#include "platform/text.h"
#include "runner/script.h"
#include "runner/script_fixture.h"
#include "runner/script_runner.h"
#include "runner/simulated_controller_provider.h"
#include "script_ids.h"
#include "sim/roles/sim_files.h"
#include "support/temp_dir.h"

namespace talvon {
namespace {

using namespace ids134;

using test::Id;
using test::Print;

std::vector<char> ReadHostFile(const std::filesystem::path& path) {
  const std::string bytes = test::ReadFile(path);
  return {bytes.begin(), bytes.end()};
}

bool Contains(const std::string& haystack, const std::string& needle) {
  return haystack.find(needle) != std::string::npos;
}

struct GeneralSettingScript : ::testing::Test {
  // Creates the controller with factory contents (adjust `options` first).
  void Create() {
    options.childOutput = sim::SimProcesses::ChildOutput::Discard;
    provider.emplace(Root(), clock, options);
    std::string error;
    ASSERT_NE(provider->Boot(&error), nullptr) << error;
  }

  std::filesystem::path Root() const { return dir.Path() / "controller"; }
  std::filesystem::path Host(const std::string& relative) const { return Root() / "fs" / relative; }
  std::vector<char> FlashBin() const { return ReadHostFile(Root() / "flash.bin"); }

  void AddFlashFault(const std::string& faults) {
    const auto config = Root() / "controller.json";
    std::stringstream json;
    json << std::ifstream(config).rdbuf();
    std::string text = json.str();
    text.insert(text.rfind('}'), ",\n  \"flash\": {\"faults\": " + faults + "}\n");
    std::ofstream(config) << text;
  }

  // Runs a script; the transcript of this run alone is in `out`.
  int Run(const std::string& source) {
    out.str("");
    err.str("");
    return test::RunScriptText(*provider, source, out, err);
  }

  // Sets 800 x 600 / 8 bpp / 70 Hz (or another resolution) and flushes without rebooting.
  std::string SetAndFlush(int resolution) {
    return "config\nslider " + Id(kResolutionSlider) + " " + std::to_string(resolution) +
           "\nselect " + Id(kBppCombo) + " 2\nselect " + Id(kFreqCombo) + " 2\nclick " + Id(kConfirmSettings) +
           "\nanswer yes\nanswer no\nclick " + Id(ids129::kConfirmRegistryButton) + "\nhome\n";
  }

  test::TempDir dir;
  VirtualClock clock;
  sim::ControllerOptions options;
  std::optional<runner::SimulatedControllerProvider> provider;
  std::ostringstream out;
  std::ostringstream err;
};

TEST_F(GeneralSettingScript, ANewDisplayModeIsInForceAfterTheRebootAndTheDivisionIsUntouched) {
  Create();
  const int code = Run(
      "config\n"
      "slider " + Id(kResolutionSlider) + " 2\n"
      "select " + Id(kBppCombo) + " 2\n"
      "select " + Id(kFreqCombo) + " 2\n"
      "click " + Id(kConfirmSettings) + "\n"
      "answer yes\n"
      "answer yes\n"
      "click " + Id(ids129::kConfirmRegistryButton) + "\n"
      "config\n" +
      Print({kResolutionReadBack, kBppReadBack, kFreqReadBack, kResolutionSlider, kPreview, kMemorySlider}) +
      "reg \"Velmar\" \"MemDivision\"\n");
  EXPECT_EQ(code, runner::kExitOk) << err.str();
  EXPECT_EQ(out.str(),
            "box Save Registry | It would take 10-15 seconds to store your settings into internal non-volatile "
            "memory. Proceed ? | 36 -> yes\n"
            "box System Reboot | All settings you changed will take effect\\n after system reboot, reboot now ? | "
            "52 -> yes\n"
            "reboot\n"
            "print " + Id(kResolutionReadBack) + " 800 x 600\n"
            "print " + Id(kBppReadBack) + " 8\n"
            "print " + Id(kFreqReadBack) + " 70 Hz\n"
            "print " + Id(kResolutionSlider) + " 2\n"
            "print " + Id(kPreview) + " 140\n"
            "print " + Id(kMemorySlider) + " 256\n"
            "reg Velmar MemDivision REG_DWORD 4 4096\n");
}

TEST_F(GeneralSettingScript, RestoreAllBringsBackTheBackedUpSystem) {
  Create();
  ASSERT_EQ(Run(SetAndFlush(2) + "config\nanswer ok\nclick " + Id(kBackupAll) + "\n"), runner::kExitOk) << err.str();
  EXPECT_TRUE(Contains(out.str(), "box TalvonUtility | BackupAll OK ! | 64 -> ok\n")) << out.str();
  EXPECT_EQ(std::filesystem::file_size(Host("CompactFlash/T5x5x_Backup.bak")), 33'030'148u);
  {
    sim::SimFiles files(Root() / "fs");
    TransferBuffer transfer;
    EXPECT_EQ(VerifyBackupAllFile(files, transfer, "\\CompactFlash\\T5x5x_Backup.bak"), 0);
  }

  ASSERT_EQ(Run(SetAndFlush(0) + "config\nprint " + Id(kResolutionReadBack) + "\n"), runner::kExitOk) << err.str();
  EXPECT_TRUE(Contains(out.str(), "print " + Id(kResolutionReadBack) + " 320 x 240")) << out.str();

  const int code = Run(
      "config\n"
      "file \"\\CompactFlash\\T5x5x_Backup.bak\"\n"
      "answer ok\n"
      "answer ok\n"
      "click " + Id(kRestoreAll) + "\n"
      "config\n"
      "print " + Id(kResolutionReadBack) + "\n"
      "print " + Id(kBackupPath) + "\n");
  EXPECT_EQ(code, runner::kExitOk) << err.str();
  EXPECT_EQ(out.str(),
            "box TalvonUtility | Please wait about 3 minutes,the talvon will reboot after finish. | 64 -> ok\n"
            "box TalvonUtility | Restore Backup File OK ! | 64 -> ok\n"
            "reboot\n"
            "print " + Id(kResolutionReadBack) + " 800 x 600\n"
            "print " + Id(kBackupPath) + " \\CompactFlash\\T5x5x_Backup.bak\n");
}

TEST_F(GeneralSettingScript, ADamagedBackupIsRefusedWithFlashUnchangedAndStillReboots) {
  Create();
  ASSERT_EQ(Run("config\nanswer ok\nclick " + Id(kBackupAll) + "\n"), runner::kExitOk) << err.str();
  {
    std::fstream backup(Host("CompactFlash/T5x5x_Backup.bak"), std::ios::in | std::ios::out | std::ios::binary);
    backup.seekp(5);
    backup.put('\x5A');
  }
  const std::vector<char> before = FlashBin();
  const int code = Run(
      "config\n"
      "file \"\\CompactFlash\\T5x5x_Backup.bak\"\n"
      "answer ok\n"
      "answer ok\n"
      "click " + Id(kRestoreAll) + "\n");
  EXPECT_EQ(code, runner::kExitOk) << err.str();
  EXPECT_EQ(out.str(),
            "box TalvonUtility | Please wait about 3 minutes,the talvon will reboot after finish. | 64 -> ok\n"
            "box TalvonUtility | Restore Backup File NG ! | 16 -> ok\n"
            "reboot\n");
  EXPECT_TRUE(FlashBin() == before);
}

TEST_F(GeneralSettingScript, RestoreAllThatFailsAfterErasingDoesNotRebootIntoABrokenSystem) {
  Create();
  ASSERT_EQ(Run("config\nanswer ok\nclick " + Id(kBackupAll) + "\n"), runner::kExitOk) << err.str();
  AddFlashFault("{\"programFailures\": [\"0xBCA90000\"]}");
  const int code = Run(
      "config\n"
      "file \"\\CompactFlash\\T5x5x_Backup.bak\"\n"
      "answer ok\n"
      "answer ok\n"
      "answer ok\n"
      "answer ok\n"
      "click " + Id(kRestoreAll) + "\n");
  EXPECT_EQ(code, runner::kExitOk) << err.str();
  EXPECT_FALSE(Contains(out.str(), "\nreboot\n")) << out.str();
  EXPECT_TRUE(Contains(out.str(),
                       "box TalvonUtility | ERROR: Allsystem write flash failed. | 16 -> ok\n"
                       "box TalvonUtility | Restore Backup File NG ! | 16 -> ok\n"
                       "box ERROR | The system area of the flash memory is incomplete, so the controller has not been "
                       "restarted."))
      << out.str();
}

// Files a controller could not boot from, each refused before anything is
// erased: the flash stays byte for byte as it was, the page says why, and the
// restart that follows brings back the system and settings the controller had.
TEST_F(GeneralSettingScript, RestoreAllRefusesWhatTheControllerCouldNotBootAndRestartsIntoItsOwnSystem) {
  Create();
  ASSERT_EQ(Run(SetAndFlush(2) + "config\nanswer ok\nclick " + Id(kBackupAll) + "\n"), runner::kExitOk) << err.str();
  const std::vector<char> good = ReadHostFile(Host("CompactFlash/T5x5x_Backup.bak"));
  ASSERT_EQ(good.size(), SystemFlashAreaSize + 4u);
  std::vector<char> zeros(SystemFlashAreaSize + 4u, '\0');
  std::vector<char> random(SystemFlashAreaSize + 4u);
  std::uint32_t x = 7;
  for (char& c : random) c = static_cast<char>(x = x * 1103515245u + 12345u);
  char check[4] = {};  // fixed up to match the random data
  for (std::size_t i = 0; i < SystemFlashAreaSize; ++i) check[i % 4] ^= random[i];
  std::copy(check, check + 4, random.end() - 4);
  std::vector<char> tooLong = good;
  tooLong.push_back('\0');
  const std::vector<char> cut(good.begin(), good.end() - 4);
  const std::string noOs =
      "ERROR: No OS image in this file, the talvon could not boot it (no ROM signature at 0xBCA80040).";
  const struct {
    const char* name;
    const std::vector<char>& bytes;
    std::string reason;
  } cases[] = {
      {"zeros.bak", zeros, noOs},
      {"random.bak", random, noOs},
      {"long.bak", tooLong, "ERROR: This file is 33030149 bytes long, a backup file is 33030148 bytes."},
      {"cut.bak", cut, "ERROR: This file is 33030144 bytes long, a backup file is 33030148 bytes."},
  };
  for (const auto& c : cases) {
    std::ofstream(Host(std::string("CompactFlash/") + c.name), std::ios::binary)
        .write(c.bytes.data(), static_cast<std::streamsize>(c.bytes.size()));
    const std::vector<char> before = FlashBin();
    const int code = Run(std::string("config\nfile \"\\CompactFlash\\") + c.name +
                         "\"\nanswer ok\nanswer ok\nanswer ok\nclick " + Id(kRestoreAll) + "\nconfig\nprint " +
                         Id(kResolutionReadBack) + "\n");
    EXPECT_EQ(code, runner::kExitOk) << err.str();
    EXPECT_EQ(out.str(),
              "box TalvonUtility | Please wait about 3 minutes,the talvon will reboot after finish. | 64 -> ok\n"
              "box TalvonUtility | " + c.reason + " | 16 -> ok\n"
              "box TalvonUtility | Restore Backup File NG ! | 16 -> ok\n"
              "reboot\n"
              "print " + Id(kResolutionReadBack) + " 800 x 600\n")
        << c.name;
    EXPECT_TRUE(FlashBin() == before) << c.name;
  }
}

TEST_F(GeneralSettingScript, BackingUpIntoAFolderThatIsNotThereGivesOneBoxThatNamesIt) {
  Create();
  const int code = Run("config\ntext " + Id(kBackupPath) +
                       " \"\\CompactFlash\\NoSuch\\T5x5x_Backup.bak\"\nanswer ok\nclick " + Id(kBackupAll) + "\n");
  EXPECT_EQ(code, runner::kExitOk) << err.str();
  EXPECT_EQ(out.str(),
            "box TalvonUtility | ERROR: Can't open File. The folder \\CompactFlash\\NoSuch does not exist. | 16 -> "
            "ok\n");
  EXPECT_FALSE(std::filesystem::exists(Host("CompactFlash/NoSuch")));
}

TEST_F(GeneralSettingScript, RestoreRegistryBringsBackTheDump) {
  Create();
  ASSERT_EQ(Run(SetAndFlush(2) + "config\nanswer yes\nanswer ok\nclick " + Id(kDumpRegistry) + "\n"), runner::kExitOk)
      << err.str();
  EXPECT_TRUE(Contains(out.str(),
                       "box Save Registry | Do you want to Dump the Registries? | 36 -> yes\n"
                       "box TalvonUtility | Registry dump to dumpfile successed. | 64 -> ok\n"))
      << out.str();
  EXPECT_EQ(std::filesystem::file_size(Host("CompactFlash/Velmar/Tools/BackUp.REG")), 786'432u);

  ASSERT_EQ(Run(SetAndFlush(3)), runner::kExitOk) << err.str();
  const int code = Run("config\nanswer yes\nanswer ok\nclick " + Id(kRestoreRegistry) + "\nconfig\nprint " +
                       Id(kResolutionReadBack) + "\n");
  EXPECT_EQ(code, runner::kExitOk) << err.str();
  EXPECT_EQ(out.str(),
            "box Save Registry | Do you want to Restore the Registries? | 36 -> yes\n"
            "box TalvonUtility | Registry restore from dumpfile successed. | 64 -> ok\n"
            "reboot\n"
            "print " + Id(kResolutionReadBack) + " 800 x 600\n");
}

TEST_F(GeneralSettingScript, RestoreRegistryWithoutADumpSaysSoAndRebootsUnchanged) {
  Create();
  const std::vector<char> before = FlashBin();
  const int code = Run("config\nanswer yes\nanswer ok\nclick " + Id(kRestoreRegistry) + "\nconfig\nprint " +
                       Id(kResolutionReadBack) + "\n");
  EXPECT_EQ(code, runner::kExitOk) << err.str();
  EXPECT_EQ(out.str(),
            "box Save Registry | Do you want to Restore the Registries? | 36 -> yes\n"
            "box TalvonUtility | Can't open the dumpfile | 16 -> ok\n"
            "reboot\n"
            "print " + Id(kResolutionReadBack) + " 640 x 480\n");
  EXPECT_TRUE(FlashBin() == before);
}

TEST_F(GeneralSettingScript, ADumpTheControllerCouldNotBootIsRefusedWithTheRegistryAreaUnchanged) {
  Create();
  ASSERT_EQ(Run(SetAndFlush(2)), runner::kExitOk) << err.str();
  std::vector<char> random(RegistryFlashAreaSize);
  std::uint32_t x = 11;
  for (char& c : random) c = static_cast<char>((x = x * 1103515245u + 12345u) >> 16);
  std::ofstream(Host("CompactFlash/Velmar/Tools/BackUp.REG"), std::ios::binary)
      .write(random.data(), static_cast<std::streamsize>(random.size()));
  const std::vector<char> before = FlashBin();
  const int code = Run("config\nanswer yes\nanswer ok\nclick " + Id(kRestoreRegistry) + "\nconfig\nprint " +
                       Id(kResolutionReadBack) + "\n");
  EXPECT_EQ(code, runner::kExitOk) << err.str();
  EXPECT_EQ(out.str(),
            "box Save Registry | Do you want to Restore the Registries? | 36 -> yes\n"
            "box TalvonUtility | ERROR: No registry the talvon can boot in the dumpfile (registry hive is damaged: no "
            "hive signature). | 16 -> ok\n"
            "reboot\n"
            "print " + Id(kResolutionReadBack) + " 800 x 600\n");
  EXPECT_TRUE(FlashBin() == before);
}

// A registry area that fails while it is cleared does not restart the
// controller into its factory registry: the running one is flushed back.
TEST_F(GeneralSettingScript, ARestoreRegistryThatFailsToClearLeavesTheRunningRegistryToFlushBack) {
  Create();
  ASSERT_EQ(Run(SetAndFlush(2) + "config\nanswer yes\nanswer ok\nclick " + Id(kDumpRegistry) + "\n"), runner::kExitOk)
      << err.str();
  AddFlashFault("{\"eraseFailures\": [{\"address\": \"0xBE9C0000\"}]}");
  const int code = Run(
      "config\nanswer yes\nanswer ok\nanswer ok\nclick " + Id(kRestoreRegistry) + "\n"
      "print " + Id(kResolutionReadBack) + "\n"
      "answer yes\nanswer yes\nclick " + Id(ids129::kConfirmRegistryButton) + "\n"
      "config\nprint " + Id(kResolutionReadBack) + "\n");
  EXPECT_EQ(code, runner::kExitOk) << err.str();
  EXPECT_EQ(out.str(),
            "box Save Registry | Do you want to Restore the Registries? | 36 -> yes\n"
            "box TalvonUtility | Registry clear failed. | 16 -> ok\n"
            "box ERROR | The registry area of the flash memory is incomplete, so the controller has not been "
            "restarted. Please press Confirm Registry to store the running settings again. | 16 -> ok\n"
            "print " + Id(kResolutionReadBack) + " 800 x 600\n"
            "box Save Registry | It would take 10-15 seconds to store your settings into internal non-volatile "
            "memory. Proceed ? | 36 -> yes\n"
            "box System Reboot | All settings you changed will take effect\\n after system reboot, reboot now ? | "
            "52 -> yes\n"
            "reboot\n"
            "print " + Id(kResolutionReadBack) + " 800 x 600\n");
}

TEST_F(GeneralSettingScript, FactoryResetErasesTheRegistryAreaAndBootsTheFactoryRegistry) {
  Create();
  ASSERT_EQ(Run(SetAndFlush(2)), runner::kExitOk) << err.str();
  const int code = Run("config\nanswer yes\nanswer ok\nclick " + Id(kFactoryButton) + "\nconfig\nprint " +
                       Id(kResolutionReadBack) + "\n");
  EXPECT_EQ(code, runner::kExitOk) << err.str();
  EXPECT_EQ(out.str(),
            "box Factory Registry Settings | It would recover all your settings to factory default settings, are you "
            "sure ? | 52 -> yes\n"
            "box Factory Registry Settings | It would take few seconds to recover, please wait ! | 64 -> ok\n"
            "reboot\n"
            "print " + Id(kResolutionReadBack) + " 640 x 480\n");
  const std::vector<char> flash = FlashBin();
  const std::size_t start = RegistryFlashArea - FlashWindowBase;
  ASSERT_GE(flash.size(), start + RegistryFlashAreaSize);
  EXPECT_TRUE(std::all_of(flash.begin() + start, flash.begin() + start + RegistryFlashAreaSize,
                          [](char c) { return c == '\xFF'; }));
}

TEST_F(GeneralSettingScript, TouchSelectionsLeaveExactlyTheDriversValues) {
  Create();
  {
    // Calibration left by the USB driver: X_0 to X_4, and X_16 beyond the cleared range.
    std::string error;
    auto booted = provider->Boot(&error);
    ASSERT_NE(booted, nullptr) << error;
    Registry& registry = booted->GetPlatform().registry;
    HKEY key = 0;
    ASSERT_EQ(registry.OpenKey(HKEY_LOCAL_MACHINE, "Drivers\\USB\\ClientDrivers\\PenMount_USB_HID_Class_Driver\\0",
                               KEY_ALL_ACCESS, &key),
              ERROR_SUCCESS);
    const std::uint8_t one[4] = {1, 0, 0, 0};
    for (const char* name : {"CalibPoints", "X_0", "X_1", "X_2", "X_3", "X_4", "Y_0", "X_16"}) {
      registry.SetValue(key, name, REG_DWORD, one, 4);
    }
    registry.CloseKey(key);
    ASSERT_EQ(registry.FlushKey(HKEY_LOCAL_MACHINE), ERROR_SUCCESS);
  }
  const std::string usbKey = "\"Drivers\\USB\\ClientDrivers\\PenMount_USB_HID_Class_Driver\\0\"";
  const std::string serialKey = "\"Drivers\\BuiltIn\\Dmc9x00\"";
  const std::string values = "reg " + usbKey + " \"Mode\"\nreg " + usbKey + " \"CalibPoints\"\nreg " + usbKey +
                             " \"X_4\"\nreg " + usbKey + " \"Y_0\"\nreg " + usbKey + " \"X_16\"\nreg " + serialKey +
                             " \"Port\"\nreg " + serialKey + " \"pmode\"\n";
  // The selections flush: what they leave outlives a reboot that nothing else flushed before.
  const int code = Run("config\nclick " + Id(kSerialButton) + "\n" + values +
                       "answer yes\nanswer yes\nclick " + Id(ids129::kConfirmRegistryButton) + "\n"
                       "config\nclick " + Id(kUsbIcon) + "\n" + values);
  EXPECT_EQ(code, runner::kExitOk) << err.str();
  const std::string usb = "reg Drivers\\USB\\ClientDrivers\\PenMount_USB_HID_Class_Driver\\0 ";
  const std::string serial = "reg Drivers\\BuiltIn\\Dmc9x00 ";
  const std::string afterSerial = "start \\windows\\Calibrate_serial.exe\n" + usb + "Mode REG_DWORD 4 1\n" + usb +
                                  "CalibPoints absent\n" + usb + "X_4 absent\n" + usb + "Y_0 absent\n" + usb +
                                  "X_16 REG_DWORD 4 1\n" + serial + "Port REG_DWORD 4 2\n" + serial +
                                  "pmode REG_DWORD 4 0\n";
  const std::string afterUsb = "start \\windows\\Calibrate_usb.exe\n" + usb + "Mode REG_DWORD 4 1\n" + usb +
                               "CalibPoints absent\n" + usb + "X_4 absent\n" + usb + "Y_0 absent\n" + usb +
                               "X_16 REG_DWORD 4 1\n" + serial + "Port REG_DWORD 4 0\n" + serial +
                               "pmode REG_DWORD 4 1\n";
  EXPECT_TRUE(Contains(out.str(), afterSerial + "box Save Registry")) << out.str();
  EXPECT_TRUE(Contains(out.str(), "reboot\n" + afterUsb)) << out.str();
}

// ---- Memory division ----

TEST_F(GeneralSettingScript, TheWorkedDivisionIsAskedForRecordedAndInForceAfterAFlushAndReboot) {
  Create();
  const int code = Run(
      "config\n" +
      Print({kMemorySlider, kStorageAllocated, kStorageInUse, kProgramAllocated, kProgramInUse}) +
      "slider " + Id(kMemorySlider) + " 400\n" +
      Print({kMemorySlider, kStorageAllocated, kProgramAllocated}) +
      "click " + Id(kConfirmSettings) + "\n"
      "reg \"Velmar\" \"MemDivision\"\n"
      "answer yes\nanswer yes\nclick " + Id(ids129::kConfirmRegistryButton) + "\n"
      "config\n" +
      Print({kMemorySlider, kStorageAllocated, kProgramAllocated}));
  EXPECT_EQ(code, runner::kExitOk) << err.str();
  const std::string s = out.str();
  const std::string afterRelease = "print " + Id(kMemorySlider) + " 319\nprint " + Id(kStorageAllocated) +
                                   " 20416KB\nprint " + Id(kProgramAllocated) + " 12352KB\n";
  EXPECT_EQ(s.substr(0, s.find("box")),
            "print " + Id(kMemorySlider) + " 256\n"
            "print " + Id(kStorageAllocated) + " 16384KB\n"
            "print " + Id(kStorageInUse) + " 4000KB\n"
            "print " + Id(kProgramAllocated) + " 16384KB\n"
            "print " + Id(kProgramInUse) + " 12000KB\n" + afterRelease +
            "division 5104 -> changed\n"
            "reg Velmar MemDivision REG_DWORD 4 5104\n");
  EXPECT_TRUE(Contains(s, "reboot\n" + afterRelease)) << s;
}

TEST_F(GeneralSettingScript, AReleaseBelowStorageInUseSnapsToItAndTheSearchFindsTheNextStep) {
  Create();
  const int code = Run("config\nslider " + Id(kMemorySlider) + " 10\n" + Print({kMemorySlider, kStorageAllocated}) +
                       "answer ok\nclick " + Id(kConfirmSettings) + "\n" +
                       Print({kMemorySlider, kStorageAllocated, kProgramAllocated}) +
                       "reg \"Velmar\" \"MemDivision\"\n");
  EXPECT_EQ(code, runner::kExitOk) << err.str();
  EXPECT_EQ(out.str(),
            "print " + Id(kMemorySlider) + " 62\n"
            "print " + Id(kStorageAllocated) + " 3968KB\n"
            "division 992 -> refused 3\n"
            "division 1008 -> changed\n"
            "box TalvonUtility | The boundary has been moved as far as possible. Resetting the device may allow the "
            "boundary to be moved further | 0 -> ok\n"
            "print " + Id(kMemorySlider) + " 63\n"
            "print " + Id(kStorageAllocated) + " 4032KB\n"   // the division found, not the request refused
            "print " + Id(kProgramAllocated) + " 28736KB\n"
            "reg Velmar MemDivision REG_DWORD 4 4096\n");
}

TEST_F(GeneralSettingScript, ARefusedRequestEasesBackTheMarginBelowTheAcceptedDownwardStep) {
  options.factory.config.memory.programReservePages = 100;  // storage can reach 5093 pages at most
  Create();
  const int code = Run("config\nslider " + Id(kMemorySlider) + " 400\nanswer ok\nclick " + Id(kConfirmSettings) + "\n" +
                       Print({kMemorySlider, kStorageAllocated, kProgramAllocated}));
  EXPECT_EQ(code, runner::kExitOk) << err.str();
  EXPECT_EQ(out.str(),
            "division 5104 -> refused 3\n"
            "division 5088 -> changed\n"
            "division 5056 -> changed\n"
            "box TalvonUtility | The boundary has been moved as far as possible. Resetting the device may allow the "
            "boundary to be moved further | 0 -> ok\n"
            "print " + Id(kMemorySlider) + " 316\n"
            "print " + Id(kStorageAllocated) + " 20224KB\n"
            "print " + Id(kProgramAllocated) + " 12544KB\n");
}

TEST_F(GeneralSettingScript, ARequestNothingSatisfiesLeavesTheDivisionInForce) {
  options.factory.config.memory.programReservePages = 4200;  // the kernel gives storage nothing in use can spare
  Create();
  const int code = Run("config\nslider " + Id(kMemorySlider) + " 400\nanswer ok\nclick " + Id(kConfirmSettings) + "\n" +
                       Print({kMemorySlider, kStorageAllocated}));
  EXPECT_EQ(code, runner::kExitOk) << err.str();
  const std::string s = out.str();
  EXPECT_EQ(s.find("-> changed"), std::string::npos) << s;
  // Every step from 5088 down to 1008 and from 5120 up was tried, down first.
  EXPECT_TRUE(Contains(s, "division 5104 -> refused 3\ndivision 5088 -> refused 3\ndivision 5120 -> refused 3\n"
                          "division 5072 -> refused 3\ndivision 5056 -> refused 3\n"))
      << s;
  EXPECT_TRUE(Contains(s, "division 1008 -> refused 3\nbox TalvonUtility | The boundary")) << s;
  EXPECT_TRUE(Contains(s, "print " + Id(kMemorySlider) + " 256\nprint " + Id(kStorageAllocated) + " 16384KB\n")) << s;
}

TEST_F(GeneralSettingScript, TinyRamNeverShowsANegativeSize) {
  // Eight pages: less than one unit of the slider, whose least position is one.
  options.factory.config.memory = {.pageSize = 4096, .totalPages = 8, .storagePages = 4, .storageUsedBytes = 0,
                                   .programUsedBytes = 0, .programReservePages = 0};
  Create();
  const int code = Run(
      "config\n" + Print({kStorageAllocated, kProgramAllocated}) + "slider " + Id(kMemorySlider) + " 1\n" +
      Print({kMemorySlider, kStorageAllocated, kProgramAllocated}) + "click " + Id(kConfirmSettings) + "\n" +
      Print({kStorageAllocated, kProgramAllocated}));
  EXPECT_EQ(code, runner::kExitOk) << err.str();
  // The least position stands for 16 pages: the labels show what there is, and
  // after Confirm Settings the division the controller took.
  EXPECT_EQ(out.str(),
            "print " + Id(kStorageAllocated) + " 16KB\n"
            "print " + Id(kProgramAllocated) + " 16KB\n"
            "print " + Id(kMemorySlider) + " 1\n"
            "print " + Id(kStorageAllocated) + " 32KB\n"
            "print " + Id(kProgramAllocated) + " 0KB\n"
            "division 0 -> changed\n"
            "print " + Id(kStorageAllocated) + " 0KB\n"
            "print " + Id(kProgramAllocated) + " 32KB\n");
}

}  // namespace
}  // namespace talvon
