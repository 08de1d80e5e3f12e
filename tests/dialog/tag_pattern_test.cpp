#include "tagselect/TagPattern.h"

#include <gtest/gtest.h>

namespace {

TEST(TagPattern, MatchesLikeShellWildcardsWithoutEscapesAndCase) {
  const struct {
    const char* pattern;
    const char* text;
    bool match;
  } cases[] = {
      {"*arr*", "MAIN_ARR", true}, {"*a?c*", "xabcx", true},   {"*a?c*", "ac", false},
      {"*[0-2]*", "v1", true},     {"*[!0-2]*", "111", false}, {"*[^a]*", "b", true},
      {"*\\*", "a\\", true},       {"*[*", "x[", true},        {"*]*", "]", true},
      {"a*b*c", "aXbYc", true},    {"a*b*c", "aXbY", false},   {"", "", true},
      {"*", "", true},             {"*[]]*", "]", true},       {"*[a-]*", "-", true},
      {"*[A-C]*", "b", true},      {"*\xC4*", "\xC4\xE3", true}, {"*\xC4*", "\xE4", false},
  };
  for (const auto& c : cases) EXPECT_EQ(DEVICE::MatchPattern(c.pattern, c.text), c.match) << c.pattern << " " << c.text;
}

TEST(TagPattern, SameTextInOtherLetterCaseIsTheSamePattern) {
  const struct {
    const char16_t* a;
    const char16_t* b;
    bool same;
  } cases[] = {
      {u"*Main*", u"*mAIN*", true}, {u"*a*", u"*a?*", false}, {u"", u"", true},
      {u"*\u00C4*", u"*\u00E4*", false},  // only ASCII letters fold
  };
  for (const auto& c : cases) EXPECT_EQ(DEVICE::SamePatternIgnoringCase(c.a, c.b), c.same);
}

}  // namespace
