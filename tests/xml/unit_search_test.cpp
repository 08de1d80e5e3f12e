#include "xml/UnitSearch.h"

#include <gtest/gtest.h>

#include <string>

// Every length around the four-unit steps, the unit at every place or nowhere, among units that
// differ from it by one bit or one byte; each start position gives what a plain search gives.
TEST(FindUnit, FindsTheFirstUnitFromAnyStartLikeAPlainSearch) {
  for (size_t length = 0; length <= 11; ++length) {
    for (size_t at = 0; at <= length; ++at) {
      std::u16string text(length, u'a');
      for (size_t i = 0; i < length; ++i) text[i] = i % 3 == 0 ? u'\x3D' : i % 3 == 1 ? u'\x3C00' : u'\x013C';
      if (at < length) text[at] = u'<';
      for (size_t from = 0; from <= length; ++from) {
        SCOPED_TRACE(testing::Message() << "length " << length << ", at " << at << ", from " << from);
        EXPECT_EQ(xml::FindUnit(text, u'<', from), std::u16string_view(text).find(u'<', from));
      }
    }
  }
}

// Closers overlapping their own first unit, cut off at the end, or absent.
TEST(FindText, FindsTheFirstWholeNeedleLikeAPlainSearch) {
  const std::u16string texts[] = {u"", u"]", u"]]", u"]]>", u"a]]]>b", u"]>]]x]]>", u"abcdefgh]]", u"-->--->", u"--"};
  for (const std::u16string& text : texts) {
    for (std::u16string_view needle : {u"]]>", u"-->", u"?>"}) {
      for (size_t from = 0; from <= text.size() + 1; ++from) {
        SCOPED_TRACE(testing::Message() << "from " << from);
        EXPECT_EQ(xml::FindText(text, needle, from), std::u16string_view(text).find(needle, from));
      }
    }
  }
}

// Tag starts at every place of a text around the eight-byte steps, among bytes that differ from
// "<" by one bit, and followed by each kind of byte: each count is what a plain count gives.
TEST(CountTagStartBytes, CountsLikeAPlainCount) {
  const auto plainCount = [](const std::string& text) {
    size_t count = 0;
    for (size_t i = 0; i + 1 < text.size(); ++i)
      if (text[i] == '<' && xml::StartsTag(text[i + 1])) ++count;
    return count;
  };
  for (size_t length = 0; length <= 18; ++length) {
    for (size_t at = 0; at <= length; ++at) {
      for (char next : {'a', '/', '!', '?', '<', ' ', '\xe6', '\x80'}) {
        std::string text(length, '=');
        for (size_t i = 0; i < length; ++i) text[i] = i % 3 == 0 ? '\x3d' : i % 3 == 1 ? '\xbc' : '\x1c';
        if (at < length) text[at] = '<';
        if (at + 1 < length) text[at + 1] = next;
        SCOPED_TRACE(testing::Message() << "length " << length << ", at " << at << ", next " << int(next));
        EXPECT_EQ(xml::CountTagStartBytes(text), plainCount(text));
      }
    }
  }
  EXPECT_EQ(xml::CountTagStartBytes("<a><b/></a><!-- <c --><?p?><\xe6\xa0\x87/>"), 4u);
}
