// The channel commands across a changed PLC program: check, diff against a changed symbol
// file, and what a confirmed selection removed and added.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "GridWalk.h"
#include "support/HostSession.h"

namespace {

// Channels of the example before its program changes, in the dialog's row order.
const std::vector<std::string> kChannels{"MAIN.fbMotor.nSpeed", "MAIN.aAxis[0].fPos", "MAIN.aAxis[0].fVelo",
                                         "MAIN.sOperator",      "MAIN.tCycle",        "gCounter"};

std::string Symbol(const std::string& name, const std::string& type) {
  return "\t\t<Symbol>\n\t\t\t<Name>" + name + "</Name>\n\t\t\t<Type>" + type + "</Type>\n\t\t</Symbol>\n";
}

// The changed program: a renamed function block instance, an elementary type changed, a
// variable removed, one turned into a structure by a new member, and more tags named nSpeed:
// one path apart, two, three, and one of another kind.
const std::vector<std::pair<std::string, std::string>> kChanges{
    {"<Name>MAIN.fbMotor</Name>", "<Name>MAIN.fbDrive</Name>"},
    {"<Name>MAIN.sOperator</Name>\n\t\t\t<Type>STRING(20)</Type>", "<Name>MAIN.sOperator</Name>\n\t\t\t<Type>INT</Type>"},
    {"<Name>MAIN.tCycle</Name>", "<Name>MAIN.tCycleGone</Name>"},
    {"<Name>MAIN.aAxis[0].fVelo</Name>\n\t\t\t<Type>LREAL</Type>",
     "<Name>MAIN.aAxis[0].fVelo.fSet</Name>\n\t\t\t<Type>LREAL</Type>\n\t\t</Symbol>\n\t\t<Symbol>\n"
     "\t\t\t<Name>MAIN.aAxis[0].fVelo.fAct</Name>\n\t\t\t<Type>LREAL</Type>"},
    {"\t</Symbols>", Symbol("Aux.a.b.nSpeed", "INT") + Symbol("Aux.nSpeed", "INT") + Symbol("Aux.x.nSpeed", "BOOL") +
                         Symbol("Aux.fbMotor.nSpeed", "INT") + "\t</Symbols>"},
};

class ChannelDrift : public HostSession {
 protected:
  void SetUp() override {
    HostSession::SetUp();
    std::string text = Slurp(example_);
    for (const auto& [from, to] : kChanges) {
      const size_t at = text.find(from);
      ASSERT_NE(at, std::string::npos) << from;
      text.replace(at, from.size(), to);
    }
    Store(changed_, text);
    ASSERT_EQ(Select("p.adsproj", Script(kChannels)).status, 0);
  }
  const std::string changed_ = (dir_ / "changed.tpy").string();
};

TEST_F(ChannelDrift, DiffNamesEveryChannelsFateAndLeavesTheProjectAlone) {
  const std::string before = Slurp(dir_ / "p.adsproj");
  Store(dir_ / "bad.tpy", "<PlcProjectInfo>");
  Expect("p.adsproj",
         {{{"diff", changed_}, 1,
           "dropped\tMAIN.fbMotor.nSpeed\tMAIN.fbDrive.nSpeed\tAux.fbMotor.nSpeed\tAux.nSpeed\n"
           "kept\tMAIN.aAxis[0].fPos\n"
           "dropped\tMAIN.aAxis[0].fVelo\n"
           "changed\tMAIN.sOperator\t3/STRING(20)\t2/INT\n"
           "dropped\tMAIN.tCycle\n"
           "kept\tgCounter\n"
           "added\tMAIN.aAxis[0].fVelo.fSet\n"
           "added\tMAIN.aAxis[0].fVelo.fAct\n"},
          {{"diff", "--json", changed_}, 1,
           "⋮\"suggestions\":[\"MAIN.fbDrive.nSpeed\",\"Aux.fbMotor.nSpeed\",\"Aux.nSpeed\"]}⋮\n],\"status\":1}\n"},
          // Usage errors and files it cannot import: one line of error, nothing else.
          {{"diff", "a.tpy", "b.tpy"}, 2, "", "…\n"},
          {{"diff", "/no/such.tpy"}, 2, "", "…\n"},
          {{"diff", (dir_ / "bad.tpy").string()}, 2, "", "…\n"}});
  EXPECT_EQ(Slurp(dir_ / "p.adsproj"), before);
}

TEST_F(ChannelDrift, SelectTellsWhatItRemovedAndAdded) {
  Expect("p.adsproj", {{kSelect, 0, "removed\tgCounter\nadded\tMAIN.dtStart\n", "⋮", "click gCounter\nclick MAIN.dtStart\nok\n"},
                       {kSelect, 0, "", "⋮", "click gCounter\ncancel\n"}});
}

// Importing another file inside the dialog replaces the device's tag tree even when the dialog
// is then cancelled; the channels keep their names, but those the new tree does not know come
// back unresolved (a new record with value4 1 and the name), and generation is refused.
// MAIN.aAxis[0].fVelo is a structure in the new tree: it is known, though it holds no value.
TEST_F(ChannelDrift, CheckListsEveryUnresolvedChannelAfterTheTreeChanged) {
  Expect("p.adsproj",
         {{{"check"}, 0, ""},
          {kSelect, 0, "⋮", "⋮", "import " + changed_ + "\ncancel\n"},
          {{"check"}, 1, "unresolved\t0\tMAIN.fbMotor.nSpeed\nunresolved\t4\tMAIN.tCycle\n"},
          {{"check", "--json"}, 1,
           "{\"lines\":[\n{\"kind\":\"unresolved\",\"index\":\"0\",\"name\":\"MAIN.fbMotor.nSpeed\"},\n"
           "{\"kind\":\"unresolved\",\"index\":\"4\",\"name\":\"MAIN.tCycle\"}\n],\"status\":1}\n"},
          {{"channels"}, 0, "⋮\n-1\t-1\t-1\t-1\t0\t1\t-1\t-1\tMAIN.tCycle\t\t\n⋮"},
          {{"generate"}, 1, "⋮", "⋮REPORT\tMAIN.fbMotor.nSpeed\t⋮"}});
}

TEST_F(ChannelDrift, CheckAsksForAnImportWhenTheSavedDataIsOld) {
  std::string bytes = Slurp(dir_ / "p.adsproj");
  const size_t at = bytes.find(std::string("\0\0\0\0\x22\x4E\0\0", 8));  // a zero word, data version 20002
  ASSERT_NE(at, std::string::npos);
  bytes[at + 4] = 0x21;  // 20001
  Store(dir_ / "p.adsproj", bytes);
  // 通道信息不完整 / 请重新导入标签
  Expect("p.adsproj", {{{"check"}, 1,
                        "reimport\t\xE9\x80\x9A\xE9\x81\x93\xE4\xBF\xA1\xE6\x81\xAF\xE4\xB8\x8D\xE5\xAE\x8C\xE6\x95\xB4\t"
                        "\xE8\xAF\xB7\xE9\x87\x8D\xE6\x96\xB0\xE5\xAF\xBC\xE5\x85\xA5\xE6\xA0\x87\xE7\xAD\xBE\n"}});
}

// A dot inside an index does not start a segment.
TEST(ChannelNames, LastSegmentKeepsItsIndex) { EXPECT_EQ(adshost::LastSegment(u"MAIN.m[a.b]"), u"m[a.b]"); }

// A real program with thousands of channels, checked row by row at the top level, compared
// with itself.
using LargeProgram = HostSession;

TEST_F(LargeProgram, DiffAgainstItselfKeepsEveryChannelInSeconds) {
  const std::string file = std::string(ADS_CORPUS_DIR) + "/EuropeanSpallationSource__epics-twincat-ads__MCAG_PLC_Project.tpy";
  if (!std::filesystem::is_regular_file(file)) GTEST_SKIP() << "no corpus file " << file;
  // The rows printed are ROW, LEVEL, CHECK, STATE, NAME, TYPE, COMMENT.
  const HostRun rows = Select("big.adsproj", "import " + file + "\nrows\ncancel\n");
  std::vector<std::string> tops;
  std::istringstream lines(rows.out);
  for (std::string line; std::getline(lines, line);) {
    std::istringstream row(line);
    std::string fields[5];
    for (auto& field : fields) std::getline(row, field, '\t');
    if (fields[1] == "0") tops.push_back(fields[4]);
  }
  ASSERT_FALSE(tops.empty()) << rows.out << rows.err;
  ASSERT_EQ(Select("big.adsproj", Script(tops, file)).status, 0);
  const std::string channels = Host("big.adsproj", {"channels"}).out;
  const auto count = std::count(channels.begin(), channels.end(), '\n') - 1;
  EXPECT_GT(count, 1000);

  const auto start = std::chrono::steady_clock::now();
  const HostRun diff = Host("big.adsproj", {"diff", file});
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(90));  // about 3 s in a debug build
  EXPECT_EQ(diff.status, 0) << diff.err;  // nothing dropped or changed, and one line per channel: all kept
  EXPECT_EQ(std::count(diff.out.begin(), diff.out.end(), '\n'), count) << diff.out.substr(0, 2000);
}

}  // namespace
