// The scrambled service password: what the servers read back.
#include "pages/server/service_password.h"

#include <gtest/gtest.h>

namespace talvon {
namespace {

TEST(ServicePassword, ScramblingTwiceGivesTheTextBackForAnyUnits) {
  for (std::u16string text : {std::u16string(), std::u16string(u"a"), std::u16string(u"Pass w0rd"),
                              std::u16string(u"\u00e9\u4e2d\uffff\u0000x"), std::u16string(40, u'\u00ff')}) {
    const std::u16string scrambled = ScrambleServicePassword(text);
    EXPECT_EQ(ScrambleServicePassword(scrambled), text);
    for (std::size_t i = 0; i < text.size(); ++i) EXPECT_EQ(scrambled[i] & 0xFF00, text[i] & 0xFF00);
  }
}

TEST(ServicePassword, StoredExampleReadsBack) {
  // "Pa1" as a controller stores the password "s3cr%t".
  const std::vector<std::uint8_t> pa1 = {0x29, 0x00, 0x0F, 0x00, 0xF5, 0x00, 0x7D, 0x00, 0x80, 0x00, 0x05, 0x00};
  EXPECT_EQ(ServicePasswordPa1(u"s3cr%t"), pa1);
  EXPECT_EQ(ServicePasswordFromStored(pa1, 6), u"s3cr%t");
  // The seventh character uses the first key byte again.
  EXPECT_EQ(ServicePasswordPa1(u"sssssss")[12], ServicePasswordPa1(u"s")[0]);
}

TEST(ServicePassword, StoredValuesThatDisagreeGiveNoPassword) {
  const std::vector<std::uint8_t> pa1 = ServicePasswordPa1(u"abc");
  EXPECT_FALSE(ServicePasswordFromStored(pa1, 2));
  EXPECT_FALSE(ServicePasswordFromStored(std::vector<std::uint8_t>(20, 0x41), 10));
  EXPECT_EQ(ServicePasswordFromStored({}, 0), u"");
}

}  // namespace
}  // namespace talvon
