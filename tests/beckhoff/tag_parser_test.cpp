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

TagVariable Parent(const std::string& comment) {
  TagVariable v = Symbol("MAIN.x", "", comment);
  v.Mode = 7;  // not the default, to see that it is copied
  return v;
}

std::vector<std::string> Names(const std::vector<TagVariable>& children) {
  std::vector<std::string> names;
  for (const auto& c : children) names.push_back(c.Name);
  return names;
}

TEST(BeckhoffTagParser, ArrayChildrenRunLastDimensionFastestAndHugeArraysAreRefused) {
  BeckhoffTagParser parser(Elementary(), nullptr);
  TagVariable parent = Parent("matrix");
  const struct {
    std::vector<std::pair<uint32_t, uint32_t>> bounds;
    bool accepted;
    size_t count;
    std::vector<std::string> names;  // when few
  } cases[] = {
      {{{1, 2}, {0, 1}}, true, 4, {"[1,0]", "[1,1]", "[2,0]", "[2,1]"}},
      {{{4294967295u, 1}}, true, 3, {"[4294967295]", "[0]", "[1]"}},  // -1 kept unsigned; still 3
      {{{0, 20'000'000}}, false, 0, {}},  // one above the limit
      {{{0, 65535}, {0, 65535}, {0, 65535}}, false, 0, {}},    // 2^48, the product must not wrap
      {{{0, 4294967295u}, {0, 9}}, true, 0, {}},  // 2^32 elements wrap to a count of 0
      {{}, false, 0, {}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.bounds.size() ? c.bounds[0].second : 0);
    std::vector<TagVariable> children(3);  // stale content is replaced
    EXPECT_EQ(c.accepted, parser.ParseArray(ArrayOf("int", c.bounds), parent, children));
    ASSERT_EQ(c.count, children.size());
    if (!c.names.empty()) {
      EXPECT_EQ(c.names, Names(children));
    }
  }
  // The type as written (only the lookup is upper-cased), the parent's comment and mode.
  std::vector<TagVariable> children;
  ASSERT_TRUE(parser.Parse(ArrayOf("int", {{0, 1}}), parent, children));
  for (const auto& c : children)
    EXPECT_EQ(std::make_tuple(Tag::kInt, 2u, "int", "matrix", true, 7u, ""),
              std::tie(c.TypeCode, c.ByteSize, c.Type, c.Comment, c.InArray, c.Mode, c.FullName));
  // An element type missing from the list still gives children, of unknown code.
  ASSERT_TRUE(parser.ParseArray(ArrayOf("ST_MISSING", {{0, 1}}), parent, children));
  EXPECT_EQ(std::make_tuple(size_t{2}, Tag::kUnknown, 0u), std::make_tuple(children.size(), children[0].TypeCode, children[0].ByteSize));
}

TEST(BeckhoffTagParser, StructMembersSkipUnknownTypes) {
  auto list = Elementary();
  Add(*list, Array("ARRAY [0..3] OF INT", "INT", {{0, 3}}));
  const TagDataType record = Struct("ST_DEMO", {{"a", "INT", "first"}, {"b", "ST_MISSING", ""},
                                                {"c", "array [0..3] of int", ""}, {"d", "string(80)", "text"}});
  BeckhoffTagParser parser(list, nullptr);

  TagVariable parent = Parent("ignored");
  std::vector<TagVariable> children;
  ASSERT_TRUE(parser.Parse(record, parent, children));
  ASSERT_EQ((std::vector<std::string>{"a", "c", "d"}), Names(children));
  // Members keep their own comments and types as written; an array member is always in an array
  // (a member of an array element is too: see TagTree.NamesCountsAndLabels).
  const std::tuple<uint32_t, uint32_t, std::string, std::string, bool, uint32_t> members[] = {
      {Tag::kInt, 2, "INT", "first", false, 7},
      {Tag::kArray, 0, "array [0..3] of int", "", true, 7},
      {Tag::kString, 81, "string(80)", "text", false, 7}};
  for (size_t i = 0; i < 3; ++i)
    EXPECT_EQ(members[i], std::tie(children[i].TypeCode, children[i].ByteSize, children[i].Type, children[i].Comment,
                                   children[i].InArray, children[i].Mode)) << i;
}

TEST(BeckhoffTagParser, BasicCopiesCodeAndSizeAndRefusesCompositeCodes) {
  BeckhoffTagParser parser(nullptr, nullptr);  // no list: basic types need none, every member type is unknown
  for (uint32_t code : {Tag::kLreal, Tag::kStruct, Tag::kUnknown}) {
    TagDataType type = Struct("", {}, 5);
    type.TypeCode = code;
    TagVariable variable = Parent("");
    std::vector<TagVariable> children(2);
    const bool accepted = code == Tag::kLreal;  // a refusal changes nothing
    EXPECT_EQ(accepted, parser.Parse(type, variable, children)) << code;
    EXPECT_EQ(std::make_tuple(accepted ? code : Tag::kUnknown, accepted ? 5u : 0u, accepted ? size_t{0} : size_t{2}),
              std::make_tuple(variable.TypeCode, variable.ByteSize, children.size()));
  }
  TagVariable parent = Parent("");
  std::vector<TagVariable> children(1);
  EXPECT_TRUE(parser.Parse(Struct("", {{"a", "INT", ""}}), parent, children) && children.empty());
}

TEST(UpperCaseTypeName, LeavesDoubleByteCharactersAlone) {
  const unsigned saved = platform::GetAnsiCodePage();
  // A GBK character whose trail byte is the letter a (0x81 0x61).
  const std::string mixed = std::string("st_") + "\x81\x61" + "x";
  platform::SetAnsiCodePage(936);
  EXPECT_EQ(std::string("ST_") + "\x81\x61" + "X", Tag::UpperCaseTypeName(mixed));
  platform::SetAnsiCodePage(1252);
  EXPECT_EQ(std::string("ST_") + "\x81\x41" + "X", Tag::UpperCaseTypeName(mixed));
  platform::SetAnsiCodePage(saved);
}

}  // namespace
