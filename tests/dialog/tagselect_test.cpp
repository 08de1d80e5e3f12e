// The tag selection's parts: search patterns, the selection states and the names taken on OK.
#include <gtest/gtest.h>

#include <map>
#include <stdexcept>
#include <string>
#include <vector>

#include "platform/Text.h"
#include "support/FakeTagTree.h"
#include "tagselect/SelectTree.h"
#include "tagselect/TagPattern.h"
#include "tagselect/TakenNames.h"

namespace {

using DEVICE::SelectState;
using DEVICE::SelectTree;
using DEVICE::TakenNames;
using testing_support::FakeTagTree;
using testing_support::SampleTree;

TEST(TagPattern, MatchesLikeShellWildcardsWithoutEscapesAndCase) {
  const struct {
    const char* pattern;
    const char* text;
    bool match;
  } cases[] = {
      {"*arr*", "MAIN_ARR", true}, {"*a?c*", "xabcx", true},   {"*[!0-2]*", "111", false},
      {"*[^a]*", "b", true},       {"*\\*", "a\\", true},       {"*[*", "x[", true},
      {"a*b*c", "aXbY", false},    {"*", "", true},            {"*[]]*", "]", true},
      {"*[a-]*", "-", true},       {"*[A-C]*", "b", true},     {"*\xC4*", "\xE4", false},
  };
  for (const auto& c : cases) EXPECT_EQ(DEVICE::MatchPattern(c.pattern, c.text), c.match) << c.pattern << " " << c.text;
}

// ASCII letters fold (the dialog's search goes on when "a" is followed by "A"); others do not.
TEST(TagPattern, SameTextInOtherLetterCaseIsTheSamePattern) {
  EXPECT_FALSE(DEVICE::SamePatternIgnoringCase(u"*\u00C4*", u"*\u00E4*"));
}

constexpr int kNone = 0;  // no selection node
constexpr int kNot = static_cast<int>(SelectState::NotSelected);
constexpr int kSel = static_cast<int>(SelectState::Selected);
constexpr int kPart = static_cast<int>(SelectState::PartlySelected);

TEST(SelectTree, StatesCombineFromTheSelectedTagsUp) {
  const struct {
    const char* what;
    std::vector<std::string> paths;     // added in this order
    std::vector<std::string> selected;  // then marked
    std::map<std::string, int> states;
  } cases[] = {
      {"one of three children", {"A.x"}, {"A.x"}, {{"A", kPart}, {"A.x", kSel}, {"A.y", kNone}}},
      {"all children", {"A.x", "A.y", "A.bad"}, {"A.x", "A.y", "A.bad"}, {{"A", kSel}, {"A.bad", kSel}}},
      {"a path without a mark", {"A.x"}, {}, {{"A", kNot}, {"A.x", kNot}}},
      {"marked and unmarked children", {"A.x", "A.y", "A.bad"}, {"A.x"}, {{"A", kPart}, {"A.y", kNot}}},
      {"a marked parent follows its children", {"A", "A.x"}, {"A", "A.x"}, {{"A", kPart}, {"A.x", kSel}}},
      {"a mark without a path", {"A.x"}, {"A.x", "C"}, {{"C", kNone}, {"A.x", kSel}}},
      {"every child has a node, one partly; a path added twice is linked once", {"B.arr[0]", "B.arr[0]", "B.z"},
       {"B.arr[0]", "B.z"}, {{"B.arr", kPart}, {"B", kSel}, {"B.z", kSel}, {"B.arr[1]", kNone}}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    auto tree = SampleTree();
    SelectTree select;
    for (const auto& path : c.paths) select.AddPath(tree->At(path), tree->Root());
    for (const auto& name : c.selected) select.MarkSelected(tree->At(name));
    select.RecomputeStates();
    for (const auto& [name, state] : c.states) {
      const SelectTree::Node* node = select.Find(tree->At(name));
      EXPECT_EQ(node ? static_cast<int>(node->state) : kNone, state) << name;
    }
  }
}

// Takes a top-level tag of each name, in order, with room counted for `expected` names.
std::vector<std::u16string> Take(const std::vector<std::string>& names, size_t expected,
                                 std::vector<std::u16string> out = {}) {
  FakeTagTree tree;
  std::vector<FakeTagTree::Node*> labels;
  for (const auto& name : names) labels.push_back(tree.Add(tree.Root(), name, 2));
  TakenNames taken(out, expected);
  for (auto* label : labels) taken.Take(*label);
  taken.Finish();
  return out;
}

std::vector<std::u16string> Wide(const std::vector<std::string>& names) {
  std::vector<std::u16string> wide;
  for (const auto& name : names) wide.push_back(platform::AnsiToWide(name));
  return wide;
}

// A name comes once, where it first occurs. Names whose bytes differ stay apart even when they
// read the same as wide text (a lone 0xFF byte of GBK reads as "?" through iconv, as a
// private-use character through Windows).
TEST(TakenNames, EachNameComesOnceWhereItFirstOccurs) {
  EXPECT_EQ(Take({"x", "q?", "x", "q\xff", "q?"}, 5), Wide({"x", "q?", "q\xff"}));
}

TEST(TakenNames, MoreNamesThanCountedGrowTheTable) {
  std::vector<std::string> names;
  for (int i = 0; i < 3000; ++i) names.push_back("n" + std::to_string(i));
  const std::vector<std::u16string> expected = Wide(names);
  names.insert(names.end(), {"n0", "n2999", "n1500"});
  EXPECT_EQ(Take(names, 0), expected);
}

TEST(TakenNames, NamesAlreadyInTheListStayAndAreNotCompared) {
  EXPECT_EQ(Take({"x", "x"}, 2, {u"x"}), (std::vector<std::u16string>{u"x", u"x"}));
}

TEST(TakenNames, ACountBeyondTheTableIsRefusedBeforeAllocating) {
  EXPECT_THROW(Take({}, 0x7FFFFFFF), std::length_error);
}

}  // namespace
