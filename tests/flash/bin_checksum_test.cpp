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
#include "support/temp_dir.h"

namespace talvon {
namespace {

using Bytes = std::vector<std::uint8_t>;

OsImageCheck Check(const Bytes& file) {
  test::CountingFiles files;
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

// An image spelled out byte by byte with its checksums worked out by hand:
// 0xFF + 0x80 + 0xFE + 0x90 + 0x01 + 0x00 + 0xAA + 0xC3 = 0x47B, and the
// ROM signature record 0x45 + 0x43 + 0x45 + 0x43 = 0x110.
TEST(BinChecksum, ImageWithAStatedChecksumValidates) {
  Bytes image = {'B', '0', '0', '0', 'F', 'F', '\n',
                 0x00, 0x00, 0x20, 0x80,   // image start 0x80200000
                 0x44, 0x00, 0x00, 0x00,   // image length 0x44
                 0x00, 0x00, 0x20, 0x80,   // record address
                 0x08, 0x00, 0x00, 0x00,   // record length
                 0x7B, 0x04, 0x00, 0x00,   // record checksum 0x47B
                 0xFF, 0x80, 0xFE, 0x90, 0x01, 0x00, 0xAA, 0xC3,
                 0x40, 0x00, 0x20, 0x80,   // signature record at image start + 0x40
                 0x04, 0x00, 0x00, 0x00,
                 0x10, 0x01, 0x00, 0x00,   // checksum 0x110
                 0x45, 0x43, 0x45, 0x43,
                 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00};
  const OsImageCheck good = Check(image);
  EXPECT_TRUE(good.valid) << good.problem;
  image[23] = 0x7A;
  EXPECT_FALSE(Check(image).valid);
}

// srec_cat writes the whole BIN image, its record checksums included. The
// data is generated around the ROM signature at image start + 0x40.
Bytes SrecordImage(const test::TempDir& dir, const std::string& data, std::uint32_t length) {
  const std::string out = (dir.Path() / "srecord.bin").string();
  char command[1024];
  std::snprintf(command, sizeof command,
                "'%s' -generate 0x80200000 0x80200040 %s -generate 0x80200040 0x80200044 -repeat-data 0x45 0x43 0x45 "
                "0x43 -generate 0x80200044 0x%08X %s -execution-start-address=0x80200000 -o '%s' -msbin",
                SREC_CAT, data.c_str(), 0x80200000u + length, data.c_str(), out.c_str());
  if (std::system(command) != 0) return {};
  std::ifstream in(out, std::ios::binary);
  return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

TEST(BinChecksum, ImagesMadeBySrecordValidate) {
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
    ASSERT_GE(image.size(), 27u + c.length + 12) << c.data;
    const OsImageCheck check = Check(image);
    EXPECT_TRUE(check.valid) << c.data << ": " << check.problem;
    EXPECT_EQ(check.dataBytes, c.length);
    image[image.size() - 12 - c.length / 4] ^= 0x01;  // one bit of data in the last record flipped
    EXPECT_FALSE(Check(image).valid) << c.data;
  }
}

}  // namespace
}  // namespace talvon
