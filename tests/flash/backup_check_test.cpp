// The whole-system backup check read through pieces of any size.
#include <gtest/gtest.h>

#include <vector>

#include "flash/image_files.h"
#include "support/counting_files.h"

namespace talvon {
namespace {

// A piece that is not a whole number of words must not shift the check
// bytes: every scratch size gives the verdict a one-piece read gives.
TEST(BackupCheck, PiecesOfAnySizeGiveTheSameVerdict) {
  std::vector<std::uint8_t> data = {0x12, 0x80, 0xFF, 0x55, 1, 2, 3, 4, 5, 6, 7, 0xEE, 0x9A};
  std::uint8_t check[4] = {};
  for (std::size_t i = 0; i < data.size(); ++i) check[i % 4] ^= data[i];
  std::vector<std::uint8_t> good = data;
  good.insert(good.end(), check, check + 4);
  std::vector<std::uint8_t> bad = good;
  bad.back() ^= 1;
  test::CountingFiles files;
  files.Put("\\good", good);
  files.Put("\\bad", bad);
  for (std::size_t scratchSize = 1; scratchSize <= 20; ++scratchSize) {
    std::vector<std::uint8_t> scratch(scratchSize);
    const int expected = scratchSize < 4 ? -1 : 0;  // no whole word fits: refused, never misread
    EXPECT_EQ(VerifyBackupStream(*files.Open("\\good", "rb"), scratch, 13), expected) << scratchSize;
    EXPECT_EQ(VerifyBackupStream(*files.Open("\\bad", "rb"), scratch, 13), -1) << scratchSize;
  }
}

}  // namespace
}  // namespace talvon
