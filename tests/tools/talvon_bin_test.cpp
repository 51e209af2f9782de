// talvon-bin on images made by srecord's srec_cat and on images it wraps
// from raw bytes itself.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>

#include "flash/bin_image_builder.h"
#include "flash/flash_areas.h"
#include "run_tool.h"
#include "support/temp_dir.h"

namespace talvon::test {
namespace {

using test::TempDir;

class TalvonBinTest : public ::testing::Test {
 protected:
  std::string Path(const std::string& name) const { return (scratch_.Path() / name).string(); }

  // Raw OS content carrying the ROM signature and a version record.
  std::string WriteRaw(const std::string& name, std::uint32_t size, const std::string& version) {
    std::vector<std::uint8_t> raw(size);
    FillOsImageContent({.version = version, .size = size}, 0, raw);
    std::ofstream(Path(name), std::ios::binary)
        .write(reinterpret_cast<const char*>(raw.data()), static_cast<std::streamsize>(raw.size()));
    return Path(name);
  }

  // srec_cat RAW -binary -offset ADDR ... -execution-start-address=ADDR -o OUT -msbin
  std::string Srec(const std::string& inputs, const std::string& out) {
    const ToolRun run = RunTool(std::string(SREC_CAT) + " " + inputs +
                                " -execution-start-address=0x80200000 -o " + Quoted(Path(out)) + " -msbin");
    EXPECT_EQ(run.exitCode, 0) << run.output;
    return Path(out);
  }

  static ToolRun Bin(const std::string& arguments) { return RunTool(std::string(TALVON_BIN) + " " + arguments); }

  TempDir scratch_;
};

TEST_F(TalvonBinTest, SrecordImagesVerifyAndListWithTheirRecordsAndVersion) {
  const std::string raw = WriteRaw("os.raw", 0x30000, "TalvonOS 12 (srec)");
  const std::string image = Srec(Quoted(raw) + " -binary -offset 0x80200000", "one.bin");
  ToolRun run = Bin("verify " + Quoted(image));
  EXPECT_EQ(run.exitCode, 0) << run.output;
  EXPECT_NE(run.output.find("good image, 1 records, 196608 data bytes"), std::string::npos) << run.output;
  run = Bin("list " + Quoted(image));
  EXPECT_EQ(run.exitCode, 0) << run.output;
  EXPECT_NE(run.output.find("image length  0x00030000"), std::string::npos) << run.output;
  EXPECT_NE(run.output.find("end record"), std::string::npos) << run.output;
  EXPECT_NE(run.output.find("OS version    TalvonOS 12 (srec)"), std::string::npos) << run.output;

  // Two runs with a gap between them: two records, the length spans the gap.
  const std::string tail = WriteRaw("tail.raw", 0x1000, "");
  const std::string gapped = Srec(Quoted(raw) + " -binary -offset 0x80200000 " + Quoted(tail) +
                                      " -binary -offset 0x80400000",
                                  "gap.bin");
  run = Bin("list " + Quoted(gapped));
  EXPECT_EQ(run.exitCode, 0) << run.output;
  EXPECT_NE(run.output.find("image length  0x00201000"), std::string::npos) << run.output;
  EXPECT_NE(run.output.find("0x80400000  0x00001000"), std::string::npos) << run.output;

  // A second run placed past the end of the OS image area: refused.
  const std::string beyond = Srec(Quoted(raw) + " -binary -offset 0x80200000 " + Quoted(tail) +
                                      " -binary -offset 0x820C0000",
                                  "beyond.bin");
  run = Bin("verify " + Quoted(beyond));
  EXPECT_EQ(run.exitCode, 1) << run.output;
}

TEST_F(TalvonBinTest, BuildFromRawWrapsTheBytesAsSrecordDoes) {
  const std::string raw = WriteRaw("os.raw", 0x28000, "TalvonOS 12.1");
  const std::string srec = Srec(Quoted(raw) + " -binary -offset 0x80200000", "srec.bin");
  ToolRun run = Bin("build --from " + Quoted(raw) + " --record-size 0x28000 " + Quoted(Path("ours.bin")));
  ASSERT_EQ(run.exitCode, 0) << run.output;
  auto bytes = [](const std::string& file) {
    std::ifstream in(file, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  };
  EXPECT_TRUE(bytes(Path("ours.bin")) == bytes(srec));

  run = Bin("build --from " + Quoted(raw) + " --start 0x80010000 " + Quoted(Path("records.bin")));
  ASSERT_EQ(run.exitCode, 0) << run.output;
  run = Bin("verify " + Quoted(Path("records.bin")));
  EXPECT_NE(run.output.find("good image, 3 records, 163840 data bytes"), std::string::npos) << run.output;
}

TEST_F(TalvonBinTest, BuildFromRefusesWhatCannotBeAnImage) {
  std::ofstream(Path("empty.raw")).close();
  EXPECT_EQ(Bin("build --from " + Quoted(Path("empty.raw")) + " " + Quoted(Path("a.bin"))).exitCode, 1);
  std::filesystem::resize_file(Path("empty.raw"), OsImageFlashAreaSize + 1u);  // sparse: costs nothing
  EXPECT_EQ(Bin("build --from " + Quoted(Path("empty.raw")) + " " + Quoted(Path("a.bin"))).exitCode, 1);
  EXPECT_EQ(Bin("build --from " + Quoted(Path("missing.raw")) + " " + Quoted(Path("a.bin"))).exitCode, 1);
  const std::string raw = WriteRaw("os.raw", 0x1000, "");
  EXPECT_EQ(Bin("build --from " + Quoted(raw) + " --version 1.0 " + Quoted(Path("a.bin"))).exitCode, 2);
  EXPECT_EQ(Bin("build --from " + Quoted(raw) + " --start 0 " + Quoted(Path("a.bin"))).exitCode, 2);
  EXPECT_FALSE(std::filesystem::exists(Path("a.bin")));
}

}  // namespace
}  // namespace talvon::test
