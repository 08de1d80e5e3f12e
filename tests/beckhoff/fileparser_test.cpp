#include "beckhoff/BeckhoffFileparser.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <iterator>
#include <map>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "tag/TypeBuilders.h"

namespace {

using Tag::TagDataType;

std::string Document(const std::string& dataTypes, const std::string& symbols) {
  return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<PlcProjectInfo><DataTypes>" + dataTypes +
         "</DataTypes><Symbols>" + symbols + "</Symbols></PlcProjectInfo>";
}

std::string ExampleFile(const char* name) { return std::string(ADS_SOURCE_DIR) + "/examples/" + name; }

std::string SymbolXml(const std::string& name, const std::string& type) {
  return "<Symbol><Name>" + name + "</Name><Type>" + type + "</Type></Symbol>";
}

std::string MemberXml(const std::string& name, const std::string& type) {
  return "<SubItem><Name>" + name + "</Name><Type>" + type + "</Type></SubItem>";
}

std::string BoundsXml(const std::string& lower, const std::string& elements) {
  return "<ArrayInfo><LBound>" + lower + "</LBound><Elements>" + elements + "</Elements></ArrayInfo>";
}

class ParsedDocument : public testing::Test {
 protected:
  // Loads an in-memory document or a file and runs both passes.
  bool Read(const std::string& xml) { return parser_.LoadBytes(xml.data(), xml.size()) && BothPasses(); }
  bool ReadFile(const std::string& path) { return parser_.LoadFile(path) && BothPasses(); }
  bool BothPasses() {
    EXPECT_EQ(0, parser_.ReadDataTypes());
    EXPECT_EQ(0, parser_.ReadSymbols());
    return true;
  }
  TagDataType Entry(const std::string& name) { return tag_tests::Listed(*parser_.GetDataTypes(), name); }
  std::vector<std::string> SymbolNames() {
    std::vector<std::string> names;
    for (const auto& symbol : parser_.GetSymbols()) names.push_back(symbol.Name);
    return names;
  }

  Beckhoff::BeckhoffFileparser parser_{nullptr};
};

TEST_F(ParsedDocument, ChildrenAreSearchedAfterTheOneFoundLast) {
  ASSERT_TRUE(Read(Document(
      // The first BitSize stands before Name and the second before Comment: neither is seen.
      "<DataType><BitSize>64</BitSize><Name>st_late</Name><BitSize>16</BitSize><Comment>c</Comment>"
      "<SubItem><Type>INT</Type><Name>a</Name></SubItem></DataType>",
      "<Symbol><Comment>lost</Comment><Name>MAIN.a</Name><Type>INT</Type></Symbol>"
      "<Symbol><Type>INT</Type><Name>MAIN.b</Name><Comment>kept</Comment></Symbol><Symbol><Type>INT</Type></Symbol>")));

  // A Type before the member's Name is not seen either.
  TagDataType late = Entry("ST_LATE");
  EXPECT_EQ(std::make_tuple(0u, "c", std::vector<SubItem>{{"a", "", ""}}),
            std::tie(late.ByteSize, late.Comment, late.SubItems));

  // Name, type, comment; the last symbol has no Name at all.
  std::vector<std::tuple<std::string, std::string, std::string>> symbols;
  for (const auto& s : parser_.GetSymbols()) symbols.emplace_back(s.Name, s.Type, s.Comment);
  EXPECT_EQ(symbols, (decltype(symbols){{"MAIN.a", "INT", ""}, {"MAIN.b", "", "kept"}, {"", "INT", ""}}));
}

TEST_F(ParsedDocument, ReadsTypesWithCaseRulesSizesAndBounds) {
  ASSERT_TRUE(Read(Document(
      "<DataType><Name>fb_Motor</Name><Comment>Motor Block</Comment><BitSize>12</BitSize>"
      "<SubItem><Name>bEnable</Name><Type>bool</Type><Comment>ignored</Comment></SubItem>" + MemberXml("nSpeed", "Int") +
          "</DataType><DataType><Name>Big</Name><Type>BYTE</Type><BitSize>1632</BitSize>" + BoundsXml("1", "10") +
          BoundsXml("-2", "5") + "</DataType>"
          "<DataType><Name>Empty</Name><BitSize>8</BitSize></DataType>"  // neither array, alias nor struct
          "<DataType><Name>FB_MOTOR</Name>" + MemberXml("x", "INT") + "</DataType>",
      "")));

  TagDataType motor = Entry("FB_MOTOR");  // the first definition wins; 12 bits are one byte
  EXPECT_EQ(std::make_tuple("FB_MOTOR", "Motor Block", Tag::kStruct, 1u, ""),
            std::tie(motor.Name, motor.Comment, motor.TypeCode, motor.ByteSize, motor.Type));
  EXPECT_EQ((std::vector<SubItem>{{"bEnable", "BOOL", ""}, {"nSpeed", "INT", ""}}), motor.SubItems);
  TagDataType big = Entry("BIG");
  EXPECT_EQ(std::make_tuple(Tag::kArray, 204u, "BYTE"), std::tie(big.TypeCode, big.ByteSize, big.Type));
  EXPECT_EQ((std::vector<std::pair<uint32_t, uint32_t>>{{1, 10}, {4294967294u, 2}}), big.ArrayInfo);
  EXPECT_EQ(std::make_tuple(false, 19u + 2u, true),
            std::make_tuple(parser_.GetDataTypes()->Contains("EMPTY"), parser_.GetDataTypes()->Size(),
                            parser_.GetAliases().empty()));
}

TEST_F(ParsedDocument, RegistersStringTypesFromMembersArraysAndSymbols) {
  ASSERT_TRUE(Read(Document(
      "<DataType><Name>ST_Text</Name>" + MemberXml("s20", "STRING(20)") + MemberXml("w10", "WSTRING(10)") +
          MemberXml("bad", "STRING)9(") + MemberXml("lower", "string(7)") +
          "</DataType><DataType><Name>T_MaxString</Name><Type>STRING(255)</Type></DataType>"
          "<DataType><Name>ARRAY [1..3] OF STRING(30)</Name><Type>STRING(30)</Type>" + BoundsXml("1", "3") + "</DataType>",
      SymbolXml("MAIN.sPlain", "STRING") + SymbolXml("MAIN.s40", "STRING(40)") + SymbolXml("MAIN.w40", "WSTRING(40)") +
          SymbolXml("MAIN.s5", "string(5)"))));

  const std::tuple<const char*, uint32_t, uint32_t> cases[] = {  // name, code, size
      {"STRING(20)", Tag::kString, 11},   {"WSTRING(10)", Tag::kWstring, 6}, {"STRING(255)", Tag::kString, 128},
      {"STRING(30)", Tag::kString, 16},   {"STRING(40)", Tag::kString, 21},  {"WSTRING(40)", Tag::kWstring, 21},
  };
  for (const auto& c : cases) {
    TagDataType type = Entry(std::get<0>(c));
    EXPECT_EQ(c, std::tie(type.Name, type.TypeCode, type.ByteSize));
  }
  // A plain STRING symbol leaves an unknown record without name under its type text.
  TagDataType plain = Entry("STRING");
  EXPECT_EQ(std::make_tuple("", Tag::kUnknown, 0u), std::tie(plain.Name, plain.TypeCode, plain.ByteSize));
  // The search for STRING is case-sensitive, ")" must follow "(".
  for (const char* absent : {"STRING(7)", "STRING(5)", "STRING)9("})
    EXPECT_FALSE(parser_.GetDataTypes()->Contains(absent)) << absent;
  EXPECT_EQ(std::make_tuple("STRING(5)", std::map<std::string, std::string>{{"T_MAXSTRING", "STRING(255)"}}),
            std::tie(parser_.GetSymbols()[3].Type, parser_.GetAliases()));
}

TEST_F(ParsedDocument, ResolvesAliasesOneLevelAndKeepsThemAcrossLoads) {
  ASSERT_TRUE(Read(Document(
      "<DataType><Name>MyInt</Name><Type>INT</Type></DataType><DataType><Name>MyAlias2</Name><Type>MyInt</Type>"
      "</DataType><DataType><Name>ARRAY [0..3] OF MyInt</Name><Type>MyInt</Type>" + BoundsXml("0", "4") +
          "</DataType><DataType><Name>ST_A</Name>" + MemberXml("a", "MyInt") + MemberXml("b", "MyAlias2") +
          MemberXml("c", "ST_Missing") + MemberXml("d", "ST_A") + MemberXml("t", "TIME") + "</DataType>",
      SymbolXml("MAIN.x", "MyInt"))));
  EXPECT_EQ("INT", Entry("ARRAY [0..3] OF MYINT").Type);
  EXPECT_EQ((std::vector<SubItem>{{"a", "INT", ""}, {"b", "MYINT", ""}, {"c", "", ""}, {"d", "ST_A", ""}, {"t", "", ""}}),
            Entry("ST_A").SubItems);
  EXPECT_EQ("MYINT", parser_.GetSymbols()[0].Type);  // symbols are not resolved here

  // A second file redefines MyInt; the first file's alias wins, and its types are gone.
  ASSERT_TRUE(Read(Document("<DataType><Name>MyInt</Name><Type>REAL</Type></DataType><DataType><Name>MyReal</Name>"
                            "<Type>REAL</Type></DataType><DataType><Name>ST_B</Name>" + MemberXml("a", "MyInt") +
                                MemberXml("r", "MyReal") + "</DataType>",
                            SymbolXml("MAIN.y", "INT"))));
  EXPECT_FALSE(parser_.GetDataTypes()->Contains("ST_A"));
  EXPECT_EQ((std::vector<SubItem>{{"a", "INT", ""}, {"r", "REAL", ""}}), Entry("ST_B").SubItems);
  EXPECT_EQ(std::vector<std::string>{"MAIN.y"}, SymbolNames());
  EXPECT_EQ((std::map<std::string, std::string>{{"MYALIAS2", "MYINT"}, {"MYINT", "INT"}, {"MYREAL", "REAL"}}),
            parser_.GetAliases());
}

TEST_F(ParsedDocument, MapsDateAndTimeTypesByExactText) {
  const std::pair<const char*, const char*> cases[] = {
      {"DT", "UDINT"}, {"TIME", "UDINT"}, {"LTIME", "ULINT"}, {"time", "TIME"}, {" TIME", " TIME"}, {"LDT", "LDT"}};
  std::string symbols;
  for (const auto& [type, expected] : cases) symbols += SymbolXml("MAIN.v", type);
  ASSERT_TRUE(Read(Document("", symbols)));
  ASSERT_EQ(std::size(cases), parser_.GetSymbols().size());
  for (size_t i = 0; i < std::size(cases); ++i) EXPECT_EQ(cases[i].second, parser_.GetSymbols()[i].Type) << i;
}

TEST_F(ParsedDocument, ReadsEverySectionAndOnlyThoseBelowTheRoot) {
  ASSERT_TRUE(Read(
      "<Root><Programs><Symbols>" + SymbolXml("P.hidden", "INT") + "</Symbols></Programs>"
      "<Symbols>" + SymbolXml("A.one", "INT") + "<Other>" + SymbolXml("A.nested", "INT") + "</Other></Symbols>"
      "<DataTypes><DataType><Name>T1</Name><Type>INT</Type>" + BoundsXml("0", "1") + "</DataType></DataTypes>"
      "<Symbols>" + SymbolXml("B.two", "BOOL") + "</Symbols><DataTypes><DataType><Name>T2</Name>" + MemberXml("m", "T1") +
      "</DataType></DataTypes><symbols>" + SymbolXml("C.case", "INT") + "</symbols></Root>"));
  EXPECT_EQ((std::vector<std::string>{"A.one", "B.two"}), SymbolNames());
  EXPECT_EQ(std::make_tuple(Tag::kArray, std::string("T1")),
            std::make_tuple(Entry("T1").TypeCode, Entry("T2").SubItems.at(0).Type));
}

TEST_F(ParsedDocument, FailedLoadsLeaveOnlyTheElementaryTypes) {
  ASSERT_TRUE(Read(Document("<DataType><Name>T</Name>" + MemberXml("m", "INT") + "</DataType>", SymbolXml("MAIN.a", "INT"))));
  ASSERT_EQ(20u, parser_.GetDataTypes()->Size());
  const std::string bad[] = {"", "<a><b></a>"};
  for (const auto& text : bad) {
    EXPECT_FALSE(parser_.LoadBytes(text.data(), text.size())) << text;
    EXPECT_EQ(std::make_tuple(19u, true), std::make_tuple(parser_.GetDataTypes()->Size(), parser_.GetSymbols().empty()));
  }
  EXPECT_FALSE(parser_.LoadFile("/nonexistent/dir/file.tpy"));
  EXPECT_EQ(std::make_tuple(0, 0, true), std::make_tuple(parser_.ReadDataTypes(), parser_.ReadSymbols(), parser_.GetSymbols().empty()));
}

// The bundled examples in UTF-8, GBK and UTF-16; text decoding itself is the XML reader's.
TEST_F(ParsedDocument, BundledExamplesReadCompletely) {
  for (const auto& [name, symbols] : {std::pair{"demo.tpy", 14u}, {"demo_gbk.tpy", 3u}, {"demo_utf16.tpy", 4u}}) {
    ASSERT_TRUE(ReadFile(ExampleFile(name))) << name;
    EXPECT_EQ(symbols, parser_.GetSymbols().size()) << name;
  }
  // UTF-16 text with a reference, as GBK.
  EXPECT_EQ("\xb7\xbf\xbc\xe4 & \xce\xc2\xb6\xc8", Entry("ST_ROOM").Comment);
}

// Name, symbols (the Symbol elements of the Symbols section below the root), first symbol.
constexpr std::tuple<const char*, size_t, const char*> kCorpus[] = {
    {"EuropeanSpallationSource__epics-twincat-ads__MCAG_PLC_Project.tpy", 247, "Global_Variables.DEFAULT_HOME_POSITION"},
    {"iobroker-community-adapters__ioBroker.beckhoff__projectData.tpy", 198, "prgMain.sMeterCommunication"},
    {"kacperItemService__Dragon-Case-Packing-Line__PLC.tpy", 1598, "RecipeManCommands.s_bRecipeManagerLocked"},
    {"kyle-goodwin__JAdsConnector__testPLC1.tpy", 19, "Global_Version.stLibVersion_Tc2_System"},
    {"pastelblush__WTP_Sepang__WTP_Pro_15_8_2016.tpy", 1564, "GRIT_REMOVAL_OPERATION.bGritClasifierOperation"},
    {"xKeRnx__TwinCAT2_Examle_HMI__Test.tpy", 50, "MAIN.InMainVolt"},
    {"zhaoshutao__HEPSCollimator__Untitled1.tpy", 411, "GVL.MOD_btn_LocalOrRemote"},
    {"zonfacter__SmartHome_py__HausAutomation.tpy", 676, "SET_TIME.NT_GetTime"},
};

TEST_F(ParsedDocument, RealSymbolFilesReadCompletely) {
  const std::filesystem::path dir(ADS_CORPUS_DIR);
  if (!std::filesystem::is_directory(dir)) GTEST_SKIP() << "no corpus at " << dir;
  for (const auto& [file, count, first] : kCorpus) {
    ASSERT_TRUE(ReadFile((dir / file).string())) << file;
    const auto& symbols = parser_.GetSymbols();
    ASSERT_EQ(count, symbols.size()) << file;
    EXPECT_EQ(first, symbols.front().Name) << file;
    // Codes agree with the records' contents; symbols are not expanded yet.
    for (const auto& [name, type] : parser_.GetDataTypes()->Entries()) {
      EXPECT_TRUE(type.TypeCode != Tag::kArray || type.IsArray()) << name;
      EXPECT_TRUE(type.TypeCode != Tag::kStruct || type.IsStruct()) << name;
    }
    for (const auto& s : symbols) EXPECT_EQ(s.Name, s.FullName);
  }

}

}  // namespace
