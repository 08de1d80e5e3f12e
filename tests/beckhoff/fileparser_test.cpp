#include "beckhoff/BeckhoffFileparser.h"

#include <gtest/gtest.h>

#include <iterator>
#include <map>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "tag/TypeBuilders.h"

namespace {

using Beckhoff::BeckhoffFileparser;
using Tag::TagDataType;

// Loads an in-memory document and runs both passes.
bool Read(BeckhoffFileparser& parser, const std::string& xml) {
  if (!parser.LoadBytes(xml.data(), xml.size())) return false;
  EXPECT_EQ(0, parser.ReadDataTypes());
  EXPECT_EQ(0, parser.ReadSymbols());
  return true;
}

std::string Document(const std::string& dataTypes, const std::string& symbols) {
  return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<PlcProjectInfo><DataTypes>" + dataTypes +
         "</DataTypes><Symbols>" + symbols + "</Symbols></PlcProjectInfo>";
}

std::string SymbolXml(const std::string& name, const std::string& type) {
  return "<Symbol><Name>" + name + "</Name><Type>" + type + "</Type></Symbol>";
}

std::vector<std::string> SymbolNames(BeckhoffFileparser& parser) {
  std::vector<std::string> names;
  for (const auto& symbol : parser.GetSymbols()) names.push_back(symbol.Name);
  return names;
}

TagDataType Entry(BeckhoffFileparser& parser, const std::string& name) {
  return tag_tests::Listed(*parser.GetDataTypes(), name);
}

TEST(BeckhoffFileparser, ChildrenAreSearchedAfterTheOneFoundLast) {
  const std::string xml = Document(
      // The first BitSize stands before Name and the second before Comment: neither is seen.
      "<DataType><BitSize>64</BitSize><Name>st_late</Name><BitSize>16</BitSize><Comment>c</Comment>"
      "<SubItem><Type>INT</Type><Name>a</Name></SubItem></DataType>"
      // Elements before LBound: the count reads as 0, so UBound = LBound - 1.
      "<DataType><Name>ARR</Name><Type>BYTE</Type><ArrayInfo><Elements>4</Elements><LBound>3</LBound>"
      "</ArrayInfo><ArrayInfo><LBound>1</LBound><Elements>10</Elements></ArrayInfo></DataType>",
      "<Symbol><Comment>lost</Comment><Name>MAIN.a</Name><Type>INT</Type></Symbol>"
      "<Symbol><Type>INT</Type><Name>MAIN.b</Name><Comment>kept</Comment></Symbol>"
      "<Symbol><Type>INT</Type></Symbol>");
  BeckhoffFileparser parser(nullptr);
  ASSERT_TRUE(Read(parser, xml));

  // A Type before the member's Name is not seen either.
  TagDataType late = Entry(parser, "ST_LATE");
  EXPECT_EQ(std::make_tuple(0u, "c", std::vector<SubItem>{{"a", "", ""}}),
            std::tie(late.ByteSize, late.Comment, late.SubItems));
  EXPECT_EQ((std::vector<std::pair<uint32_t, uint32_t>>{{3, 2}, {1, 10}}), Entry(parser, "ARR").ArrayInfo);

  // Name, type, comment; the last symbol has no Name at all. None is expanded yet.
  const std::tuple<std::string, std::string, std::string> expected[] = {
      {"MAIN.a", "INT", ""}, {"MAIN.b", "", "kept"}, {"", "INT", ""}};
  ASSERT_EQ(std::size(expected), parser.GetSymbols().size());
  for (size_t i = 0; i < 3; ++i) {
    const auto& s = parser.GetSymbols()[i];
    EXPECT_EQ(std::tie(s.Name, s.Type, s.Comment), expected[i]) << i;
    EXPECT_EQ(std::make_tuple(s.Name, Tag::kUnknown, 0u, false, 2u),
              std::tie(s.FullName, s.TypeCode, s.ByteSize, s.InArray, s.Mode));
  }
}

TEST(BeckhoffFileparser, ReadsTypesWithCaseRulesSizesAndBounds) {
  const std::string xml = Document(
      "<DataType><Name>fb_Motor</Name><Comment>Motor Block</Comment><BitSize>12</BitSize>"
      "<SubItem><Name>bEnable</Name><Type>bool</Type><Comment>ignored</Comment></SubItem>"
      "<SubItem><Name>nSpeed</Name><Type>Int</Type></SubItem></DataType>"
      "<DataType><Name>Big</Name><Type>BYTE</Type><BitSize>1632</BitSize>"
      "<ArrayInfo><LBound>1</LBound><Elements>10</Elements></ArrayInfo>"
      "<ArrayInfo><LBound>-2</LBound><Elements>5</Elements></ArrayInfo></DataType>"
      "<DataType><Name>NoNumber</Name><Type>BYTE</Type><BitSize>abc</BitSize>"
      "<ArrayInfo><LBound>0</LBound><Elements>2</Elements></ArrayInfo></DataType>"
      "<DataType><Name>Empty</Name><BitSize>8</BitSize></DataType>"  // neither array, alias nor struct
      "<DataType><Name>FB_MOTOR</Name><SubItem><Name>x</Name><Type>INT</Type></SubItem></DataType>",
      SymbolXml("MAIN.fbMotor", "fb_Motor"));
  BeckhoffFileparser parser(nullptr);
  ASSERT_TRUE(Read(parser, xml));

  TagDataType motor = Entry(parser, "FB_MOTOR");  // the first definition wins; 12 bits are one byte
  EXPECT_EQ(std::make_tuple("FB_MOTOR", "Motor Block", Tag::kStruct, 1u, ""),
            std::tie(motor.Name, motor.Comment, motor.TypeCode, motor.ByteSize, motor.Type));
  EXPECT_EQ((std::vector<SubItem>{{"bEnable", "BOOL", ""}, {"nSpeed", "INT", ""}}), motor.SubItems);

  TagDataType big = Entry(parser, "BIG");
  EXPECT_EQ(std::make_tuple(Tag::kArray, 204u, "BYTE"), std::tie(big.TypeCode, big.ByteSize, big.Type));
  EXPECT_EQ((std::vector<std::pair<uint32_t, uint32_t>>{{1, 10}, {4294967294u, 2}}), big.ArrayInfo);
  EXPECT_EQ(0u, Entry(parser, "NONUMBER").ByteSize);
  EXPECT_EQ(std::make_tuple(false, 19u + 3u, true),
            std::make_tuple(parser.GetDataTypes()->Contains("EMPTY"), parser.GetDataTypes()->Size(), parser.GetAliases().empty()));
  ASSERT_EQ(1u, parser.GetSymbols().size());
  EXPECT_EQ(std::make_tuple("MAIN.fbMotor", "FB_MOTOR"), std::tie(parser.GetSymbols()[0].Name, parser.GetSymbols()[0].Type));
}

TEST(BeckhoffFileparser, RegistersStringTypesFromMembersArraysAndSymbols) {
  const std::string xml = Document(
      "<DataType><Name>ST_Text</Name>"
      "<SubItem><Name>s20</Name><Type>STRING(20)</Type></SubItem>"
      "<SubItem><Name>s80</Name><Type>STRING(80)</Type></SubItem>"
      "<SubItem><Name>w10</Name><Type>WSTRING(10)</Type></SubItem>"
      "<SubItem><Name>bad</Name><Type>STRING)9(</Type></SubItem>"
      "<SubItem><Name>lower</Name><Type>string(7)</Type></SubItem></DataType>"
      "<DataType><Name>T_MaxString</Name><Type>STRING(255)</Type></DataType>"
      "<DataType><Name>ARRAY [1..3] OF STRING(30)</Name><Type>STRING(30)</Type>"
      "<ArrayInfo><LBound>1</LBound><Elements>3</Elements></ArrayInfo></DataType>",
      SymbolXml("MAIN.sPlain", "STRING") + SymbolXml("MAIN.s40", "STRING(40)") + SymbolXml("MAIN.w40", "WSTRING(40)") +
          SymbolXml("MAIN.s5", "string(5)") + SymbolXml("MAIN.s63", "STRING(63)"));
  BeckhoffFileparser parser(nullptr);
  ASSERT_TRUE(Read(parser, xml));

  const std::tuple<const char*, uint32_t, uint32_t> cases[] = {  // name, code, size
      {"STRING(20)", Tag::kString, 11},   {"STRING(80)", Tag::kString, 81}, {"WSTRING(10)", Tag::kWstring, 6},
      {"STRING(255)", Tag::kString, 128}, {"STRING(30)", Tag::kString, 16}, {"STRING(40)", Tag::kString, 21},
      {"WSTRING(40)", Tag::kWstring, 21}, {"STRING(63)", Tag::kString, 64},
  };
  for (const auto& c : cases) {
    TagDataType type = Entry(parser, std::get<0>(c));
    EXPECT_EQ(c, std::tie(type.Name, type.TypeCode, type.ByteSize));
  }
  // A plain STRING symbol leaves an unknown record without name under its type text.
  TagDataType plain = Entry(parser, "STRING");
  EXPECT_EQ(std::make_tuple("", Tag::kUnknown, 0u), std::tie(plain.Name, plain.TypeCode, plain.ByteSize));
  // The search for STRING is case-sensitive, ")" must follow "(".
  for (const char* absent : {"STRING(7)", "STRING(5)", "STRING)9("})
    EXPECT_FALSE(parser.GetDataTypes()->Contains(absent)) << absent;
  EXPECT_EQ(std::make_tuple("STRING(5)", std::map<std::string, std::string>{{"T_MAXSTRING", "STRING(255)"}}),
            std::tie(parser.GetSymbols()[3].Type, parser.GetAliases()));
}

TEST(BeckhoffFileparser, ResolvesAliasesOneLevelAndKeepsThemAcrossLoads) {
  const std::string first = Document(
      "<DataType><Name>MyInt</Name><Type>INT</Type></DataType>"
      "<DataType><Name>MyAlias2</Name><Type>MyInt</Type></DataType>"
      "<DataType><Name>ARRAY [0..3] OF MyInt</Name><Type>MyInt</Type>"
      "<ArrayInfo><LBound>0</LBound><Elements>4</Elements></ArrayInfo></DataType>"
      "<DataType><Name>ST_A</Name><SubItem><Name>a</Name><Type>MyInt</Type></SubItem>"
      "<SubItem><Name>b</Name><Type>MyAlias2</Type></SubItem>"
      "<SubItem><Name>c</Name><Type>ST_Missing</Type></SubItem>"
      "<SubItem><Name>d</Name><Type>ST_A</Type></SubItem></DataType>",
      SymbolXml("MAIN.x", "MyInt"));
  BeckhoffFileparser parser(nullptr);
  ASSERT_TRUE(Read(parser, first));
  EXPECT_EQ("INT", Entry(parser, "ARRAY [0..3] OF MYINT").Type);
  EXPECT_EQ((std::vector<SubItem>{{"a", "INT", ""}, {"b", "MYINT", ""}, {"c", "", ""}, {"d", "ST_A", ""}}),
            Entry(parser, "ST_A").SubItems);
  EXPECT_EQ("MYINT", parser.GetSymbols()[0].Type);  // symbols are not resolved here

  // A second file redefines MyInt; the first file's alias wins, and its types are gone.
  const std::string second = Document(
      "<DataType><Name>MyInt</Name><Type>REAL</Type></DataType>"
      "<DataType><Name>MyReal</Name><Type>REAL</Type></DataType>"
      "<DataType><Name>ST_B</Name><SubItem><Name>a</Name><Type>MyInt</Type></SubItem>"
      "<SubItem><Name>r</Name><Type>MyReal</Type></SubItem></DataType>",
      SymbolXml("MAIN.y", "INT"));
  ASSERT_TRUE(Read(parser, second));
  EXPECT_FALSE(parser.GetDataTypes()->Contains("ST_A"));
  EXPECT_EQ((std::vector<SubItem>{{"a", "INT", ""}, {"r", "REAL", ""}}), Entry(parser, "ST_B").SubItems);
  EXPECT_EQ(std::vector<std::string>{"MAIN.y"}, SymbolNames(parser));
  EXPECT_EQ((std::map<std::string, std::string>{{"MYALIAS2", "MYINT"}, {"MYINT", "INT"}, {"MYREAL", "REAL"}}),
            parser.GetAliases());
}

TEST(BeckhoffFileparser, MapsDateAndTimeTypesByExactText) {
  const std::pair<const char*, const char*> cases[] = {
      {"DATE", "UDINT"}, {"DATE_AND_TIME", "UDINT"}, {"DT", "UDINT"},   {"TIME", "UDINT"},
      {"TIME_OF_DAY", "UDINT"}, {"TOD", "UDINT"},    {"LTIME", "ULINT"}, {"time", "TIME"},
      {"Dt", "DT"},      {" TIME", " TIME"},         {"LDT", "LDT"},
  };
  std::string symbols;
  for (const auto& [type, expected] : cases) symbols += SymbolXml("MAIN.v", type);
  BeckhoffFileparser parser(nullptr);
  ASSERT_TRUE(Read(parser, Document("", symbols)));
  ASSERT_EQ(std::size(cases), parser.GetSymbols().size());
  for (size_t i = 0; i < std::size(cases); ++i) EXPECT_EQ(cases[i].second, parser.GetSymbols()[i].Type) << i;
}

TEST(BeckhoffFileparser, ReadsEverySectionAndOnlyThoseBelowTheRoot) {
  const std::string xml =
      "<Root><Programs><Symbols>" + SymbolXml("P.hidden", "INT") + "</Symbols></Programs>"
      "<Symbols>" + SymbolXml("A.one", "INT") + "<Other>" + SymbolXml("A.nested", "INT") + "</Other></Symbols>"
      "<DataTypes><DataType><Name>T1</Name><Type>INT</Type>"
      "<ArrayInfo><LBound>0</LBound><Elements>1</Elements></ArrayInfo></DataType></DataTypes>"
      "<Symbols>" + SymbolXml("B.two", "BOOL") + "</Symbols>"
      "<DataTypes><DataType><Name>T2</Name><SubItem><Name>m</Name><Type>T1</Type></SubItem></DataType>"
      "</DataTypes><symbols>" + SymbolXml("C.case", "INT") + "</symbols></Root>";
  BeckhoffFileparser parser(nullptr);
  ASSERT_TRUE(Read(parser, xml));
  EXPECT_EQ((std::vector<std::string>{"A.one", "B.two"}), SymbolNames(parser));
  EXPECT_EQ("T1", Entry(parser, "T2").SubItems.at(0).Type);
  EXPECT_EQ(Tag::kArray, Entry(parser, "T1").TypeCode);
}

TEST(BeckhoffFileparser, FailedLoadsLeaveOnlyTheElementaryTypes) {
  BeckhoffFileparser parser(nullptr);
  ASSERT_TRUE(Read(parser, Document("<DataType><Name>T</Name><SubItem><Name>m</Name><Type>INT</Type></SubItem>"
                                    "</DataType>", SymbolXml("MAIN.a", "INT"))));
  ASSERT_EQ(20u, parser.GetDataTypes()->Size());

  const std::string bad[] = {"", "<a/><b/>", "   ", "<a><b></a>", "<?xml version=\"1.0\"?>", "<a>x<!-y->z</a>",
                             "<a>x<![CDAT[y]]>z</a>"};
  for (const auto& text : bad) {
    EXPECT_FALSE(parser.LoadBytes(text.data(), text.size())) << text;
    EXPECT_EQ(std::make_tuple(19u, true), std::make_tuple(parser.GetDataTypes()->Size(), parser.GetSymbols().empty()));
  }
  EXPECT_FALSE(parser.LoadFile("/nonexistent/dir/file.tpy"));
  EXPECT_EQ(std::make_tuple(0, 0, true),
            std::make_tuple(parser.ReadDataTypes(), parser.ReadSymbols(), parser.GetSymbols().empty()));

  // The list is shared: a reference taken earlier sees the next load.
  auto list = parser.GetDataTypes();
  ASSERT_TRUE(Read(parser, Document("", SymbolXml("MAIN.s", "STRING(12)"))));
  EXPECT_TRUE(list->Contains("STRING(12)"));
}

}  // namespace
