// Runs the adshost program itself: whole sessions across processes on one project file.
#include <filesystem>
#include <string>

#include "support/HostSession.h"

namespace {

// 最大标签数 (maximum number of tags), 1 to 500.
const std::string kMaxTags = "\xE6\x9C\x80\xE5\xA4\xA7\xE6\xA0\x87\xE7\xAD\xBE\xE6\x95\xB0";

TEST_F(HostSession, ImportSelectSaveReloadGenerate) {
  const std::string script = Script({"MAIN.aValues[3]", "gCounter", "MAIN.sMessage"});
  Expect("one.adsproj",
         {{kSelect, 0, "⋮", "⋮", script},
          {{"channels"}, 0,
           "index\tvalue1\tvalue2\tvalue3\taddress\tvalue4\tvalue5\tdataKind\ttagName\tvarName\tcomment\n"
           "0\t0\t-1\t-1\tMAIN.aValues[3]\t1\t2\t2\tMAIN.aValues[3]\tMAIN_aValues_3_\t\n"
           "1\t0\t-1\t-1\tMAIN.sMessage\t1\t2\t3\tMAIN.sMessage\tMAIN_sMessage\t\n2\t…\tgCounter\t\n"},
          {{"generate"}, 0, "generate\tok\n"}});
  // A second, identical session saves identical bytes.
  Expect("two.adsproj", {{kSelect, 0, "⋮", "⋮", script}});
  EXPECT_EQ(Slurp(dir_ / "one.adsproj"), Slurp(dir_ / "two.adsproj"));

  // Editing channels and properties in later runs.
  Expect("one.adsproj", {{{"add", "MAIN.nope"}, 1},
                         {{"add", "MAIN.aValues[4]"}, 0, "channels\t4\n"},
                         {{"delete", "0", "9"}, 0},
                         {{"channels"}, 0, "index…\n0\t…\tMAIN.sMessage\t…\n1\t…\tgCounter\t…\n2\t…\tMAIN.aValues[4]\t…\n"},
                         {{"set", "Remote Ip=10.1.1.1", "ADS_Port=851"}, 0},
                         {{"set", "No such=1"}, 1},
                         // Every part of the saved project decodes without damage.
                         {{"dump"}, 0,
                          "⋮\nproperty-data\t36\tmagic=40000\trecords=6\t⋮\tname=ADS_Port\ttag=4\tversion=20000\tvalue=9\n⋮"
                          "\tdataVersion=20002\n⋮\ntype-table\t…\troot=QORV_ROOT\t⋮\tindex=2\tname=MAIN.aValues[4]\n⋮"}});
}

// A refused value keeps the old one while the export reports success: `set` names it, with the
// value kept and an enumeration's choices, and fails; values kept as asked stay silent.
TEST_F(HostSession, SetNamesTheValuesTheDeviceRefused) {
  Expect("p.adsproj",
         {{{"set", kMaxTags + "=0X1F4", "ADS_Port=851", "Remote Ip= 10.1.1.1 "}, 0, "⋮", ""},
          {{"set", kMaxTags + "=501", "ADS_Port=1234", "Remote Ip=10.2.2.2"}, 1, "⋮",
           "adshost: the device refused ADS_Port=1234 and kept 851; choices: 300 301 302 500 800 801 811 821 831 "
           "851 852 853 854\nadshost: the device refused " + kMaxTags + "=501 and kept 500\n"},
          {{"props"}, 0, "⋮\nADS_Port\t851\t1\n⋮\nRemote Ip\t10.2.2.2\t0\n⋮"}});
}

TEST_F(HostSession, ReadingCommandsUsageErrorsAndDamage) {
  // 打开标签文件失败 (the tag file could not be opened)
  const std::string cannotOpen = "\xE6\x89\x93\xE5\xBC\x80\xE6\xA0\x87\xE7\xAD\xBE\xE6\x96\x87\xE4\xBB\xB6\xE5\xA4\xB1\xE8\xB4\xA5";
  Store(dir_ / "bad.adsproj", std::string("\x10\x00\x00\x00\x02\x00\x00\x00", 8));
  const struct { const char* project; HostCall call; } cases[] = {
      {"none.adsproj", {{"info"}, 0, "⋮\nruntimeModuleU\tBeckhoff_ADS_Ethernet_BrevakU.drv\n⋮\ndataVersion\t20002\n⋮"}},
      {"none.adsproj", {{"enum", "ADS_Port"}, 0, "300\n301\n302\n⋮"}},
      {"none.adsproj", {{"bogus"}, 2}},
      {"none.adsproj", {{"--driver", "/no/such.so", "info"}, 2}},
      {"none.adsproj", {{"delete", "x"}, 2}},
      {"/no/such/dir/p.adsproj", {{"set", "Remote Ip=1"}, 2, "⋮", "…\n"}},
      {".", {{"channels"}, 2, "", "adshost: cannot read .: not a regular file\n"}},
      // A damaged project is reported with the place where the damage starts.
      {"bad.adsproj", {{"dump", "--json"}, 1, "⋮\"damage\":[{\"offset\":0,⋮"}},
      // The dialog's message boxes go to the output, its trace to the error stream.
      {"m.adsproj",
       {{"--trace", "select", "--script", "-"}, 0, "⋮MESSAGE\t" + cannotOpen + "\n⋮",
        "⋮DEVICE::CTagSeletList::OnInitDialog⋮", "import /no/such/file.tpy\ncancel\n"}},
  };
  for (const auto& c : cases) Expect(c.project, {c.call});
  EXPECT_FALSE(std::filesystem::exists(dir_ / "none.adsproj"));  // reading commands leave no project
}

}  // namespace
