// talvon-bin on images at the edges of what the format carries.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "run_tool.h"
#include "support/temp_dir.h"

namespace talvon::test {
namespace {

using ::testing::HasSubstr;

TEST(TalvonBin, AVersionTextOfTheFullLengthIsBuiltAndListedWhole) {
  TempDir dir;
  const std::string image = (dir.Path() / "nk.bin").string();
  std::string version = "TalvonOS 12.0 build ";
  while (version.size() < 120) version += static_cast<char>('a' + version.size() % 26);
  ToolRun run = RunProgram(TALVON_BIN, {"build", "--version", version, "--size", "0x2000", image});
  ASSERT_EQ(run.exitCode, 0) << run.output;
  run = RunProgram(TALVON_BIN, {"list", image});
  EXPECT_EQ(run.exitCode, 0) << run.output;
  EXPECT_THAT(run.output, HasSubstr("OS version    " + version + "\n"));
  run = RunProgram(TALVON_BIN, {"build", "--version", version + "x", "--size", "0x2000", image + "2"});
  EXPECT_NE(run.exitCode, 0) << run.output;
}

}  // namespace
}  // namespace talvon::test
