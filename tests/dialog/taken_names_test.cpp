#include "tagselect/TakenNames.h"

#include <gtest/gtest.h>

#include <stdexcept>
#include <string>
#include <vector>

#include "platform/Text.h"
#include "support/FakeTagTree.h"

namespace {

using DEVICE::TakenNames;
using testing_support::FakeTagTree;

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
  const struct {
    const char* what;
    std::vector<std::string> taken;
    std::vector<std::string> kept;
  } cases[] = {
      {"none", {}, {}},
      {"repeats", {"x", "q?", "x", "q\xff", "q?"}, {"x", "q?", "q\xff"}},
      {"a repeat far behind the waiting names", {"a", "b", "c", "d", "e", "f", "g", "h", "i", "j", "a", "j"},
       {"a", "b", "c", "d", "e", "f", "g", "h", "i", "j"}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    EXPECT_EQ(Take(c.taken, c.taken.size()), Wide(c.kept));
  }
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
  std::vector<std::u16string> out;
  EXPECT_THROW(TakenNames(out, 0x7FFFFFFF), std::length_error);
}

}  // namespace
