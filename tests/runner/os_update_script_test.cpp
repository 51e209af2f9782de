// A scripted OS update on a simulated controller kept in a directory: the
// run writes the image, the controller reboots into it, and the script goes
// on against the new OS.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "flash/bin_image_builder.h"
#include "platform/templates/ids_132.h"
#include "platform/templates/ids_133.h"
#include "runner/script.h"
#include "runner/script_fixture.h"
#include "runner/script_runner.h"
#include "runner/simulated_controller_provider.h"
#include "script_ids.h"
#include "support/controller_folder.h"

namespace talvon {
namespace {

using test::Id;

struct OsUpdateScript : ::testing::Test {
  OsUpdateScript() : provider(dir.Dir(), dir.Clock(), test::ControllerFolder::QuietOptions()) {}

  void PutImage(const std::string& name, const std::vector<std::uint8_t>& bytes) {
    dir.PutFile("CompactFlash/" + name, bytes);
  }

  int Run(const std::string& source) {
    return test::RunScriptText(provider, source, out, err);
  }

  test::ControllerFolder dir;
  runner::SimulatedControllerProvider provider;
  std::ostringstream out;
  std::ostringstream err;
};

TEST_F(OsUpdateScript, UpdateRebootsIntoTheNewImageAndTheScriptGoesOn) {
  std::string bootError;
  ASSERT_NE(provider.Boot(&bootError), nullptr) << bootError;  // creates the factory controller
  PutImage("nk.bin", BuildBinImage({.version = "TalvonOS 11.0", .imageStart = 0x80200000, .size = 0x40000,
                                    .recordSize = 0x8000}));
  PutImage("notes.bin", {'n', 'o', 't', 'e', 's'});
  const int code = Run(
      "info\n"
      "print " + Id(ids132::kOsVersionField) + "\n"
      "home\n"
      "config\n"
      "tab 1\n"
      "file \"\\CompactFlash\\notes.bin\"\n"
      "answer ok\n"
      "click " + Id(ids133::kBrowseButton) + "\n"
      "click " + Id(ids133::kWriteButton) + "\n"
      "file \"\\CompactFlash\\nk.bin\"\n"
      "click " + Id(ids133::kBrowseButton) + "\n"
      "click " + Id(ids133::kWriteButton) + "\n"
      "info\n"
      "print " + Id(ids132::kOsVersionField) + "\n");
  EXPECT_EQ(code, runner::kExitOk) << err.str();
  EXPECT_EQ(out.str(),
            "print " + Id(ids132::kOsVersionField) + " Talvon CE 5.0 build 1400 (simulated)\n"
            "box ERROR | This is not a bin image,Please select another file. | 16 -> ok\n"
            "ignored click " + Id(ids133::kWriteButton) + ": disabled\n"
            "reboot\n"
            "print " + Id(ids132::kOsVersionField) + " TalvonOS 11.0\n");
}

}  // namespace
TEST_F(OsUpdateScript, ARecordThatWillNotProgramEndsWithoutARebootIntoABrokenImage) {
  std::string bootError;
  ASSERT_NE(provider.Boot(&bootError), nullptr) << bootError;  // creates the factory controller
  // The controller's flash gets a cell that will not program, inside the OS image area.
  const auto config = dir.Path() / "controller" / "controller.json";
  std::stringstream json;
  json << std::ifstream(config).rdbuf();
  std::string text = json.str();
  text.insert(text.rfind('}'), ",\n  \"flash\": {\"faults\": {\"programFailures\": [\"0xBCA90000\"]}}\n");
  std::ofstream(config) << text;

  PutImage("nk.bin", BuildBinImage({.version = "TalvonOS 11.0", .imageStart = 0x80200000, .size = 0x40000,
                                    .recordSize = 0x8000}));
  const int code = Run(
      "config\n"
      "tab 1\n"
      "file \"\\CompactFlash\\nk.bin\"\n"
      "click " + Id(ids133::kBrowseButton) + "\n"
      "answer ok\n"
      "click " + Id(ids133::kWriteButton) + "\n"
      "print " + Id(ids133::kStatusLine) + "\n");
  EXPECT_EQ(code, runner::kExitOk) << err.str();
  EXPECT_EQ(out.str().find("reboot"), std::string::npos) << out.str();
  EXPECT_NE(out.str().find("print " + Id(ids133::kStatusLine) + " ERROR: Flash failed"), std::string::npos)
      << out.str();
  EXPECT_NE(out.str().find("box "), std::string::npos) << out.str();
}

}  // namespace talvon
