// talvon-sim as a user meets it with mistyped directories, missing or
// hostile controller files and faults that come and go.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>

#include "run_tool.h"
#include "support/temp_dir.h"

namespace talvon::test {
namespace {

namespace fs = std::filesystem;
using ::testing::HasSubstr;

class TalvonSim : public ::testing::Test {
 protected:
  fs::path Controller() const { return dir_.Path() / "controller"; }
  ToolRun Sim(std::vector<std::string> args, const fs::path& controller) {
    args.push_back("--controller");
    args.push_back(controller.string());
    return RunProgram(TALVON_SIM, args);
  }
  ToolRun Sim(std::vector<std::string> args) { return Sim(std::move(args), Controller()); }
  void Create() {
    const ToolRun run = Sim({"create"});
    ASSERT_EQ(run.exitCode, 0) << run.output;
  }

  TempDir dir_;
};

TEST_F(TalvonSim, OnlyCreateMakesAController) {
  const fs::path mistyped = dir_.Path() / "contoller";
  for (const std::vector<std::string>& command : std::vector<std::vector<std::string>>{
           {"info"}, {"registry"}, {"wipe-os"}, {"recover"}, {"fault", "clear"}}) {
    const ToolRun run = Sim(command, mistyped);
    EXPECT_EQ(run.exitCode, 1) << command[0] << ": " << run.output;
    EXPECT_THAT(run.output, HasSubstr("no controller in")) << command[0];
    EXPECT_FALSE(fs::exists(mistyped)) << command[0] << " made the directory";
  }
  EXPECT_EQ(Sim({"create"}, mistyped).exitCode, 0);
  EXPECT_TRUE(fs::exists(mistyped / "flash.bin"));
}

TEST_F(TalvonSim, ReadOnlyCommandsWriteNothing) {
  Create();
  // A stuck bit in the OS area: reading must not put it into flash.bin.
  ASSERT_EQ(Sim({"fault", "stuck", "0xBCA80040", "0x01", "low"}).exitCode, 0);
  fs::remove_all(Controller() / "fs");
  const std::string flashBefore = ReadFile(Controller() / "flash.bin");
  const auto stamp = fs::last_write_time(Controller() / "flash.bin");
  for (const char* command : {"info", "registry"}) {
    const ToolRun run = Sim({command});
    EXPECT_EQ(run.exitCode, 0) << command << ": " << run.output;
  }
  EXPECT_TRUE(ReadFile(Controller() / "flash.bin") == flashBefore);
  EXPECT_EQ(fs::last_write_time(Controller() / "flash.bin"), stamp);
  EXPECT_FALSE(fs::exists(Controller() / "fs"));
}

TEST_F(TalvonSim, AStuckBitShowsWhileTheFaultIsSetAndIsGoneWhenCleared) {
  Create();
  EXPECT_THAT(Sim({"info"}).output, HasSubstr("OS image    present"));
  // Bit 0 of the ROM signature's first byte (0x45) stuck low: the image
  // reads as gone, though flash.bin still holds it.
  ASSERT_EQ(Sim({"fault", "stuck", "0xBCA80040", "0x01", "low"}).exitCode, 0);
  EXPECT_THAT(Sim({"info"}).output, HasSubstr("OS image    no bootable image"));
  ASSERT_EQ(Sim({"fault", "clear"}).exitCode, 0);
  EXPECT_THAT(Sim({"info"}).output, HasSubstr("OS image    present"));
}

TEST_F(TalvonSim, AMissingFlashBinIsNamedAndMadeOnlyByCreate) {
  Create();
  fs::remove(Controller() / "flash.bin");
  for (const char* command : {"info", "wipe-os"}) {
    const ToolRun run = Sim({command});
    EXPECT_EQ(run.exitCode, 1) << command;
    EXPECT_THAT(run.output, HasSubstr("flash.bin missing")) << command;
    EXPECT_FALSE(fs::exists(Controller() / "flash.bin")) << command;
  }
  ASSERT_EQ(Sim({"create"}).exitCode, 0);
  EXPECT_THAT(Sim({"info"}).output, HasSubstr("OS image    present"));
}

TEST_F(TalvonSim, ControllerJsonNestedThousandsDeepIsRefusedWithAMessage) {
  Create();
  const std::string deep = std::string(100000, '[') + std::string(100000, ']');
  WriteFile(Controller() / "controller.json", "{\"flash\": {\"banks\": " + deep + "}}");
  const ToolRun run = Sim({"info"});
  EXPECT_EQ(run.exitCode, 1) << run.output;
  EXPECT_THAT(run.output, HasSubstr("nested more than 32 levels"));
}

TEST_F(TalvonSim, TimingsNoChipCouldStateAreRefused) {
  Create();
  WriteFile(Controller() / "controller.json",
            R"({"flash": {"banks": [{"timing": {"blockEraseMs": 1024, "blockEraseMaxMs": 1073741824}}]}})");
  const ToolRun run = Sim({"info"});
  EXPECT_EQ(run.exitCode, 1) << run.output;
  EXPECT_THAT(run.output, HasSubstr("flash.banks[0].timing.blockEraseMaxMs"));
}

TEST_F(TalvonSim, AGarbageFactoryRegistryIsQuotedSafely) {
  Create();
  WriteFile(Controller() / "factory.reg", std::string("\x1b[2J\x1b]0;owned\x07\xff\xfe garbage\n", 23));
  const ToolRun run = Sim({"registry"});
  EXPECT_EQ(run.exitCode, 1) << run.output;
  EXPECT_THAT(run.output, HasSubstr("line 1"));
  EXPECT_THAT(run.output, HasSubstr("\\x1B[2J"));
  EXPECT_TRUE(std::none_of(run.output.begin(), run.output.end(), [](char c) {
    const auto byte = static_cast<unsigned char>(c);
    return (byte < 0x20 && c != '\n') || byte >= 0x7F;
  })) << "raw bytes reached the terminal";
}

}  // namespace
}  // namespace talvon::test
