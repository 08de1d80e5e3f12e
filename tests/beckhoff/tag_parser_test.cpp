#include "tag/TagParser.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <tuple>
#include <vector>

#include "platform/Text.h"
#include "tag/TypeBuilders.h"

namespace {

using Beckhoff::BeckhoffTagParser;
using Tag::TagDataType;
using Tag::TagVariable;

using namespace tag_tests;

TagDataType ArrayOf(const std::string& element, std::vector<std::pair<uint32_t, uint32_t>> bounds) {
  return Array("ARRAY OF " + element, element, std::move(bounds));
}

TagVariable Parent(const std::string& comment, bool inArray = false) {
  TagVariable v = Symbol("MAIN.x", "", comment);
  v.InArray = inArray;
  v.Mode = 7;  // not the default, to see that it is copied
  return v;
}

std::vector<std::string> Names(const std::vector<TagVariable>& children) {
  std::vector<std::string> names;
  for (const auto& c : children) names.push_back(c.Name);
  return names;
}

TEST(BeckhoffTagParser, ArrayChildrenRunLastDimensionFastest) {
  BeckhoffTagParser parser(Elementary(), nullptr);
  TagVariable parent = Parent("matrix");
  std::vector<TagVariable> children{TagVariable{}};  // stale content is replaced
  ASSERT_TRUE(parser.Parse(ArrayOf("int", {{1, 2}, {0, 1}}), parent, children));
  EXPECT_EQ((std::vector<std::string>{"[1,0]", "[1,1]", "[2,0]", "[2,1]"}), Names(children));
  // The type as written (only the lookup is upper-cased), the parent's comment and mode.
  for (const auto& c : children)
    EXPECT_EQ(std::make_tuple(Tag::kInt, 2u, "int", "matrix", true, 7u, ""),
              std::tie(c.TypeCode, c.ByteSize, c.Type, c.Comment, c.InArray, c.Mode, c.FullName));

  // An element type missing from the list still gives children, of unknown code.
  ASSERT_TRUE(parser.ParseArray(ArrayOf("ST_MISSING", {{0, 1}}), parent, children));
  ASSERT_EQ(2u, children.size());
  EXPECT_EQ(std::make_tuple(Tag::kUnknown, 0u), std::tie(children[0].TypeCode, children[0].ByteSize));
}

TEST(BeckhoffTagParser, ArrayBoundsWrapAsUnsignedAndHugeArraysAreRefused) {
  BeckhoffTagParser parser(Elementary(), nullptr);
  TagVariable parent = Parent("");
  std::vector<TagVariable> children;

  // A lower bound of -1 is kept as 4294967295; the element count is still 3.
  ASSERT_TRUE(parser.ParseArray(ArrayOf("BOOL", {{4294967295u, 1}}), parent, children));
  EXPECT_EQ((std::vector<std::string>{"[4294967295]", "[0]", "[1]"}), Names(children));

  const struct {
    std::vector<std::pair<uint32_t, uint32_t>> bounds;
    bool accepted;
    size_t count;
  } cases[] = {
      {{{1, 1000}}, true, 1000},
      {{{0, 20'000'000}}, false, 0},  // one above the limit
      {{{0, 4999}, {0, 4000}}, false, 0},
      {{{0, 4294967294u}}, false, 0},                       // 2^32 - 1 elements
      {{{0, 65535}, {0, 65535}, {0, 65535}}, false, 0},    // 2^48, the product must not wrap
      {{{0, 65535}, {0, 65535}, {0, 0}, {0, 0}}, false, 0},
      {{{0, 4294967295u}, {0, 9}}, true, 0},  // 2^32 elements wrap to a count of 0
      {{}, false, 0},
  };
  for (const auto& c : cases) {
    children.assign(3, TagVariable{});
    const bool accepted = parser.ParseArray(ArrayOf("BYTE", c.bounds), parent, children);
    EXPECT_EQ(c.accepted, accepted) << c.bounds.size();
    EXPECT_EQ(c.count, children.size());
  }
}

TEST(BeckhoffTagParser, StructMembersSkipUnknownTypes) {
  auto list = Elementary();
  Add(*list, Array("ARRAY [0..3] OF INT", "INT", {{0, 3}}));
  const TagDataType record = Struct("ST_DEMO", {{"a", "INT", "first"}, {"b", "ST_MISSING", ""},
                                                {"c", "array [0..3] of int", ""}, {"d", "string(80)", "text"}});
  BeckhoffTagParser parser(list, nullptr);

  for (bool parentInArray : {false, true}) {
    TagVariable parent = Parent("ignored", parentInArray);
    std::vector<TagVariable> children;
    ASSERT_TRUE(parser.Parse(record, parent, children));
    ASSERT_EQ((std::vector<std::string>{"a", "c", "d"}), Names(children));
    // Members keep their own comments; an array member is always in an array.
    EXPECT_EQ(std::make_tuple(Tag::kInt, 2u, "first", parentInArray),
              std::tie(children[0].TypeCode, children[0].ByteSize, children[0].Comment, children[0].InArray));
    EXPECT_EQ(std::make_tuple(Tag::kArray, true, "array [0..3] of int"),
              std::tie(children[1].TypeCode, children[1].InArray, children[1].Type));
    EXPECT_EQ(std::make_tuple(81u, parentInArray), std::tie(children[2].ByteSize, children[2].InArray));
    for (const auto& c : children) EXPECT_EQ(7u, c.Mode);
  }
}

TEST(BeckhoffTagParser, BasicCopiesCodeAndSizeAndRefusesCompositeCodes) {
  BeckhoffTagParser parser(nullptr, nullptr);  // no list: basic types need none
  const std::pair<uint32_t, bool> cases[] = {{Tag::kBool, true},  {Tag::kLreal, true},   {Tag::kWstring, true},
                                             {Tag::kBit, true},   {Tag::kArray, false}, {Tag::kStruct, false},
                                             {Tag::kUnknown, false}};
  for (const auto& [code, accepted] : cases) {
    TagDataType type;
    type.TypeCode = code;
    type.ByteSize = 5;
    TagVariable variable = Parent("");
    std::vector<TagVariable> children(2);
    EXPECT_EQ(accepted, parser.Parse(type, variable, children)) << code;
    EXPECT_EQ(std::make_tuple(accepted ? code : Tag::kUnknown, accepted ? 5u : 0u, accepted ? size_t{0} : size_t{2}),
              std::make_tuple(variable.TypeCode, variable.ByteSize, children.size()));
  }

  // Without a list every member and element type is unknown.
  const TagDataType record = Struct("", {{"a", "INT", ""}});
  TagVariable parent = Parent("");
  std::vector<TagVariable> children;
  EXPECT_TRUE(parser.Parse(record, parent, children));
  EXPECT_TRUE(children.empty());
}

TEST(UpperCaseTypeName, LeavesDoubleByteCharactersAlone) {
  const unsigned saved = platform::GetAnsiCodePage();
  // A GBK character whose trail byte is the letter a (0x81 0x61).
  const std::string mixed = std::string("st_") + "\x81\x61" + "x";
  platform::SetAnsiCodePage(936);
  EXPECT_EQ(std::string("ST_") + "\x81\x61" + "X", Tag::UpperCaseTypeName(mixed));
  EXPECT_EQ("ARRAY [0..9] OF INT", Tag::UpperCaseTypeName("array [0..9] of int"));
  platform::SetAnsiCodePage(1252);
  EXPECT_EQ(std::string("ST_") + "\x81\x41" + "X", Tag::UpperCaseTypeName(mixed));
  platform::SetAnsiCodePage(saved);
}

}  // namespace
