// Record checksums that do not come from our own builder: sums stated by
// hand, and whole images made by srecord, whose data is mostly bytes of
// 0x80 and above (as real images are).
#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "flash/bin_image.h"
#include "support/counting_files.h"
#include "support/flash_sim_fixture.h"

namespace talvon {
namespace {

using Bytes = std::vector<std::uint8_t>;

OsImageCheck Check(const Bytes& file) {
  test_support::CountingFiles files;
  files.Put("\\nk.bin", file);
  auto stream = files.Open("\\nk.bin", "rb");
  std::vector<std::uint8_t> scratch(100);
  return ValidateOsImage(*stream, scratch);
}

TEST(BinChecksum, SumsBytesAsUnsignedValues) {
  EXPECT_EQ(BinChecksum(Bytes{0xFF, 0x80, 0x7F, 0x01, 0xC3}), 0x2C2u);
  EXPECT_EQ(BinChecksum(Bytes(0x10000, 0xFF)), 0xFF0000u);
  EXPECT_EQ(BinChecksum(Bytes{0x80}, 0xFFFFFF80u), 0u);  // wraps at 2^32
}

// An image spelled out byte by byte with its checksum worked out by hand:
// 0xFF + 0x80 + 0xFE + 0x90 + 0x01 + 0x00 + 0xAA + 0xC3 = 0x47B.
TEST(BinChecksum, ImageWithAStatedChecksumValidates) {
  Bytes image = {'B', '0', '0', '0', 'F', 'F', '\n',
                 0x00, 0x00, 0x20, 0x80,   // image start 0x80200000
                 0x08, 0x00, 0x00, 0x00,   // image length 8
                 0x00, 0x00, 0x20, 0x80,   // record address
                 0x08, 0x00, 0x00, 0x00,   // record length
                 0x7B, 0x04, 0x00, 0x00,   // record checksum 0x47B
                 0xFF, 0x80, 0xFE, 0x90, 0x01, 0x00, 0xAA, 0xC3,
                 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00};
  const OsImageCheck good = Check(image);
  EXPECT_TRUE(good.valid) << good.problem;
  image[23] = 0x7A;
  EXPECT_FALSE(Check(image).valid);
}

#ifdef TALVON_SREC_CAT
constexpr char kSrecCat[] = TALVON_SREC_CAT;
#else
constexpr char kSrecCat[] = "";
#endif

// srec_cat puts a BIN image together from its arguments; the record's
// checksum is srecord's own positive byte sum of the data.
Bytes SrecordImage(const test::TempDir& dir, const std::string& data, std::uint32_t length) {
  const std::string out = (dir.Path() / "srecord.bin").string();
  const std::uint32_t dataAt = 27;
  char command[1024];
  std::snprintf(command, sizeof command,
                "'%s' -generate 0 7 -repeat-data 0x42 0x30 0x30 0x30 0x46 0x46 0x0A "
                "-generate 7 11 -constant-l-e 0x80200000 4 -generate 11 15 -constant-l-e %u 4 "
                "-generate 15 19 -constant-l-e 0x80200000 4 -generate 19 23 -constant-l-e %u 4 "
                "'(' -generate %u %u %s ')' -checksum-positive-little-endian 23 4 1 "
                "-generate %u %u -constant 0 -o '%s' -binary",
                kSrecCat, length, length, dataAt, dataAt + length, data.c_str(), dataAt + length,
                dataAt + length + 12, out.c_str());
  if (std::system(command) != 0) return {};
  std::ifstream in(out, std::ios::binary);
  return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

TEST(BinChecksum, ImagesMadeBySrecordValidate) {
  ASSERT_NE(kSrecCat[0], '\0') << "srec_cat (package srecord) is missing: run scripts/setup";
  test::TempDir dir;
  const struct {
    const char* data;
    std::uint32_t length;
  } cases[] = {
      {"-repeat-data 0xFF 0x80 0xC3 0x01 0x9A 0xE9", 0x10000},
      {"-constant 0xFF", 0x1000},
      {"-repeat-string 'Talvon'", 0x301},  // all below 0x80: the sum agrees either way
  };
  for (const auto& c : cases) {
    Bytes image = SrecordImage(dir, c.data, c.length);
    ASSERT_EQ(image.size(), 27u + c.length + 12) << c.data;
    const OsImageCheck check = Check(image);
    EXPECT_TRUE(check.valid) << c.data << ": " << check.problem;
    EXPECT_EQ(check.dataBytes, c.length);
    image[27 + c.length / 2] ^= 0x01;  // one bit of data flipped
    EXPECT_FALSE(Check(image).valid) << c.data;
  }
}

}  // namespace
}  // namespace talvon
