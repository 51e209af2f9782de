#include "flash/os_image_version.h"

#include <gtest/gtest.h>

#include <cstring>

#include "flash/bin_image_builder.h"
#include "flash/flash_areas.h"
#include "support/fakes.h"

namespace talvon {
namespace {

// Just enough of a flash window to read the head of the OS area from.
class HeadOnlyWindow final : public test::BlankFlash {
 public:
  explicit HeadOnlyWindow(std::vector<std::uint8_t> head) : head_(std::move(head)) { head_.resize(0x1000, 0xFF); }
  void CopyOut(std::uint32_t address, void* destination, std::size_t count) override {
    ASSERT_GE(address, OsImageFlashArea);
    ASSERT_LE(address - OsImageFlashArea + count, head_.size());
    std::memcpy(destination, head_.data() + (address - OsImageFlashArea), count);
  }

 private:
  std::vector<std::uint8_t> head_;
};

TEST(OsImageVersion, HeadCarriesSignatureAndVersionAtFixedOffsets) {
  const auto head = OsImageHead("6.1 é");
  ASSERT_EQ(head.size(), 0x50u + 6);  // the text counts in UTF-8 bytes
  const std::uint8_t signature[] = {0x45, 0x43, 0x45, 0x43};
  EXPECT_EQ(std::memcmp(head.data() + 0x40, signature, 4), 0);
  EXPECT_EQ(std::memcmp(head.data() + 0x48, "TVER", 4), 0);
  EXPECT_EQ(head[0x4C], 6);
  HeadOnlyWindow flash(head);
  EXPECT_TRUE(OsAreaHoldsImage(flash));
  EXPECT_EQ(ReadOsVersion(flash), "6.1 é");
}

TEST(OsImageVersion, ErasedOrForeignHeadsCarryNothing) {
  HeadOnlyWindow erased({});
  EXPECT_FALSE(OsAreaHoldsImage(erased));
  EXPECT_EQ(ReadOsVersion(erased), std::nullopt);

  const auto unversioned = OsImageHead("");
  EXPECT_TRUE(OsAreaHoldsImage(unversioned));
  EXPECT_EQ(ReadOsVersion(unversioned), std::nullopt);
  EXPECT_FALSE(OsAreaHoldsImage(std::span(unversioned).first(0x43)));
}

TEST(OsImageVersion, DamagedVersionRecordsAreIgnored) {
  auto withLength = [](std::uint32_t length) {
    auto head = OsImageHead("1.0");
    head.resize(OsImageHeadSize + 8, 'x');
    for (int i = 0; i < 4; ++i) head[0x4C + i] = static_cast<std::uint8_t>(length >> (8 * i));
    return head;
  };
  EXPECT_EQ(ReadOsVersion(withLength(3)), "1.0");
  EXPECT_EQ(ReadOsVersion(withLength(0)), std::nullopt);
  EXPECT_EQ(ReadOsVersion(withLength(OsVersionMaxLength + 1)), std::nullopt);
  const auto whole = withLength(3);
  EXPECT_EQ(ReadOsVersion(std::span(whole).first(0x52)), std::nullopt);  // text cut off

  auto control = OsImageHead("1.0");
  control[0x51] = '\n';
  EXPECT_EQ(ReadOsVersion(control), std::nullopt);
  auto badUtf8 = OsImageHead("1.0");
  badUtf8[0x51] = 0xC3;  // a lead byte with no continuation
  EXPECT_EQ(ReadOsVersion(badUtf8), std::nullopt);
}

TEST(OsImageVersion, OnlyCarriableTextsAreAccepted) {
  EXPECT_TRUE(IsValidOsVersion("TalvonOS 6.1 (2024-03-01) ✓"));
  EXPECT_FALSE(IsValidOsVersion(""));
  EXPECT_FALSE(IsValidOsVersion(std::string(OsVersionMaxLength + 1, 'v')));
  EXPECT_FALSE(IsValidOsVersion("tab\there"));
  EXPECT_FALSE(IsValidOsVersion("\xC0\xAF"));      // overlong
  EXPECT_FALSE(IsValidOsVersion("\xED\xA0\x80"));  // surrogate
  EXPECT_TRUE(OsImageHead("bad\x01").empty());
}

TEST(BinImageBuilder, RefusesOptionsItCannotCarry) {
  EXPECT_EQ(CheckBinImageOptions({.version = "1.0"}), "");
  EXPECT_NE(CheckBinImageOptions({.version = "1.0", .size = 0x52}), "");  // smaller than its own head
  EXPECT_NE(CheckBinImageOptions({.version = "1.0", .size = OsImageFlashAreaSize + 1}), "");
  EXPECT_NE(CheckBinImageOptions({.version = "1.0", .recordSize = 0}), "");
  EXPECT_NE(CheckBinImageOptions({.version = "1.0", .imageStart = 0}), "");
  EXPECT_NE(CheckBinImageOptions({.version = "1.0", .imageStart = 0xFFFFF000, .size = 0x2000}), "");
  EXPECT_TRUE(BuildBinImage({.version = "bad\n"}).empty());
}

TEST(BinImageBuilder, ContentIsTheSameWhicheverPiecesItIsMadeIn) {
  const BinImageOptions options{.version = "2.0", .size = 0x3000};
  std::vector<std::uint8_t> whole(0x3100);
  FillOsImageContent(options, 0, whole);
  std::vector<std::uint8_t> pieces(0x3100);
  for (std::uint32_t at = 0; at < pieces.size(); at += 0x333) {
    const std::size_t n = std::min<std::size_t>(0x333, pieces.size() - at);
    FillOsImageContent(options, at, std::span(pieces).subspan(at, n));
  }
  EXPECT_EQ(whole, pieces);
  EXPECT_EQ(whole[0x2FFF] == 0xFF && whole[0x2FFE] == 0xFF, false);  // filler, not erased flash
  EXPECT_EQ(whole[0x3000], 0xFF);                                     // past the image: erased
}

TEST(BinImageBuilder, StopsWhenTheSinkRefuses) {
  int calls = 0;
  EXPECT_FALSE(WriteBinImage({.version = "1", .size = 0x100, .recordSize = 0x10}, [&](auto) { return ++calls < 3; }));
  EXPECT_EQ(calls, 3);
}

}  // namespace
}  // namespace talvon
