#include "platform/text.h"

#include <gtest/gtest.h>

namespace talvon {
namespace {

TEST(Text, RegSzCarriesUtf16LeWithTerminator) {
  auto bytes = ToRegSz("Aé");
  ASSERT_EQ(bytes.size(), 6u);
  EXPECT_EQ(bytes[0], 'A');
  EXPECT_EQ(bytes[1], 0);
  EXPECT_EQ(bytes[2], 0xE9);
  EXPECT_EQ(bytes[3], 0);
  EXPECT_EQ(FromRegSz(bytes.data(), bytes.size()), "Aé");
}

TEST(Text, RegSzStopsAtFirstZeroAndIgnoresOddByte) {
  const std::uint8_t data[] = {'a', 0, 'b', 0, 0, 0, 'c', 0, 'd'};
  EXPECT_EQ(FromRegSz(data, sizeof data), "ab");
  const std::uint8_t odd[] = {'x', 0, 'y'};
  EXPECT_EQ(FromRegSz(odd, sizeof odd), "x");
}

TEST(Text, NarrowPathKeepsLowByte) {
  EXPECT_EQ(NarrowPath(u"\\CF\u0141x"), std::string("\\CF\x41x"));
}

TEST(Text, Utf8RoundTripIncludingSurrogates) {
  std::string s = "Ω😀z";
  EXPECT_EQ(Utf16ToUtf8(Utf8ToUtf16(s)), s);
  EXPECT_EQ(Utf8ToUtf16("😀").size(), 2u);
}

TEST(Text, MalformedUtf8BecomesReplacementCharacter) {
  EXPECT_EQ(Utf8ToUtf16("\xC0\x80"), std::u16string(1, u'\uFFFD'));       // overlong NUL
  EXPECT_EQ(Utf8ToUtf16("\xF4\x90\x80\x80"), std::u16string(1, u'\uFFFD'));  // past U+10FFFF
  EXPECT_EQ(Utf8ToUtf16("\xED\xA0\x80"), std::u16string(1, u'\uFFFD'));   // encoded surrogate
  EXPECT_EQ(Utf8ToUtf16("a\xE2\x82"), u"a\uFFFD\uFFFD");                 // cut short
}

TEST(Text, FormattedTextIsNeverCutShort) {
  const std::string path(300, 'x');
  EXPECT_EQ(FormatText("Record %u: %s.", 7u, path.c_str()), "Record 7: " + path + ".");
  EXPECT_EQ(FormatText("%s", ""), "");
  EXPECT_EQ(HexWord(0xA0000u), "0x000A0000");
}

}  // namespace
}  // namespace talvon
