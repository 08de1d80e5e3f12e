#include <gtest/gtest.h>

#include <string>
#include <tuple>

#include "TypeBuilders.h"
#include "support/Numbered.h"
#include "tag/RootType.h"
#include "tag/VirtualTree.h"

namespace {

using namespace tag_tests;

// A tree with its counts; it refers to the nodes of its table, which it keeps.
struct CountedTree {
  std::shared_ptr<InteriorDataTypeList> table = std::make_shared<InteriorDataTypeList>();
  std::shared_ptr<DEVICE::ITree> root;
  uint64_t nodes = 9, leaves = 9;
};

// The tree of `symbols` grouped over `list`.
CountedTree BuiltTree(std::shared_ptr<Tag::DataTypeList> list, std::vector<Tag::TagVariable> symbols) {
  CountedTree tree;
  tree.root = TreeVisitor(std::move(list), tree.table).BuildTree(std::move(symbols), tree.nodes, tree.leaves);
  return tree;
}

// The tree of a table as it stands, as a loaded device makes it.
CountedTree CreatedTree(std::shared_ptr<InteriorDataTypeList> table) {
  CountedTree tree;
  tree.table = std::move(table);
  tree.root = TreeVisitor(tree.table).CreateTree(tree.nodes, tree.leaves);
  return tree;
}

std::shared_ptr<InteriorDataTypeList> TableOf(const Tag::DataTypeList& list, const std::string& root) {
  auto table = std::make_shared<InteriorDataTypeList>();
  table->Build(root, list);
  return table;
}

TEST(RootType, GroupsDottedNamesIntoGeneratedStructures) {
  auto list = Elementary();
  std::vector<Tag::TagVariable> symbols = {Symbol("MAIN.a", "INT", "ca"), Symbol("MAIN.b", "REAL"),
                                           Symbol(".g", "BOOL"), Symbol("MAIN.a", "DINT")};
  EXPECT_EQ(Tag::BuildRootType(*list, symbols), "QORV_ROOT");
  const auto main = Listed(*list, "MAIN");
  EXPECT_EQ(std::tie(main.TypeCode, main.ByteSize, main.SubItems),
            std::make_tuple(Tag::kStruct, 6u, std::vector<SubItem>{{"a", "INT", "ca"}, {"b", "REAL", ""}}));
  const auto root = Listed(*list, "QORV_ROOT");
  EXPECT_EQ(std::tie(root.ByteSize, root.SubItems),
            std::make_tuple(0u, std::vector<SubItem>{{"MAIN", "MAIN", ""}, {"g", "BOOL", ""}}));
  // A copy looks its names up among its own entries, also once the original is gone.
  const Tag::DataTypeList copy(*list);
  list.reset();
  ASSERT_NE(copy.Lookup("MAIN"), nullptr);
  EXPECT_EQ(copy.Lookup("MAIN")->SubItems.size(), 2u);
}

TEST(RootType, NameClashesCountUpReplacingTheLastCharacter) {
  auto list = Elementary();
  for (int i = 0; i <= 9; ++i) Add(*list, Struct(i ? Numbered("MAIN", i) : "MAIN", {}));
  // MAIN, MAIN1..MAIN9 taken: the 9 is replaced by 10; a second time the same entry is reused.
  for (int pass = 0; pass < 2; ++pass) {
    std::vector<Tag::TagVariable> symbols = {Symbol("MAIN.a", "INT")};
    Tag::BuildRootType(*list, symbols);
    EXPECT_EQ(list->Lookup("QORV_ROOT")->SubItems[0].Type, "MAIN10");
  }
  EXPECT_FALSE(list->Contains("MAIN11") || list->Contains("MAIN101"));
}

TEST(RootType, IndexedSymbolsBecomeArraysOfGeneratedElements) {
  auto list = Elementary();
  std::vector<Tag::TagVariable> symbols = {Symbol("MAIN.aRec[0].x", "INT"), Symbol("MAIN.aRec[0].y", "INT"),
                                           Symbol("MAIN.aRec[1].x", "INT"), Symbol("MAIN.aRec[1].y", "INT"),
                                           Symbol("MAIN.m[2,5]", "REAL"), Symbol("MAIN.m[1,7]", "REAL"),
                                           Symbol("MAIN.v.sub", "INT"), Symbol("MAIN.v[2]", "REAL"), Symbol("MAIN.v[0]", "INT"),
                                           Symbol("MAIN.last", "NOSUCHTYPE")};
  Tag::BuildRootType(*list, symbols);
  const auto array = Listed(*list, "array [0..1] OF aRec"), element = Listed(*list, "aRec");
  EXPECT_EQ(std::tie(array.TypeCode, array.Type, array.ByteSize), std::make_tuple(Tag::kArray, "aRec", 8u));
  EXPECT_EQ(std::make_tuple(element.ByteSize, element.SubItems.size()), std::make_tuple(4u, size_t{2}));
  EXPECT_EQ(Listed(*list, "array [1..2,5..7] OF REAL").ByteSize, 24u);
  // The element type comes from the first key that begins with an index: "v[2]", not "v.sub".
  EXPECT_EQ(list->Lookup("MAIN")->SubItems[2], (SubItem{"v", "array [0..2] OF REAL", ""}));
  // The last member's type is unknown, so MAIN itself becomes unknown (21): it stays a root
  // member (its type is listed) but, with code 21, gets no children in the tag tree.
  EXPECT_EQ(list->Lookup("MAIN")->TypeCode, Tag::kUnknown);
  const auto tree = CreatedTree(TableOf(*list, "QORV_ROOT"));
  ASSERT_NE(tree.root, nullptr);
  EXPECT_EQ(std::make_tuple(tree.root->GetChild(0)->GetChildCount(), tree.root->GetChild(0)->GetLabel()->GetDataType(),
                            tree.nodes),
            std::make_tuple(0u, -1, 2u));

  // A symbol of an unknown type directly at the top level is dropped.
  std::vector<Tag::TagVariable> top = {Symbol(".x", "NOSUCHTYPE"), Symbol(".y", "INT")};
  Tag::BuildRootType(*Elementary(), top);
  ASSERT_EQ(top.size(), 1u);
  EXPECT_EQ(top[0].Name, "y");
}

TEST(TagTree, NamesCountsAndLabels) {
  // MAIN with an INT, an array of INT, a matrix of structures.
  auto list = Elementary();
  auto point = Struct("POINT", {{"x", "REAL", ""}, {"y.z", "REAL", ""}});
  point.Comment = "a point";
  Add(*list, point);
  Add(*list, Array("MATRIX", "POINT", {{1, 2}, {0, 2}}));
  // TIME has no entry; it must not be MAIN's last member, or MAIN would become unknown.
  const auto tree = BuiltTree(list, {Symbol("MAIN.i", "INT"), Symbol("MAIN.t", "TIME"), Symbol("MAIN.aValues[0]", "INT"),
                                     Symbol("MAIN.aValues[9]", "INT"), Symbol("MAIN.aMatrix", "MATRIX"),
                                     Symbol(".gOn", "BOOL")});
  const auto& root = tree.root;
  ASSERT_NE(root, nullptr);
  // root, MAIN, gOn, i, aValues + 10, aMatrix + 6 points + 12 reals, t (no type: no leaf)
  EXPECT_EQ(std::tie(tree.nodes, tree.leaves), std::make_tuple(1u + 2 + 1 + 11 + 1 + 6 + 12 + 1, 1u + 1 + 10 + 12));

  // Found by full name: name, type name, data type (-1: no type), in an array, child count.
  const std::tuple<const char*, const char*, const char*, int, bool, uint32_t> found[] = {
      {"", "", "QORV_ROOT", -1, false, 2},  // the root
      {"MAIN", "MAIN", "MAIN", -1, false, 4},
      {"gOn", "gOn", "BOOL", 0, false, 0},
      {"MAIN.aValues[3]", "[3]", "INT", 4, true, 0},
      {"MAIN.aMatrix[1,2].x", "x", "REAL", 9, true, 0},
      {"MAIN.aMatrix[2,0].y.z", "y.z", "REAL", 9, true, 0},  // a "." in a member name extends the head
      {"MAIN.t", "t", "", -1, false, 0},  // TIME has no entry: a node without type
  };
  for (const auto& [path, name, typeName, dataType, inArray, children] : found) {
    DEVICE::ITree* node = *path ? root->Find(path) : root.get();
    ASSERT_NE(node, nullptr) << path;
    DEVICE::ILabel* l = node->GetLabel();
    EXPECT_EQ(std::make_tuple(l->GetFullName(), l->GetName(), l->GetTypeName(), l->GetDataType(), l->IsInArray(),
                              node->GetChildCount()),
              std::make_tuple(path, name, typeName, dataType, inArray, children));
  }
  EXPECT_EQ(root->GetChild(2), nullptr);
  EXPECT_EQ(root->Find("MAIN.aValues[3]")->GetParent(), root->Find("MAIN.aValues"));
  EXPECT_EQ(root->Find("MAIN.aMatrix[1,2]")->GetLabel()->GetComment(), "a point");
  for (const char* missing : {"MAIN.aValues[99]", "MAIN.nope", "", "MAIN.aMatrix[3,0].x", "MAIN.t.x"})
    EXPECT_EQ(root->Find(missing), nullptr) << missing;
}

TEST(TagTree, CyclicAndDeepTypeGraphs) {
  // A saved table may describe a structure that contains itself. The member's type name is
  // read before its own node exists: no reference, finite tree.
  Tag::DataTypeList loop;
  Add(loop, Struct("QORV_ROOT", {{"next", "QORV_ROOT", ""}}));
  EXPECT_NE(CreatedTree(Reloaded(*TableOf(loop, "QORV_ROOT"))).root, nullptr);

  // A chain of 100,000 nested structures builds, finds and destroys without recursion.
  auto deep = Elementary();
  const int depth = 100'000;
  for (int i = 0; i < depth; ++i)
    Add(*deep, Struct(Numbered("L", i), {{"m", i + 1 < depth ? Numbered("L", i + 1) : "INT", ""}}));
  const auto chain = CreatedTree(TableOf(*deep, "L0"));
  ASSERT_NE(chain.root, nullptr);
  EXPECT_EQ(chain.nodes, uint64_t{depth} + 1);
  std::string path = "m";
  for (int i = 1; i < 1000; ++i) path += ".m";
  EXPECT_NE(chain.root->Find(path), nullptr);
  // Failing only at the bottom makes every level retry longer heads; the lookup still ends.
  EXPECT_EQ(chain.root->Find(path + ".zz"), nullptr);
}

TEST(TagTree, CountingStopsAtTheLimit) {
  // A saved array node may carry a structure's code: each of its elements is then a member
  // of its own, and counting them must end at the limit instead of walking them all.
  BasicType element("E", "", Tag::kInt, 2);
  ArrayType huge("H", "", Tag::kStruct, 0, &element, {{0u, 0xFFFFFFFEu}});
  uint64_t nodes = 0;
  EXPECT_FALSE(CountTreeNodes(&huge, 1000, nodes));
  EXPECT_EQ(nodes, 1001u);
}

}  // namespace
