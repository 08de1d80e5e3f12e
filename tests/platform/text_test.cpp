// The text layer's conversions between code pages, as every backend makes them.
#include "platform/Text.h"

#include <gtest/gtest.h>

namespace {

using namespace platform;

TEST(Text, ConvertsBothWaysByCodePage) {
  EXPECT_EQ(GetAnsiCodePage(), 936u);
  const struct { unsigned codePage; std::u16string wide; std::string narrow; } cases[] = {
      // Code pages 0 and 3 are the ANSI code page (GBK).
      {kCodePageAnsi, u"a\u6807\u7b7ez", "a\xb1\xea\xc7\xa9z"},  // 标签
      {kCodePageThreadAnsi, u"a\u6807\u7b7ez", "a\xb1\xea\xc7\xa9z"},
      {1252, u"\u00E9\u20AC", "\xe9\x80"},
      // One non-ASCII unit among ASCII ones, inside a whole word of units and after the last.
      {1252, u"abcdefg\u00E9ijk", "abcdefg\xe9ijk"},
      {1252, u"abcdefgh\u00E9", "abcdefgh\xe9"},
      {65001, u"\u500D", "\xe5\x80\x8d"},
      {65001, u"\U0001F600", "\xf0\x9f\x98\x80"},
      {936, u"", ""},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(WideToMultiByte(c.codePage, c.wide), c.narrow) << c.codePage;
    EXPECT_EQ(MultiByteToWide(c.codePage, c.narrow), c.wide) << c.codePage;
  }
  // ASCII is ASCII in the ASCII-compatible code pages, but not in UTF-7.
  for (unsigned codePage : {936u, 1252u, 65001u, 28591u, 932u})
    EXPECT_EQ(MultiByteToWide(codePage, "A\\~+-"), u"A\\~+-") << codePage;
  EXPECT_EQ(MultiByteToWide(65000, "+AGE-"), u"a");

  SetAnsiCodePage(1252);
  EXPECT_EQ(AnsiToWide("\xe9"), u"\u00e9");
  EXPECT_EQ(WideToMultiByte(kCodePageThreadAnsi, u"\u00e9"), "\xe9");
  SetAnsiCodePage(936);
  for (unsigned supported : {0u, 3u, 936u, 1252u, 65001u}) EXPECT_TRUE(IsCodePageSupported(supported)) << supported;
}

TEST(Text, CodePagesTheLayerCannotConvertWithAreTakenAsTheAnsiCodePage) {
  // Unknown numbers, and UTF-16 and UTF-32, which are no multibyte code pages.
  for (unsigned codePage : {12345u, 65005u, 1200u, 1201u, 12000u, 12001u}) {
    EXPECT_FALSE(IsCodePageSupported(codePage)) << codePage;
    EXPECT_EQ(MultiByteToWide(codePage, "a\xb1\xea"), u"a\u6807") << codePage;
    EXPECT_EQ(WideToMultiByte(codePage, u"a\u6807"), "a\xb1\xea") << codePage;
  }
}

TEST(Text, ConversionsKeepGoingPastWhatTheyCannotTake) {
  // Unmappable characters become "?", one per UTF-16 unit (a surrogate pair gives two).
  EXPECT_EQ(WideToAnsi(u"x\u00e9\U0001F600y"), "x\xa8\xa6??y");
  EXPECT_EQ(WideToMultiByte(28591, u"\u6807a\U0001F600"), "?a??");
  EXPECT_EQ(WideToMultiByte(28591, u"\u6807a\u00e9"), "?a\xe9");  // the same character, met again
  // A code page's invalid bytes become its default character "?"; the rest still converts.
  EXPECT_EQ(AnsiToWide("a\x80" "b\xb1"), u"a\u20acb?");
  // A lone surrogate becomes U+FFFD in UTF-8; a pair is one character.
  const std::u16string loneSurrogates{u'a', 0xD800, u'b', 0xD83D, 0xDE00, 0xDC00};
  EXPECT_EQ(WideToUtf8(loneSurrogates), "a\xef\xbf\xbd" "b\xf0\x9f\x98\x80\xef\xbf\xbd");
}

TEST(Text, InvalidUtf8BecomesOneReplacementPerMaximalSubpart) {
  // A subpart is the longest start of a well-formed sequence, else one byte: an overlong form,
  // a surrogate or a code point beyond U+10FFFF is invalid from its second byte on.
  const struct { const char* utf8; std::u16string wide; } cases[] = {
      {"\xc0\x80", u"\ufffd\ufffd"},                          // overlong NUL
      {"\xe0\x80\x80", u"\ufffd\ufffd\ufffd"},                 // overlong, three bytes
      {"\xf0\x80\x80\x80z", u"\ufffd\ufffd\ufffd\ufffdz"},      // overlong, four bytes
      {"\xed\xa0\x80", u"\ufffd\ufffd\ufffd"},                 // a surrogate
      {"\xf4\x90\x80\x80", u"\ufffd\ufffd\ufffd\ufffd"},        // above U+10FFFF
      {"\xf5\x80", u"\ufffd\ufffd"},                          // no such lead byte
      {"\x80\xbf", u"\ufffd\ufffd"},                          // continuation bytes alone
      {"\xf0\x9f\x98z", u"\ufffdz"},                          // cut short, then ASCII
      {"\xe6\xa0\xe6\xa0\x87", u"\ufffd\u6807"},                // cut short by a new lead
      {"\xf0\x9f\x98", u"\ufffd"},                            // cut short by the end
      {"\xed\x9f\xbf\xee\x80\x80\xf4\x8f\xbf\xbf", u"\ud7ff\ue000\U0010ffff"},  // the edges, valid
      {"\xef\xbf\xbf\xf0\x90\x80\x80", u"\uffff\U00010000"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(Utf8ToWide(c.utf8), c.wide) << c.utf8;
    // The same when UTF-8 is the ANSI code page.
    SetAnsiCodePage(kCodePageUtf8);
    EXPECT_EQ(AnsiToWide(c.utf8), c.wide) << c.utf8;
    SetAnsiCodePage(936);
  }
}

}  // namespace
