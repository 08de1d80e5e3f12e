#include "tagselect/TagPattern.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/FakeTagTree.h"

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

TEST(TagPattern, AMatchingNodeGivesItsLeavesAndOthersAreSearchedInside) {
  const auto tree = testing_support::SampleTree();
  const struct {
    const char* pattern;
    std::vector<std::string> leaves;
  } cases[] = {
      {"*a*", {"A.x", "A.y", "A.bad", "B.arr[0]", "B.arr[1]"}},
      {"*[xz]*", {"A.x", "B.z"}},
      {"c", {"C"}},
      {"N*", {"N.n1"}},
      {"*q*", {}},
  };
  for (const auto& c : cases) {
    std::vector<DEVICE::ITree*> found;
    DEVICE::FindLeavesByPattern(tree->Root(), c.pattern, found);
    std::vector<std::string> names;
    for (auto* node : found) names.push_back(node->GetLabel()->GetFullName());
    EXPECT_EQ(names, c.leaves) << c.pattern;
  }
}

}  // namespace
