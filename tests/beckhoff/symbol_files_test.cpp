// Reads the bundled examples and the real symbol files end to end.
#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <string>
#include <tuple>
#include <vector>

#include "beckhoff/BeckhoffFileparser.h"
#include "tag/TypeBuilders.h"

namespace {

using Beckhoff::BeckhoffFileparser;
using Tag::TagDataType;

std::string ExamplePath(const char* name) { return std::string(ADS_SOURCE_DIR) + "/examples/" + name; }

bool ReadFile(BeckhoffFileparser& parser, const std::string& path) {
  if (!parser.LoadFile(path)) return false;
  EXPECT_EQ(0, parser.ReadDataTypes());
  EXPECT_EQ(0, parser.ReadSymbols());
  return true;
}

TEST(SymbolFiles, DemoProject) {
  BeckhoffFileparser parser(nullptr);
  ASSERT_TRUE(ReadFile(parser, ExamplePath("demo.tpy")));
  const auto& symbols = parser.GetSymbols();
  EXPECT_EQ(25u, parser.GetDataTypes()->Size());
  ASSERT_EQ(14u, symbols.size());
  // GBK bytes of the Chinese comment of MAIN.fbMotor.
  EXPECT_EQ(std::make_tuple("MAIN.fbMotor", "FB_MOTOR", "\xca\xe4\xcb\xcd\xb4\xf8\xb5\xe7\xbb\xfa"),
            std::tie(symbols[0].Name, symbols[0].Type, symbols[0].Comment));
  EXPECT_EQ("MAIN.aAxis[0].fPos", symbols[3].FullName);
  const TagDataType motor = tag_tests::Listed(*parser.GetDataTypes(), "FB_MOTOR");
  // TIME has no entry and is no alias, so the member's type is cleared.
  EXPECT_EQ(std::make_tuple(12u, std::vector<SubItem>{{"bEnable", "BOOL", ""}, {"bBusy", "BOOL", ""},
                                                      {"nSpeed", "INT", ""}, {"fCurrent", "REAL", ""}, {"tRamp", "", ""}}),
            std::tie(motor.ByteSize, motor.SubItems));
  EXPECT_EQ((std::map<std::string, std::string>{{"T_PERCENT", "REAL"}}), parser.GetAliases());
}

TEST(SymbolFiles, GbkAndUtf16Examples) {
  BeckhoffFileparser parser(nullptr);
  ASSERT_TRUE(ReadFile(parser, ExamplePath("demo_gbk.tpy")));
  ASSERT_EQ(3u, parser.GetSymbols().size());
  EXPECT_EQ(std::make_tuple("PRG_Station.aPumps", "ARRAY [1..4] OF ST_PUMP"),
            std::tie(parser.GetSymbols()[0].Name, parser.GetSymbols()[0].Type));
  const TagDataType pump = tag_tests::Listed(*parser.GetDataTypes(), "ST_PUMP");
  EXPECT_EQ(std::make_tuple("\xcb\xae\xb1\xc3\xca\xfd\xbe\xdd", 38u, size_t{4}),
            std::make_tuple(pump.Comment, pump.ByteSize, pump.SubItems.size()));

  ASSERT_TRUE(ReadFile(parser, ExamplePath("demo_utf16.tpy")));
  const auto& symbols = parser.GetSymbols();
  ASSERT_EQ(4u, symbols.size());
  EXPECT_FALSE(parser.GetDataTypes()->Contains("ST_PUMP"));
  // A character reference and text; TIME and LTIME mapped.
  EXPECT_EQ(std::make_tuple("\xb0\xec\xb9\xab\xca\xd2", "UDINT", "ULINT"),
            std::tie(symbols[0].Comment, symbols[2].Type, symbols[3].Type));
  EXPECT_EQ("\xb7\xbf\xbc\xe4 & \xce\xc2\xb6\xc8", tag_tests::Listed(*parser.GetDataTypes(), "ST_ROOM").Comment);
  EXPECT_TRUE(parser.GetDataTypes()->Contains("ARRAY [-2..2] OF INT"));
}

// Symbols per file (the Symbol elements of the Symbols section below the root).
struct CorpusFile {
  const char* name;
  size_t symbols;
  const char* firstSymbol;
};

constexpr CorpusFile kCorpus[] = {
    {"EuropeanSpallationSource__epics-twincat-ads__MCAG_PLC_Project.tpy", 247, "Global_Variables.DEFAULT_HOME_POSITION"},
    {"iobroker-community-adapters__ioBroker.beckhoff__projectData.tpy", 198, "prgMain.sMeterCommunication"},
    {"kacperItemService__Dragon-Case-Packing-Line__PLC.tpy", 1598, "RecipeManCommands.s_bRecipeManagerLocked"},
    {"kyle-goodwin__JAdsConnector__testPLC1.tpy", 19, "Global_Version.stLibVersion_Tc2_System"},
    {"pastelblush__WTP_Sepang__WTP_Pro_15_8_2016.tpy", 1564, "GRIT_REMOVAL_OPERATION.bGritClasifierOperation"},
    {"xKeRnx__TwinCAT2_Examle_HMI__Test.tpy", 50, "MAIN.InMainVolt"},
    {"zhaoshutao__HEPSCollimator__Untitled1.tpy", 411, "GVL.MOD_btn_LocalOrRemote"},
    {"zonfacter__SmartHome_py__HausAutomation.tpy", 676, "SET_TIME.NT_GetTime"},
};

TEST(SymbolFiles, RealFilesReadCompletelyWithTheirSpotValues) {
  const std::filesystem::path dir(ADS_CORPUS_DIR);
  if (!std::filesystem::is_directory(dir)) GTEST_SKIP() << "no corpus at " << dir;
  BeckhoffFileparser parser(nullptr);
  for (const auto& file : kCorpus) {
    ASSERT_TRUE(ReadFile(parser, (dir / file.name).string())) << file.name;
    const auto& symbols = parser.GetSymbols();
    ASSERT_EQ(file.symbols, symbols.size()) << file.name;
    EXPECT_EQ(file.firstSymbol, symbols.front().Name) << file.name;
    // Codes agree with the records' contents; symbols are not expanded yet.
    for (const auto& [name, type] : parser.GetDataTypes()->Entries()) {
      EXPECT_TRUE(type.TypeCode != Tag::kArray || type.IsArray()) << name;
      EXPECT_TRUE(type.TypeCode != Tag::kStruct || type.IsStruct()) << name;
    }
    for (const auto& s : symbols) EXPECT_EQ(s.Name, s.FullName);
  }

  // Spot values of two files.
  ASSERT_TRUE(ReadFile(parser, (dir / "kyle-goodwin__JAdsConnector__testPLC1.tpy").string()));
  const TagDataType version = tag_tests::Listed(*parser.GetDataTypes(), "ST_LIBVERSION");
  EXPECT_EQ(std::make_tuple(36u, size_t{6}), std::make_tuple(version.ByteSize, version.SubItems.size()));
  EXPECT_EQ((SubItem{"sVersion", "STRING(23)", ""}), version.SubItems.back());
  // (23 + 2) / 2, not the 24 bytes the PLC uses
  EXPECT_EQ(12u, tag_tests::Listed(*parser.GetDataTypes(), "STRING(23)").ByteSize);
  EXPECT_EQ("UDINT", parser.GetAliases().at("OTCID"));

  ASSERT_TRUE(ReadFile(parser, (dir / "EuropeanSpallationSource__epics-twincat-ads__MCAG_PLC_Project.tpy").string()));
  const TagDataType days = tag_tests::Listed(*parser.GetDataTypes(), "ARRAY [0..1, 1..12] OF WORD");
  EXPECT_EQ(std::make_tuple(std::vector<std::pair<uint32_t, uint32_t>>{{0, 1}, {1, 12}}, 48u),
            std::tie(days.ArrayInfo, days.ByteSize));
}

}  // namespace
