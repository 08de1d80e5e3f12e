#include "device/ChlInfoTable.h"

#include <gtest/gtest.h>

#include "support/FakeHost.h"

namespace {

using testing_support::BasicHost;
using testing_support::FakeHost;

// Duplicates are skipped in the table; a version-2 host with the extended interface is handed
// every name, other hosts none (so their refusal does not count).
TEST(ChannelTable, AddSkipsDuplicatesAndHandsNamesOnlyToExtendedVersion2Hosts) {
  for (uint32_t version : {0u, 1u, 2u, 3u}) {
    DEVICE::stChlInfoTable table;
    FakeHost host(version);
    table.SetHostInterface(&host);
    host.acceptChannels = version == 2;
    EXPECT_TRUE(table.AddChannel({"A", "B", "A"})) << version;
    EXPECT_EQ(table.Names(), (std::vector<std::string>{"A", "B"}));
    EXPECT_EQ(host.handed, version == 2 ? (std::vector<std::u16string>{u"A", u"B", u"A"})
                                        : std::vector<std::u16string>{});
  }
  DEVICE::stChlInfoTable table;
  BasicHost basic(2);
  table.SetHostInterface(&basic);
  EXPECT_TRUE(table.AddChannel({"A"}));
  EXPECT_EQ(table.Count(), 1u);
}

TEST(ChannelTable, DeleteClearAndLookup) {
  DEVICE::stChlInfoTable table;
  table.AddChannel({"A", "B", "C"});
  EXPECT_FALSE(table.DeleteChannel(3));
  EXPECT_TRUE(table.DeleteChannel(0));
  EXPECT_EQ(table.GetChannelName(0), "B");
  EXPECT_EQ(table.GetChannelName(5), "");
  table.AddChannel({"A"});  // deleted names may come back
  EXPECT_EQ(table.Names(), (std::vector<std::string>{"B", "C", "A"}));
  table.ClearChannels();
  EXPECT_EQ(table.Count(), 0u);
  table.AddChannel({"B"});
  EXPECT_EQ(table.Count(), 1u);
}

TEST(ChannelTable, NamesAreRefreshedFromTheHostWithoutVersionCheck) {
  DEVICE::stChlInfoTable table;
  FakeHost host(0);
  table.AddChannel({"A", "B", "C"});
  table.SetHostInterface(&host);
  host.SetChannels({u"X", u"Y", u"Z"});
  EXPECT_EQ(table.GetChannelNames(), (std::vector<std::string>{"X", "Y", "Z"}));
  // The duplicate set is not refreshed: "A" was added before and stays known.
  table.AddChannel({"A"});
  EXPECT_EQ(table.Count(), 3u);

  // Wide names convert to the ANSI code page (GBK). Null entries and failing hosts are
  // covered by the module's boundary tests.
  host.SetChannels({u"\u6807\u7b7e"});
  EXPECT_EQ(table.GetChannelNames(), (std::vector<std::string>{"\xb1\xea\xc7\xa9"}));
}

}  // namespace
