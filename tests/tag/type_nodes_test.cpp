#include <gtest/gtest.h>

#include <string>
#include <tuple>

#include "TypeBuilders.h"
#include "tag/InteriorDataTypeList.h"

namespace {

using namespace tag_tests;

TEST(TypeNodes, ArrayChildNamesAndFindChild) {
  auto list = Elementary();
  for (const auto& type : {Array("A10", "INT", {{0, 9}}), Array("A2D", "INT", {{1, 2}, {0, 1}}),
                           Array("NEG", "INT", {{static_cast<uint32_t>(-5), 5}})})
    Add(*list, type);
  InteriorDataTypeList table;
  table.Build("", *list);

  auto* a10 = table.Lookup("A10");
  ASSERT_NE(a10, nullptr);
  EXPECT_EQ(std::make_tuple(a10->GetChildCount(), a10->GetChildName(0), a10->GetChildName(9)),
            std::make_tuple(10u, "[0]", "[9]"));
  EXPECT_EQ(a10->GetChildType(3), table.Lookup("INT"));

  auto* a2d = table.Lookup("A2D");
  const std::vector<std::string> names = {"[1,0]", "[1,1]", "[2,0]", "[2,1]"};
  ASSERT_EQ(a2d->GetChildCount(), 4u);
  for (uint32_t i = 0; i < 4; ++i) EXPECT_EQ(a2d->GetChildName(i), names[i]);
  const std::pair<const char*, int64_t> finds[] = {
      {"[2,1]", 3}, {"(2;1)", 3}, {"[1,0]", 0}, {"[3,1]", -1}, {"[2]", -1}, {"2,1", -1}, {"", -1}, {"[2,1,0]", -1}};
  for (const auto& [text, index] : finds) EXPECT_EQ(a2d->FindChild(text), index) << text;

  // Negative bounds are unsigned: -5..5 still has 11 elements, named by the wrapped number,
  // but no index lies within [4294967291, 5], so none can be found.
  auto* neg = table.Lookup("NEG");
  EXPECT_EQ(std::make_tuple(neg->GetChildCount(), neg->GetChildName(0), neg->GetChildName(5)),
            std::make_tuple(11u, "[4294967291]", "[0]"));
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
  EXPECT_EQ(aaa->GetChildType(0), table.Lookup("ZZZ"));
  EXPECT_EQ(aaa->GetChildType(1), nullptr);  // unknown name: no reference, still a member
  EXPECT_EQ(aaa->GetChildCount(), 2u);
  EXPECT_EQ(aaa->FindChild("missing"), 1);
  EXPECT_EQ(aaa->FindChild("Missing"), -1);
  EXPECT_EQ(aaa->GetChildName(7), "");
  EXPECT_EQ(table.Lookup("SELF")->GetChildType(0), nullptr);  // a cycle stays unresolved
}

// A data type without a name (a symbol file may leave it out) is found by an empty type
// name when the table is built, but the saved form writes "no type" as an empty name, so
// references to it come back as none.
TEST(TypeNodes, NamelessTypeLosesItsReferencesWhenSavedAndLoaded) {
  auto list = Elementary();
  Add(*list, Struct("", {{"x", "INT", ""}}));
  Add(*list, Struct("QORV_ROOT", {{"", "", ""}}));
  InteriorDataTypeList built;
  built.Build("QORV_ROOT", *list);
  ASSERT_NE(built.Lookup("QORV_ROOT")->GetChildType(0), nullptr);
  EXPECT_EQ(built.Lookup("QORV_ROOT")->GetChildType(0), built.Lookup(""));

  const auto loaded = Reloaded(built);
  ASSERT_NE(loaded->Lookup(""), nullptr);
  EXPECT_EQ(loaded->Lookup("QORV_ROOT")->GetChildType(0), nullptr);
  EXPECT_EQ(loaded->Lookup("QORV_ROOT")->GetChildCount(), 1u);
}

TEST(TypeNodes, SavedFormRoundTripAndLiteralRootOnlyTable) {
  Tag::DataTypeList rootOnly;
  Add(rootOnly, Struct("QORV_ROOT", {}));
  InteriorDataTypeList table;
  table.Build("QORV_ROOT", rootOnly);
  utils::MemoryBuffer out;
  EXPECT_EQ(table.Serialize(&out), 0);
  EXPECT_EQ(table.Serialize(nullptr), -1);
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

  // What loads saves again byte for byte, so every node came back whole.
  const auto loaded = Loaded(Bytes(saved));
  EXPECT_EQ(loaded->GetRootName(), "QORV_ROOT");
  EXPECT_EQ(loaded->Size(), source.Size());
  EXPECT_EQ(loaded->Lookup("S")->GetChildType(1), loaded->Lookup("ARR"));
  utils::MemoryBuffer again;
  loaded->Serialize(&again);
  EXPECT_EQ(Bytes(again), Bytes(saved));

  // The mode read back is ignored.
  std::string modeSeven = expected;
  modeSeven[43] = 7;
  EXPECT_EQ(Loaded(modeSeven)->Lookup("QORV_ROOT")->GetMode(), 2u);

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
