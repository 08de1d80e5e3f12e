#include "device/ChlInfoTable.h"

#include <gtest/gtest.h>

#include "support/FakeHost.h"

namespace {

using testing_support::BasicHost;
using testing_support::FakeHost;

// Duplicates are skipped in the table; a version-2 host with the extended interface is handed
// every name, other hosts none (so their refusal does not count).
TEST(ChannelTable, AddSkipsDuplicatesAndHandsNamesOnlyToExtendedVersion2Hosts) {
  for (uint32_t version : {1u, 2u, 3u}) {
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
  EXPECT_TRUE(table.DeleteChannel(0) && !table.DeleteChannel(2));
  EXPECT_EQ(table.GetChannelName(0) + "|" + table.GetChannelName(5), "B|");
  table.AddChannel({"A"});  // deleted names may come back
  EXPECT_EQ(table.Names(), (std::vector<std::string>{"B", "C", "A"}));
  table.ClearChannels();
  table.AddChannel({"B"});  // so may cleared ones
  EXPECT_EQ(table.Count(), 1u);
}

// Names come from the host without a version check, wide names converted to the ANSI code page
// (GBK); the duplicate set is not refreshed. Null entries and failing hosts are covered by the
// module's boundary tests.
TEST(ChannelTable, NamesAreRefreshedFromTheHostWithoutVersionCheck) {
  DEVICE::stChlInfoTable table;
  FakeHost host(0);
  table.AddChannel({"A", "B", "C"});
  table.SetHostInterface(&host);
  host.SetChannels({u"X", u"\u6807\u7b7e"});
  EXPECT_EQ(table.GetChannelNames(), (std::vector<std::string>{"X", "\xb1\xea\xc7\xa9"}));
  table.AddChannel({"A"});  // "A" was added before and stays known
  EXPECT_EQ(table.Count(), 2u);
}

}  // namespace
