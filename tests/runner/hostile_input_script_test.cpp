// Scripted runs as a new user starts them: a controller named by a relative
// path, programs that cannot load, files named in Latin-1 letters.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "flash/bin_image_builder.h"
#include "platform/templates/ids_132.h"
#include "platform/templates/ids_133.h"
#include "runner/headless_main.h"
#include "runner/script_runner.h"
#include "script_ids.h"
#include "support/temp_dir.h"

namespace talvon {
namespace {

namespace fs = std::filesystem;
using test::Id;

// Runs talvon-utility --headless from inside a temporary directory, with
// the controller given as the relative path "rack/ctl".
class RelativeControllerRun : public ::testing::Test {
 protected:
  RelativeControllerRun() : previous_(fs::current_path()) { fs::current_path(dir_.Path()); }
  ~RelativeControllerRun() override { fs::current_path(previous_); }

  int Run(const std::string& script) {
    std::ofstream(dir_.Path() / "script.txt") << script;
    const char* argv[] = {"talvon-utility", "--headless", "--script", "script.txt", "--controller", "rack/ctl"};
    out_.str("");
    err_.str("");
    return runner::HeadlessMain(6, argv, out_, err_);
  }
  void PutFile(const fs::path& relative, const std::string& bytes, bool executable = false) {
    const fs::path host = dir_.Path() / "rack" / "ctl" / "fs" / relative;
    fs::create_directories(host.parent_path());
    std::ofstream(host, std::ios::binary | std::ios::trunc) << bytes;
    if (executable) ::chmod(host.c_str(), 0755);
  }

  test::TempDir dir_;
  fs::path previous_;
  std::ostringstream out_, err_;
};

TEST_F(RelativeControllerRun, ProgramsStartFromARelativeControllerPath) {
  ASSERT_EQ(Run("info\nclick " + Id(ids132::kViewRegistry) + "\n"), runner::kExitOk) << err_.str();
  EXPECT_EQ(out_.str(), "start \\windows\\RegView.exe\n");
}

TEST_F(RelativeControllerRun, AProgramThatCannotLoadIsReportedNotStarted) {
  ASSERT_EQ(Run(""), runner::kExitOk) << err_.str();  // creates the controller
  PutFile("Windows/RegView.exe", "#!/no/such/interpreter\n", true);
  EXPECT_EQ(Run("info\nanswer ok\nclick " + Id(ids132::kViewRegistry) + "\n"), runner::kExitOk) << err_.str();
  EXPECT_EQ(out_.str(), "box Save Registry | CreateProcess failed | 0 -> ok\n");
}

TEST_F(RelativeControllerRun, AnImageNamedWithALatin1LetterIsWritten) {
  ASSERT_EQ(Run(""), runner::kExitOk) << err_.str();
  const std::vector<std::uint8_t> image = BuildBinImage({.version = "TalvonOS 13.0", .size = 0x8000});
  PutFile("CompactFlash/\u00e9t\u00e9.bin", std::string(image.begin(), image.end()));
  const int code = Run(
      "config\n"
      "tab 1\n"
      "file \"\\CompactFlash\\\u00e9T\u00e9.BIN\"\n"
      "click " + Id(ids133::kBrowseButton) + "\n"
      "click " + Id(ids133::kWriteButton) + "\n"
      "info\n"
      "print " + Id(ids132::kOsVersionField) + "\n");
  EXPECT_EQ(code, runner::kExitOk) << err_.str();
  EXPECT_EQ(out_.str(), "reboot\nprint " + Id(ids132::kOsVersionField) + " TalvonOS 13.0\n");
}

}  // namespace
}  // namespace talvon
