#include <gtest/gtest.h>

#include <string>
#include <tuple>

#include "TypeBuilders.h"
#include "tag/InteriorDataTypeList.h"

namespace {

using namespace tag_tests;

TEST(TypeNodes, ArrayChildNamesAndFindChild) {
  auto list = Elementary();
  for (const auto& type : {Array("A2D", "INT", {{1, 2}, {0, 1}}), Array("NEG", "INT", {{static_cast<uint32_t>(-5), 5}})})
    Add(*list, type);
  InteriorDataTypeList table;
  table.Build("", *list);

  // Name of the first and last child, child count.
  const std::tuple<const char*, const char*, const char*, uint32_t> arrays[] = {
      {"A2D", "[1,0]", "[2,1]", 4}, {"NEG", "[4294967291]", "[5]", 11}};
  for (const auto& [name, first, last, count] : arrays) {
    auto* node = table.Lookup(name);
    ASSERT_NE(node, nullptr) << name;
    EXPECT_EQ(std::make_tuple(node->GetChildName(0), node->GetChildName(count - 1), node->GetChildCount()),
              std::make_tuple(first, last, count));
  }
  EXPECT_EQ(table.Lookup("A2D")->GetChildType(3), table.Lookup("INT"));
  EXPECT_EQ(table.Lookup("A2D")->GetChildName(1), "[1,1]");
  const std::pair<const char*, int64_t> finds[] = {
      {"[2,1]", 3}, {"(2;1)", 3}, {"[1,0]", 0}, {"[3,1]", -1}, {"[2]", -1}, {"2,1", -1}, {"", -1}, {"[2,1,0]", -1}};
  for (const auto& [text, index] : finds) EXPECT_EQ(table.Lookup("A2D")->FindChild(text), index) << text;
  // Negative bounds are unsigned: -5..5 still has 11 elements, named by the wrapped number,
  // but no index lies within [4294967291, 5], so none can be found.
  auto* neg = table.Lookup("NEG");
  EXPECT_EQ(std::make_tuple(neg->FindChild("[0]"), neg->FindChild("[4294967291]")), std::make_tuple(-1, -1));

  auto* basic = table.Lookup("INT");
  EXPECT_EQ(std::make_tuple(basic->GetChildCount(), basic->FindChild("x"), basic->GetMode()),
            std::make_tuple(0u, -1, 2u));
}

TEST(TypeNodes, BuildResolvesReferencesInDependencyOrder) {
  auto list = Elementary();
  // "AAA" refers to "ZZZ", which comes later in name order.
  for (const auto& type : {Struct("AAA", {{"z", "ZZZ", ""}, {"missing", "NOPE", "c"}}),
                           Struct("ZZZ", {{"i", "INT", ""}}), Struct("SELF", {{"me", "SELF", ""}})})
    Add(*list, type);
  InteriorDataTypeList table;
  table.Build("AAA", *list);
  EXPECT_EQ(table.Size(), list->Size());
  auto* aaa = table.Lookup("AAA");
  // An unknown type name: no reference, still a member.
  EXPECT_EQ(std::make_tuple(aaa->GetChildType(0), aaa->GetChildType(1), aaa->GetChildCount()),
            std::make_tuple(table.Lookup("ZZZ"), nullptr, 2u));
  EXPECT_EQ(std::make_tuple(aaa->FindChild("missing"), aaa->FindChild("Missing"), aaa->GetChildName(7)),
            std::make_tuple(1, -1, ""));
  EXPECT_EQ(table.Lookup("SELF")->GetChildType(0), nullptr);  // a cycle stays unresolved
}

TEST(TypeNodes, SavedFormOfARootOnlyTableAndDamagedForms) {
  Tag::DataTypeList rootOnly;
  Add(rootOnly, Struct("QORV_ROOT", {}));
  InteriorDataTypeList table;
  table.Build("QORV_ROOT", rootOnly);
  utils::MemoryBuffer out;
  EXPECT_EQ(std::make_tuple(table.Serialize(&out), table.Serialize(nullptr)), std::make_tuple(0, -1));
  const std::string expected(
      "\x09\x00\x00\x00" "QORV_ROOT" "\x01\x00\x00\x00" "\x02"
      "\x14\x00\x00\x00" "\x09\x00\x00\x00" "QORV_ROOT" "\x00\x00\x00\x00" "\x00\x00\x00\x00" "\x02\x00\x00\x00"
      "\x00\x00\x00\x00",
      51);
  EXPECT_EQ(Bytes(out), expected);

  auto list = Elementary();
  Add(*list, Struct("S", {{"a", "INT", "first"}, {"b", "ARR", ""}, {"c", "GONE", ""}}, 12));
  Add(*list, Array("ARR", "REAL", {{1, 2}, {static_cast<uint32_t>(-1), 1}}, 24));
  Add(*list, Struct("QORV_ROOT", {{"s", "S", ""}}));
  InteriorDataTypeList source;
  source.Build("QORV_ROOT", *list);
  utils::MemoryBuffer saved;
  source.Serialize(&saved);

  // Every truncation reads what it can and never faults; an empty stream leaves no root.
  const std::string whole = Bytes(saved);
  for (size_t length = 0; length < whole.size(); ++length) {
    const auto partial = Loaded(whole.substr(0, length));
    EXPECT_LE(partial->Size(), source.Size());
    EXPECT_TRUE(length >= 8 || partial->GetRootName().empty()) << length;
  }
  // Bit flips: no fault, no runaway allocation.
  for (size_t bit = 0; bit < whole.size() * 8; bit += 3) {
    std::string bad = whole;
    bad[bit / 8] = static_cast<char>(bad[bit / 8] ^ (1 << (bit % 8)));
    EXPECT_LE(Loaded(bad)->Size(), source.Size());
  }
}

}  // namespace
