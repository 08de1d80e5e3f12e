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
