#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <tuple>

#include "TypeBuilders.h"
#include "support/Numbered.h"
#include "tag/RootType.h"
#include "tag/VirtualTree.h"

namespace {

using namespace tag_tests;

TEST(RootType, GroupsDottedNamesIntoGeneratedStructures) {
  auto list = Elementary();
  std::vector<Tag::TagVariable> symbols = {Symbol("MAIN.a", "INT", "ca"), Symbol("MAIN.b", "REAL"),
                                           Symbol(".g", "BOOL"), Symbol("MAIN.a", "DINT")};
  EXPECT_EQ(Tag::BuildRootType(*list, symbols), "QORV_ROOT");
  const auto* main = list->Lookup("MAIN");
  ASSERT_NE(main, nullptr);
  EXPECT_EQ(std::tie(main->TypeCode, main->ByteSize), std::make_tuple(Tag::kStruct, 6u));
  EXPECT_EQ(main->SubItems, (std::vector<SubItem>{{"a", "INT", "ca"}, {"b", "REAL", ""}}));  // first "a" counts
  const auto* root = list->Lookup("QORV_ROOT");
  ASSERT_NE(root, nullptr);
  EXPECT_EQ(root->SubItems, (std::vector<SubItem>{{"MAIN", "MAIN", ""}, {"g", "BOOL", ""}}));
  EXPECT_EQ(root->ByteSize, 0u);
  ASSERT_EQ(symbols.size(), 2u);
  EXPECT_EQ(std::tie(symbols[0].Name, symbols[0].TypeCode), std::make_tuple("MAIN", Tag::kStruct));
  EXPECT_EQ(std::tie(symbols[1].FullName, symbols[1].ByteSize), std::make_tuple("g", 1u));
}

TEST(RootType, NameClashesCountUpReplacingTheLastCharacter) {
  auto list = Elementary();
  auto other = Struct("MAIN", {});
  other.Comment = "defined by the file";
  for (int i = 0; i <= 9; ++i) {
    other.Name = i ? "MAIN" + std::to_string(i) : "MAIN";
    Add(*list, other);
  }
  std::vector<Tag::TagVariable> symbols = {Symbol("MAIN.a", "INT")};
  Tag::BuildRootType(*list, symbols);
  // MAIN, MAIN1..MAIN9 taken: the 9 is replaced by 10.
  EXPECT_EQ(list->Lookup("QORV_ROOT")->SubItems[0].Type, "MAIN10");

  // An identical existing entry is reused, not renamed.
  std::vector<Tag::TagVariable> again = {Symbol("MAIN.a", "INT")};
  Tag::BuildRootType(*list, again);
  EXPECT_FALSE(list->Contains("MAIN11"));
  EXPECT_FALSE(list->Contains("MAIN101"));
}

TEST(RootType, IndexedSymbolsBecomeArraysOfGeneratedElements) {
  auto list = Elementary();
  std::vector<Tag::TagVariable> symbols = {Symbol("MAIN.aRec[0].x", "INT"), Symbol("MAIN.aRec[0].y", "INT"),
                                           Symbol("MAIN.aRec[1].x", "INT"), Symbol("MAIN.aRec[1].y", "INT"),
                                           Symbol("MAIN.m[2,5]", "REAL"), Symbol("MAIN.m[1,7]", "REAL"),
                                           Symbol("MAIN.last", "NOSUCHTYPE")};
  Tag::BuildRootType(*list, symbols);
  const auto* array = list->Lookup("array [0..1] OF aRec");
  ASSERT_NE(array, nullptr);
  EXPECT_EQ(std::tie(array->TypeCode, array->Type, array->ByteSize), std::make_tuple(Tag::kArray, "aRec", 8u));
  const auto* element = list->Lookup("aRec");
  ASSERT_NE(element, nullptr);
  EXPECT_EQ(std::make_tuple(element->ByteSize, element->SubItems.size()), std::make_tuple(4u, size_t{2}));
  const auto* matrix = list->Lookup("array [1..2,5..7] OF REAL");
  ASSERT_NE(matrix, nullptr);
  EXPECT_EQ(matrix->ByteSize, 24u);
  // The last member's type is unknown, so MAIN itself becomes unknown (21): it stays a root
  // member (its type is listed) but, with code 21, gets no children in the tag tree.
  EXPECT_EQ(list->Lookup("MAIN")->TypeCode, Tag::kUnknown);
  ASSERT_EQ(symbols.size(), 1u);
  EXPECT_EQ(symbols[0].TypeCode, Tag::kUnknown);
  auto table = std::make_shared<InteriorDataTypeList>();
  table->Build("QORV_ROOT", *list);
  uint64_t nodes = 0, leaves = 0;
  auto root = TreeVisitor(table).CreateTree(nodes, leaves);
  ASSERT_NE(root, nullptr);
  EXPECT_EQ(root->GetChild(0)->GetChildCount(), 0u);
  EXPECT_EQ(root->GetChild(0)->GetLabel()->GetDataType(), -1);
  EXPECT_EQ(nodes, 2u);

  // A symbol of an unknown type directly at the top level is dropped.
  auto other = Elementary();
  std::vector<Tag::TagVariable> top = {Symbol(".x", "NOSUCHTYPE"), Symbol(".y", "INT")};
  Tag::BuildRootType(*other, top);
  ASSERT_EQ(top.size(), 1u);
  EXPECT_EQ(top[0].Name, "y");
}

TEST(RootType, ArrayElementTypeComesFromTheFirstKeyThatBeginsWithAnIndex) {
  // A member name under the array's own name ("v.sub") comes first but gives no element type.
  const std::pair<std::vector<Tag::TagVariable>, const char*> cases[] = {
      {{Symbol("MAIN.v.sub", "INT"), Symbol("MAIN.v[2]", "REAL"), Symbol("MAIN.v[0]", "INT")}, "array [0..2] OF REAL"},
      {{Symbol("MAIN.v.sub.x", "INT"), Symbol("MAIN.v[1].y", "LREAL")}, "array [1..1] OF v"},
  };
  for (auto [symbols, array] : cases) {
    auto list = Elementary();
    Tag::BuildRootType(*list, symbols);
    EXPECT_EQ(list->Lookup("MAIN")->SubItems, (std::vector<SubItem>{{"v", array, ""}})) << array;
  }
  auto list = Elementary();
  std::vector<Tag::TagVariable> symbols = cases[1].first;
  Tag::BuildRootType(*list, symbols);
  EXPECT_EQ(list->Lookup("v")->SubItems, (std::vector<SubItem>{{"y", "LREAL", ""}}));
}

// A tree over a small program: MAIN with an INT, an array of INT, a matrix of structures.
std::shared_ptr<DEVICE::ITree> SampleTree(std::shared_ptr<InteriorDataTypeList>& table, uint64_t& nodes,
                                          uint64_t& leaves) {
  auto list = Elementary();
  auto point = Struct("POINT", {{"x", "REAL", ""}, {"y.z", "REAL", ""}});
  point.Comment = "a point";
  Add(*list, point);
  Add(*list, Array("MATRIX", "POINT", {{1, 2}, {0, 2}}));
  // TIME has no entry; it must not be MAIN's last member, or MAIN would become unknown.
  std::vector<Tag::TagVariable> symbols = {Symbol("MAIN.i", "INT"),          Symbol("MAIN.t", "TIME"),
                                           Symbol("MAIN.aValues[0]", "INT"), Symbol("MAIN.aValues[9]", "INT"),
                                           Symbol("MAIN.aMatrix", "MATRIX"), Symbol(".gOn", "BOOL")};
  table = std::make_shared<InteriorDataTypeList>();
  TreeVisitor visitor(list, table);
  return visitor.BuildTree(symbols, nodes, leaves);
}

TEST(TagTree, NamesCountsAndLabels) {
  std::shared_ptr<InteriorDataTypeList> table;
  uint64_t nodes = 0, leaves = 0;
  auto root = SampleTree(table, nodes, leaves);
  ASSERT_NE(root, nullptr);
  // root, MAIN, gOn, i, aValues + 10, aMatrix + 6 points + 12 reals, t (no type: no leaf)
  EXPECT_EQ(nodes, 1u + 2 + 1 + 11 + 1 + 6 + 12 + 1);
  EXPECT_EQ(leaves, 1u + 1 + 10 + 12);

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

  // The same tree from the saved table.
  const auto reloaded = Reloaded(*table);  // the tree refers to the table's nodes
  uint64_t nodes2 = 0, leaves2 = 0;
  auto again = TreeVisitor(reloaded).CreateTree(nodes2, leaves2);
  ASSERT_NE(again, nullptr);
  EXPECT_EQ(std::tie(nodes2, leaves2), std::tie(nodes, leaves));
  EXPECT_NE(again->Find("MAIN.aMatrix[2,2].y.z"), nullptr);

  // No root type: no tree.
  uint64_t n = 9, l = 9;
  EXPECT_EQ(TreeVisitor(std::make_shared<InteriorDataTypeList>()).CreateTree(n, l), nullptr);
  EXPECT_EQ(n, 0u);
  // No symbols: a root without children.
  const auto emptyTable = std::make_shared<InteriorDataTypeList>();
  auto empty = TreeVisitor(Elementary(), emptyTable).BuildTree({}, n, l);
  ASSERT_NE(empty, nullptr);
  EXPECT_EQ(empty->GetChildCount(), 0u);
  EXPECT_EQ(n, 1u);
}

TEST(TagTree, HugeCyclicAndDeepTypeGraphs) {
  // An array of a billion structures is refused before anything is allocated.
  auto list = Elementary();
  Add(*list, Array("BIG", "INT", {{0, 999'999'999}}));
  auto table = std::make_shared<InteriorDataTypeList>();
  uint64_t nodes = 0, leaves = 0;
  TreeVisitor visitor(list, table);
  EXPECT_EQ(visitor.BuildTree({Symbol("MAIN.big", "BIG")}, nodes, leaves), nullptr);
  EXPECT_EQ(visitor.LastRefusal(), TreeVisitor::Refusal::TooLarge);

  // An array of 100,000 structures of nine members, a million nodes, builds in reasonable time.
  auto rec = Struct("REC", {});
  for (int i = 0; i < 9; ++i) rec.SubItems.push_back({"m" + std::to_string(i), "INT", ""});
  auto wide = Elementary();
  Add(*wide, rec);
  Add(*wide, Array("ARR", "REC", {{0, 99'999}}));
  const auto wideTable = std::make_shared<InteriorDataTypeList>();
  const auto start = std::chrono::steady_clock::now();
  auto million = TreeVisitor(wide, wideTable).BuildTree({Symbol("MAIN.a", "ARR")}, nodes, leaves);
  const auto ms = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
  RecordProperty("build_ms", std::to_string(ms));
  ASSERT_NE(million, nullptr);
  EXPECT_EQ(std::tie(nodes, leaves), std::make_tuple(1u + 1 + 1 + 100'000 * 10, 900'000u));
  EXPECT_EQ(million->Find("MAIN.a[99999].m8")->GetLabel()->GetFullName(), "MAIN.a[99999].m8");

  // A saved table may describe a structure that contains itself.
  Tag::DataTypeList loop;
  Add(loop, Struct("QORV_ROOT", {{"next", "QORV_ROOT", ""}}));
  InteriorDataTypeList built;
  built.Build("QORV_ROOT", loop);
  // The member's type name is read before its own node exists: no reference, finite tree.
  const auto cyclic = Reloaded(built);
  EXPECT_NE(TreeVisitor(cyclic).CreateTree(nodes, leaves), nullptr);

  // A chain of 100,000 nested structures builds, finds and destroys without recursion.
  auto deep = Elementary();
  const int depth = 100'000;
  for (int i = 0; i < depth; ++i) {
    Add(*deep, Struct(Numbered("L", i), {{"m", i + 1 < depth ? Numbered("L", i + 1) : "INT", ""}}));
  }
  auto deepTable = std::make_shared<InteriorDataTypeList>();
  deepTable->Build("L0", *deep);
  auto root = TreeVisitor(deepTable).CreateTree(nodes, leaves);
  ASSERT_NE(root, nullptr);
  EXPECT_EQ(nodes, uint64_t{depth} + 1);
  std::string path = "m";
  for (int i = 1; i < 1000; ++i) path += ".m";
  EXPECT_NE(root->Find(path), nullptr);
  // Failing only at the bottom makes every level retry longer heads; the lookup still ends.
  EXPECT_EQ(root->Find(path + ".zz"), nullptr);
}

}  // namespace
