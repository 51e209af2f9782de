// talvon-sim as a bench technician runs it: exit codes, one clear line on
// failure, and the console commands end to end on a controller directory.
#include <gtest/gtest.h>

#include "flash/bin_image_builder.h"
#include "run_tool.h"
#include "support/temp_dir.h"

namespace talvon::test {
namespace {

using test::TempDir;

class TalvonSimTest : public ::testing::Test {
 protected:
  std::string Path(const std::string& name) const { return (scratch_.Path() / name).string(); }
  ToolRun Sim(const std::string& arguments) const {
    return RunTool(std::string(TALVON_SIM) + " " + arguments + " --controller " + Quoted(Path("controller")));
  }
  TempDir scratch_;
};

TEST_F(TalvonSimTest, WrongCommandLinesAreRefusedWithOneLineAndUsage) {
  for (const char* arguments : {"melt", "slot 2", "flash write 0 1 x", "backup", "registry export x",
                                "info --merge", "slot 2 17 --image x.bin"}) {
    const ToolRun run = Sim(arguments);
    EXPECT_EQ(run.exitCode, 2) << arguments;
    EXPECT_EQ(run.output.rfind("talvon-sim: ", 0), 0u) << run.output;
    EXPECT_NE(run.output.find("usage:"), std::string::npos) << run.output;
  }
}

TEST_F(TalvonSimTest, SlotRegistryImportAndInfoWorkOnTheControllerFiles) {
  ASSERT_EQ(Sim("create").exitCode, 0);  // only create makes a controller
  ToolRun run = Sim("slot 4 rs232-4port");
  ASSERT_EQ(run.exitCode, 0) << run.output;
  run = Sim("slot 7 60 --name 87060");
  ASSERT_EQ(run.exitCode, 0) << run.output;
  run = Sim("info");
  ASSERT_EQ(run.exitCode, 0) << run.output;
  EXPECT_NE(run.output.find("slot 4      module 144 \"8144\""), std::string::npos) << run.output;
  EXPECT_NE(run.output.find("answers \"87060\" on COM1:"), std::string::npos) << run.output;
  EXPECT_NE(run.output.find("OS image area"), std::string::npos) << run.output;

  run = Sim("slot 9 17");
  EXPECT_EQ(run.exitCode, 1);
  EXPECT_EQ(run.output, "talvon-sim: slot 9 does not exist: slots are 1 to 7\n");

  test::WriteFile(Path("bench.reg"), "REGEDIT4\n\n[HKEY_LOCAL_MACHINE\\Bench]\n\"Rack\"=dword:00000003\n");
  run = Sim("registry import " + Quoted(Path("bench.reg")) + " --merge");
  ASSERT_EQ(run.exitCode, 0) << run.output;
  run = Sim("registry");
  EXPECT_NE(run.output.find("\"Rack\"=dword:00000003"), std::string::npos);
  EXPECT_NE(run.output.find("[HKEY_LOCAL_MACHINE\\Drivers"), std::string::npos);
  test::WriteFile(Path("bad.reg"), "REGEDIT4\n[HKEY_CURRENT_USER\\X]\n");
  run = Sim("registry import " + Quoted(Path("bad.reg")));
  EXPECT_EQ(run.exitCode, 1);
  EXPECT_NE(run.output.find("line 2"), std::string::npos) << run.output;
}

TEST_F(TalvonSimTest, WriteOsAndFlashReadWithoutATerminalPrintNoProgressBar) {
  ASSERT_EQ(Sim("create").exitCode, 0);  // only create makes a controller
  const std::vector<std::uint8_t> image = BuildBinImage({.version = "TalvonOS 13 (console)", .size = 0x20000});
  test::WriteFile(Path("nk.bin"), std::string(image.begin(), image.end()));
  ASSERT_EQ(Sim("wipe-os").exitCode, 0);
  ToolRun run = Sim("write-os " + Quoted(Path("nk.bin")));
  ASSERT_EQ(run.exitCode, 0) << run.output;
  EXPECT_EQ(run.output, "OS image written: the controller boots again\n");
  run = Sim("info");
  EXPECT_NE(run.output.find("version TalvonOS 13 (console)"), std::string::npos) << run.output;

  run = Sim("flash read 0xBCA80048 4 " + Quoted(Path("tver.bin")));
  ASSERT_EQ(run.exitCode, 0) << run.output;
  EXPECT_EQ(test::ReadFile(Path("tver.bin")), "TVER");

  run = Sim("write-os " + Quoted(Path("missing.bin")));
  EXPECT_EQ(run.exitCode, 1);
  EXPECT_EQ(run.output,
            "talvon-sim: This bin image cannot be written: The image file cannot be opened. The flash memory has "
            "not been changed.\n");
}

TEST_F(TalvonSimTest, InfoAndFaultNumberBanksAndChipsAlike) {
  ASSERT_EQ(Sim("create").exitCode, 0);
  ToolRun run = Sim("fault never-ready 0 1");
  ASSERT_EQ(run.exitCode, 0) << run.output;
  run = Sim("fault erase 0xBE940000");
  ASSERT_EQ(run.exitCode, 0) << run.output;
  run = Sim("info");
  ASSERT_EQ(run.exitCode, 0) << run.output;
  // The chip the fault names is the one the map lists under that number.
  EXPECT_NE(run.output.find("  bank 0      0xBCA00000 to 0xBEA00000: 2 x Intel chip of 16 MiB (chips 0 to 1)"),
            std::string::npos)
      << run.output;
  EXPECT_NE(run.output.find("fault       never-ready 0 1\n"), std::string::npos) << run.output;
  EXPECT_NE(run.output.find("fault       erase 0xBE940000\n"), std::string::npos) << run.output;
  // One bank and two chips: bank 1 and chip 2 are past the last.
  EXPECT_EQ(Sim("fault never-ready 1 0").exitCode, 1);
  EXPECT_EQ(Sim("fault no-cfi 0 2").exitCode, 1);
}

}  // namespace
}  // namespace talvon::test
