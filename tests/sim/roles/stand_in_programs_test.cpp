#include "platform/little_endian.h"
#include "sim/roles/stand_in_programs.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "platform/text.h"
#include "sim/controller/factory_file_system.h"
#include "sim/registry/factory_registry.h"
#include "sim/registry/memory_hive_storage.h"
#include "sim/registry/reg_text.h"
#include "sim/registry/sim_registry.h"
#include "support/temp_dir.h"

namespace talvon::sim {
namespace {

namespace fs = std::filesystem;
using test::TempDir;
using test::WriteFile;

class StandInsTest : public ::testing::Test {
 protected:
  StandInsTest() : root_(scratch_.Path() / "fs") {
    fs::create_directories(root_);
    std::string error;
    EXPECT_TRUE(WriteFactoryFileSystem(root_, &error)) << error;
  }
  TempDir scratch_;
  fs::path root_;
};

TEST_F(StandInsTest, FactoryProgramsAreKnownByTheirPathsInAnyCaseOrSeparator) {
  EXPECT_EQ(StandInAt(root_, "\\windows\\RegView.exe"), StandInProgram::RegistryViewer);
  EXPECT_EQ(StandInAt(root_, "\\WINDOWS\\regview.EXE"), StandInProgram::RegistryViewer);
  EXPECT_EQ(StandInAt(root_, "/windows/Calibrate_serial.exe"), StandInProgram::SerialCalibration);
  EXPECT_EQ(StandInAt(root_, "\\windows\\Calibrate_usb.exe"), StandInProgram::UsbCalibration);
  EXPECT_EQ(StandInAt(root_, "\\compactflash\\Vantro-I\\Lumex\\RegistryOCX.bat"),
            StandInProgram::ActiveXRegistration);
  EXPECT_EQ(StandInAt(root_, "\\Windows\\intll.cpl"), StandInProgram::RegionalSettings);
}

TEST_F(StandInsTest, OtherProgramsMissingFilesAndRealBinariesAreNoStandIns) {
  WriteFile(root_ / "Windows" / "Other.exe", "#!/bin/sh\nexit 0\n");
  EXPECT_EQ(StandInAt(root_, "\\Windows\\Other.exe"), StandInProgram::None);
  EXPECT_EQ(StandInAt(root_, "\\Windows\\..\\Windows\\RegView.exe"), StandInProgram::None);
  // A program of the controller's own in the stand-in's place runs as itself.
  WriteFile(root_ / "Windows" / "RegView.exe", std::string("\x7f" "ELF", 4));
  EXPECT_EQ(StandInAt(root_, "\\windows\\RegView.exe"), StandInProgram::None);
  fs::remove(root_ / "Windows" / "intll.cpl");
  EXPECT_EQ(StandInAt(root_, "\\Windows\\intll.cpl"), StandInProgram::None);
}

TEST(RegistryViewTest, KeysComeWithTheirValuesThenTheirSubkeysAtIncreasingDepth) {
  RegistryStore store;
  ASSERT_TRUE(ImportRegText("REGEDIT4\n\n[HKEY_LOCAL_MACHINE\\Drivers]\n\"Count\"=dword:0000000a\n"
                          "[HKEY_LOCAL_MACHINE\\Drivers\\Display]\n@=\"main\"\n\"Mode\"=hex:01,02\n"
                          "[HKEY_LOCAL_MACHINE\\Init]\n",
                          store)
                  .ok);
  const std::vector<RegistryViewLine> lines = RegistryViewLines(store);
  ASSERT_EQ(lines.size(), 6u);
  EXPECT_EQ(lines[0].text, "Drivers");
  EXPECT_TRUE(lines[0].isKey);
  EXPECT_EQ(lines[1].text, "Count = 0x0000000a (10)");
  EXPECT_EQ(lines[1].depth, 1);
  EXPECT_EQ(lines[2].text, "Display");
  EXPECT_EQ(lines[2].depth, 1);
  EXPECT_EQ(lines[3].text, "(Default) = \"main\"");
  EXPECT_EQ(lines[3].depth, 2);
  EXPECT_EQ(lines[4].text, "Mode = 01 02");
  EXPECT_EQ(lines[5].text, "Init");
  EXPECT_EQ(lines[5].depth, 0);
}

TEST(RegistryViewTest, DataThatDoesNotFitItsTypeShowsAsBytesAndLongDataIsCut) {
  EXPECT_EQ(RegistryViewData({"n", REG_DWORD, {1, 2, 3}}), "01 02 03");
  EXPECT_EQ(RegistryViewData({"s", REG_SZ, {0x41}}), "41");
  EXPECT_EQ(RegistryViewData({"e", REG_BINARY, {}}), "(no data)");
  const std::u16string multi(u"one\0two\0\0", 9);
  std::vector<std::uint8_t> bytes;
  for (char16_t u : multi) {
    bytes.push_back(static_cast<std::uint8_t>(u));
    bytes.push_back(static_cast<std::uint8_t>(u >> 8));
  }
  EXPECT_EQ(RegistryViewData({"m", REG_MULTI_SZ, bytes}), "\"one\" \"two\"");
  const std::string shown = RegistryViewData({"b", REG_BINARY, std::vector<std::uint8_t>(100, 0xAB)});
  EXPECT_NE(shown.find("(100 bytes)"), std::string::npos);
  EXPECT_LT(shown.size(), 140u);
}

class CalibrationTest : public ::testing::Test {
 protected:
  CalibrationTest() : registry_(storage_) { registry_.Boot(DefaultFactoryRegistry()); }
  std::uint32_t Dword(std::string_view key, std::string_view name) {
    const RegistryValue* value = registry_.Store().FindValue(key, name);
    if (value == nullptr || value->type != REG_DWORD || value->data.size() != 4) return 0xDEADBEEF;
    return LoadLe32(value->data.data());
  }
  MemoryHiveStorage storage_;
  SimRegistry registry_;
};

TEST_F(CalibrationTest, TapsOnTheTargetsGiveTheFactoryReadingsInTheSerialDriversKeyAndAreFlushed) {
  const std::vector<PanelPoint> taps = CalibrationTargets();
  ASSERT_EQ(taps.size(), 5u);
  ASSERT_EQ(StoreTouchCalibration(registry_, StandInProgram::SerialCalibration, taps), ERROR_SUCCESS);
  const std::string_view key = "Drivers\\BuiltIn\\Dmc9x00";
  EXPECT_EQ(Dword(key, "CalibPoints"), 5u);
  // The factory registry holds a calibration made on these targets.
  EXPECT_EQ(Dword(key, "X_0"), 0x200u);
  EXPECT_EQ(Dword(key, "Y_0"), 0x200u);
  EXPECT_EQ(Dword(key, "X_1"), 0x60u);
  EXPECT_NEAR(Dword(key, "Y_2"), 0x390, 2);
  EXPECT_EQ(Dword(key, "X_3"), 0x3A0u);
  EXPECT_NEAR(Dword(key, "Y_4"), 0x70, 2);
  // Made permanent: a boot from the stored hive has them.
  SimRegistry rebooted(storage_);
  rebooted.Boot(DefaultFactoryRegistry());
  EXPECT_NE(rebooted.Store().FindValue(key, "X_4"), nullptr);
}

TEST_F(CalibrationTest, UsbCalibrationGoesToTheUsbDriversKeyAndOtherProgramsStoreNothing) {
  const std::vector<PanelPoint> taps = {{0, 0}, {639, 479}, {700, -5}};
  ASSERT_EQ(StoreTouchCalibration(registry_, StandInProgram::UsbCalibration, taps), ERROR_SUCCESS);
  const std::string_view key = "Drivers\\USB\\ClientDrivers\\PenMount_USB_HID_Class_Driver\\0";
  EXPECT_EQ(Dword(key, "CalibPoints"), 3u);
  EXPECT_EQ(Dword(key, "X_0"), 0u);
  EXPECT_EQ(Dword(key, "X_1"), 1022u);
  EXPECT_EQ(Dword(key, "Y_1"), 1021u);
  EXPECT_EQ(Dword(key, "X_2"), 1023u);  // readings stay in the controller's range
  EXPECT_EQ(Dword(key, "Y_2"), 0u);
  EXPECT_EQ(StoreTouchCalibration(registry_, StandInProgram::RegistryViewer, taps), ERROR_INVALID_PARAMETER);
}

TEST_F(StandInsTest, ActiveXRegistrationListsTheControlsOfItsFolder) {
  EXPECT_NE(ActiveXRegistrationPlan(root_).front().find("nothing to register"), std::string::npos);
  const fs::path folder = root_ / "CompactFlash" / "Vantro-I" / "Lumex";
  WriteFile(folder / "Gauge.OCX", "");
  WriteFile(folder / "helper.dll", "");
  WriteFile(folder / "readme.txt", "");
  const std::vector<std::string> plan = ActiveXRegistrationPlan(root_);
  ASSERT_EQ(plan.size(), 2u);
  EXPECT_EQ(plan[0], "regsvrce /s \\compactflash\\Vantro-I\\Lumex\\Gauge.OCX");
  EXPECT_EQ(plan[1], "regsvrce /s \\compactflash\\Vantro-I\\Lumex\\helper.dll");
}

}  // namespace
}  // namespace talvon::sim
