// Runs the adshost program itself: whole sessions across processes on one project file.
#include <algorithm>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "support/HostProgram.h"

namespace {

namespace fs = std::filesystem;
using HostSession = HostProgramTest;

TEST_F(HostSession, ImportSelectSaveReloadGenerate) {
  const std::vector<std::string> tags{"MAIN.aValues[3]", "gCounter", "MAIN.sMessage"};
  const HostRun selected = Select("one.adsproj", Script(tags));
  ASSERT_EQ(selected.status, 0) << selected.out << selected.err;

  const HostRun channels = Host("one.adsproj", {"channels"});
  ASSERT_EQ(channels.status, 0) << channels.err;
  EXPECT_EQ(channels.out.substr(0, channels.out.find('\n')),
            "index\tvalue1\tvalue2\tvalue3\taddress\tvalue4\tvalue5\tdataKind\ttagName\tvarName\tcomment");
  EXPECT_NE(channels.out.find("0\t0\t-1\t-1\tMAIN.aValues[3]\t1\t2\t2\tMAIN.aValues[3]\tMAIN_aValues_3_\t"),
            std::string::npos)
      << channels.out;
  EXPECT_NE(channels.out.find("\tMAIN.sMessage\tMAIN_sMessage\t"), std::string::npos) << channels.out;

  const HostRun generate = Host("one.adsproj", {"generate"});
  EXPECT_EQ(generate.status, 0) << generate.err;
  EXPECT_EQ(generate.out, "generate\tok\n");

  // A second, identical session saves identical bytes.
  ASSERT_EQ(Select("two.adsproj", Script(tags)).status, 0);
  const std::string first = Slurp(dir_ / "one.adsproj");
  EXPECT_FALSE(first.empty());
  EXPECT_EQ(first, Slurp(dir_ / "two.adsproj"));

  // Editing channels and properties in later runs.
  EXPECT_EQ(Host("one.adsproj", {"add", "MAIN.nope"}).status, 1);
  const HostRun add = Host("one.adsproj", {"add", "MAIN.aValues[4]"});
  EXPECT_EQ(add.status, 0) << add.err;
  EXPECT_EQ(add.out, "channels\t4\n");
  EXPECT_EQ(Host("one.adsproj", {"delete", "0", "9"}).status, 0);
  const HostRun after = Host("one.adsproj", {"channels"});
  EXPECT_EQ(after.out.find("MAIN.aValues[3]"), std::string::npos) << after.out;
  EXPECT_NE(after.out.find("MAIN.aValues[4]"), std::string::npos) << after.out;

  ASSERT_EQ(Host("one.adsproj", {"set", "Remote Ip=10.1.1.1", "ADS_Port=851"}).status, 0);
  const HostRun props = Host("one.adsproj", {"props"});
  EXPECT_NE(props.out.find("Remote Ip\t10.1.1.1\t0\n"), std::string::npos) << props.out;
  EXPECT_NE(props.out.find("ADS_Port\t851\t1\n"), std::string::npos) << props.out;
  EXPECT_EQ(Host("one.adsproj", {"set", "No such=1"}).status, 1);

  const HostRun dump = Host("one.adsproj", {"dump"});
  EXPECT_EQ(dump.status, 0) << dump.out << dump.err;
  EXPECT_NE(dump.out.find("name=MAIN.aValues[4]"), std::string::npos) << dump.out;
}

// Importing another file inside the dialog replaces the device's tag tree even when the dialog
// is then cancelled; the channel names stay, but the new tree does not know them, so their
// records come back unresolved (a new record with value4 1 and the name) and generation is
// refused until the channels are deleted or the tags imported again.
TEST_F(HostSession, CancelAfterImportingAnotherFileKeepsTheNamesAgainstTheNewTree) {
  ASSERT_EQ(Select("p.adsproj", Script({"gCounter"})).status, 0);
  const std::string other = std::string(ADS_SOURCE_DIR) + "/examples/demo_gbk.tpy";
  const HostRun cancelled = Select("p.adsproj", "import " + other + "\ncancel\n");
  ASSERT_EQ(cancelled.status, 0) << cancelled.err;

  const HostRun channels = Host("p.adsproj", {"channels"});
  EXPECT_EQ(channels.out.substr(channels.out.find('\n') + 1), "-1\t-1\t-1\t-1\t0\t1\t-1\t-1\tgCounter\t\t\n");
  const HostRun generate = Host("p.adsproj", {"generate"});
  EXPECT_EQ(generate.status, 1);
  EXPECT_NE(generate.err.find("REPORT\tgCounter\t"), std::string::npos) << generate.err;

  // The new tree's tags can be picked at once, and they resolve.
  ASSERT_EQ(Select("p.adsproj", "click gAlarm\nok\n").status, 0);
  EXPECT_NE(Host("p.adsproj", {"channels"}).out.find("0\t0\t-1\t-1\tgAlarm\t1\t2\t1\tgAlarm\tgAlarm\t"),
            std::string::npos);
  EXPECT_EQ(Host("p.adsproj", {"generate"}).status, 0);
}

// A refused value keeps the old one while the export reports success: `set` names it, with the
// value kept and an enumeration's choices, and fails; values kept as asked stay silent.
TEST_F(HostSession, SetNamesTheValuesTheDeviceRefused) {
  // 最大标签数 (maximum number of tags), 1 to 500.
  const std::string maxTags = "\xE6\x9C\x80\xE5\xA4\xA7\xE6\xA0\x87\xE7\xAD\xBE\xE6\x95\xB0";
  const HostRun kept = Host("p.adsproj", {"set", maxTags + "=0X1F4", "ADS_Port=851", "Remote Ip= 10.1.1.1 "});
  EXPECT_EQ(kept.status, 0) << kept.err;
  EXPECT_EQ(kept.err, "");

  const HostRun refused = Host("p.adsproj", {"set", maxTags + "=501", "ADS_Port=1234", "Remote Ip=10.2.2.2"});
  EXPECT_EQ(refused.status, 1);
  EXPECT_EQ(refused.err,
            "adshost: the device refused ADS_Port=1234 and kept 851; choices: 300 301 302 500 800 801 811 821 831 "
            "851 852 853 854\nadshost: the device refused " + maxTags + "=501 and kept 500\n");
  EXPECT_NE(Host("p.adsproj", {"props"}).out.find("Remote Ip\t10.2.2.2\t0\n"), std::string::npos);
}

TEST_F(HostSession, InfoEnumErrorsMessagesAndTrace) {
  const HostRun info = Host("none.adsproj", {"info"});
  ASSERT_EQ(info.status, 0) << info.err;
  EXPECT_NE(info.out.find("runtimeModuleU\tBeckhoff_ADS_Ethernet_BrevakU.drv\n"), std::string::npos) << info.out;
  EXPECT_NE(info.out.find("dataVersion\t20002\n"), std::string::npos);
  EXPECT_FALSE(fs::exists(dir_ / "none.adsproj"));  // reading commands leave no project

  const HostRun items = Host("none.adsproj", {"enum", "ADS_Port"});
  EXPECT_EQ(items.status, 0);
  EXPECT_EQ(items.out.substr(0, 12), "300\n301\n302\n");

  EXPECT_EQ(Host("none.adsproj", {"bogus"}).status, 2);
  EXPECT_EQ(Host("none.adsproj", {"--driver", "/no/such.so", "info"}).status, 2);
  EXPECT_EQ(Host("none.adsproj", {"delete", "x"}).status, 2);
  const HostRun noDir = Host("/no/such/dir/p.adsproj", {"set", "Remote Ip=1"});
  EXPECT_EQ(noDir.status, 2);
  EXPECT_EQ(std::count(noDir.err.begin(), noDir.err.end(), '\n'), 1) << noDir.err;

  // A damaged project is reported with the place where the damage starts.
  std::ofstream(dir_ / "bad.adsproj", std::ios::binary) << std::string("\x10\x00\x00\x00\x02\x00\x00\x00", 8);
  const HostRun dump = Host("bad.adsproj", {"dump", "--json"});
  EXPECT_EQ(dump.status, 1);
  EXPECT_NE(dump.out.find("\"damage\":[{\"offset\":0,"), std::string::npos) << dump.out;

  // The dialog's message boxes go to the output, its trace to the error stream.
  const HostRun run = Host("m.adsproj", {"--trace", "select", "--script", "-"}, "import /no/such/file.tpy\ncancel\n");
  EXPECT_EQ(run.status, 0) << run.err;
  // 打开标签文件失败
  EXPECT_NE(run.out.find("MESSAGE\t\xE6\x89\x93\xE5\xBC\x80\xE6\xA0\x87\xE7\xAD\xBE\xE6\x96\x87\xE4\xBB\xB6\xE5\xA4\xB1\xE8\xB4\xA5\n"),
            std::string::npos)
      << run.out;
  EXPECT_NE(run.err.find("DEVICE::CTagSeletList::OnInitDialog"), std::string::npos) << run.err;
}

}  // namespace
