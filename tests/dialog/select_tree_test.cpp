#include "tagselect/SelectTree.h"

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "support/FakeTagTree.h"

namespace {

using DEVICE::SelectState;
using DEVICE::SelectTree;
using testing_support::SampleTree;

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
      {"a leaf at the top", {"C"}, {"C"}, {{"C", kSel}, {"A", kNone}}},
      {"a tag with children, alone", {"B"}, {"B"}, {{"B", kPart}, {"B.z", kNone}}},
      {"every child has a node, one partly", {"B.arr[0]", "B.z"}, {"B.arr[0]", "B.z"},
       {{"B", kSel}, {"B.arr", kPart}, {"B.arr[0]", kSel}, {"B.z", kSel}}},
      {"a path without a mark", {"A.x"}, {}, {{"A", kNot}, {"A.x", kNot}}},
      {"marked and unmarked children", {"A.x", "A.y", "A.bad"}, {"A.x"}, {{"A", kPart}, {"A.y", kNot}}},
      {"a marked parent follows its children", {"A", "A.x"}, {"A", "A.x"}, {{"A", kPart}, {"A.x", kSel}}},
      {"a mark without a path", {"A.x"}, {"A.x", "C"}, {{"C", kNone}, {"A.x", kSel}}},
      {"a path added twice is linked once", {"B.arr[0]", "B.arr[0]", "B.z"}, {"B.arr[0]", "B.z"},
       {{"B.arr", kPart}, {"B", kSel}}},
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

}  // namespace
