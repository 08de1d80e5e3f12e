#include "beckhoff/BeckhoffDeviceCtrl.h"

#include <gtest/gtest.h>

#include <string>

#include "beckhoff/Fileparser.h"
#include "device/DevSerialize.h"
#include "device/Texts.h"
#include "platform/Text.h"
#include "support/FakeHost.h"
#include "tag/DataTypes.h"
#include "tag/ITree.h"
#include "utils/stream_io.h"

namespace {

using Beckhoff::BeckhoffDeviceCtrl;
using testing_support::FakeHost;

std::string Str(const DEVICE::ByteArray& bytes, size_t from, size_t length) {
  return std::string(reinterpret_cast<const char*>(bytes.data()) + from, length);
}

// A parsed symbol file held in memory: a MAIN program with two INT members.
class MemoryParser final : public Fileparser {
 public:
  explicit MemoryParser(std::vector<Tag::TagVariable> symbols) : symbols_(std::move(symbols)) {
    list_->ResetToElementary();
  }
  std::shared_ptr<Tag::DataTypeList> GetDataTypes() override { return list_; }
  const std::vector<Tag::TagVariable>& GetSymbols() override { return symbols_; }

 private:
  std::shared_ptr<Tag::DataTypeList> list_ = std::make_shared<Tag::DataTypeList>();
  std::vector<Tag::TagVariable> symbols_;
};

Tag::TagVariable Symbol(const std::string& name, const std::string& type) {
  Tag::TagVariable v;
  v.Name = v.FullName = name;
  v.Type = type;
  v.Mode = 2;
  return v;
}

std::shared_ptr<Fileparser> MainProgram() {
  return std::make_shared<MemoryParser>(
      std::vector<Tag::TagVariable>{Symbol("MAIN.a", "INT"), Symbol("MAIN.b", "INT"), Symbol(".g", "BOOL")});
}

TEST(AdsDevice, IdentityPropertiesAndDefaults) {
  BeckhoffDeviceCtrl device;
  EXPECT_EQ(device.GetDriverName(), "Beckhoff_ADS_Ethernet_Brevak");
  EXPECT_EQ(device.GetDisplayName(), texts::kDisplayName);
  EXPECT_EQ(device.GetDescription(), "this driver just for to test tag driver frame");
  EXPECT_EQ(device.GetVersionText(), "8.0.0.22");
  EXPECT_EQ(device.GetDataVersion(), 20002);
  EXPECT_EQ(device.GetAttributeA(), 0);
  EXPECT_EQ(device.GetAttributeB(), 0);
  EXPECT_EQ(device.GetAttributeC(), 0);
  EXPECT_EQ(device.GetReserved(), 0u);
  const auto parent = device.GetParentConfig();
  EXPECT_EQ(parent.remoteIp, "169.254.1.1");
  EXPECT_EQ(parent.localIp, "169.254.1.190");
  EXPECT_EQ(parent.port, 48898u);
  EXPECT_EQ(parent.option1, 0u);
  EXPECT_EQ(parent.option2, 1u);
  EXPECT_EQ(parent.option3, 0u);
  const auto commands = device.GetCustomCommands();
  ASSERT_EQ(commands.size(), 1u);
  EXPECT_EQ(commands[0].name, texts::kTagImport);
  EXPECT_EQ(commands[0].id, 0u);
  EXPECT_EQ(device.GetTagTree(), nullptr);
  EXPECT_EQ(device.FindTag("MAIN"), nullptr);

  const auto list = device.GetPropertyList();
  const std::vector<std::pair<std::string, std::string>> expected = {
      {texts::kPropWaitTime, ""},          {"ADS_Port", "801"},
      {texts::kPropMaxTags, ""},           {"Local AMS NetId", "169.254.1.190.1.1"},
      {"Remote AMS NetId", "169.254.1.1.1.1"}, {"Remote Ip", "169.254.1.1"}};
  ASSERT_EQ(list.size(), expected.size());
  for (size_t i = 0; i < list.size(); ++i) {
    EXPECT_EQ(list[i].first, expected[i].first);
    EXPECT_EQ(list[i].second->GetString(), expected[i].second);
  }
  EXPECT_EQ(list[0].second->GetUInt(), 200u);
  EXPECT_EQ(list[2].second->GetUInt(), 500u);
}

TEST(AdsDevice, PropertyLimitsThroughTheControl) {
  BeckhoffDeviceCtrl device;
  auto setUInt = [&](const char* name, uint32_t value) {
    auto copy = device.GetProperty(name)->Clone();
    copy->SetUInt(value);
    device.SetProperty(name, copy);
    return device.GetProperty(name)->GetUInt();
  };
  EXPECT_EQ(setUInt(texts::kPropMaxTags, 501), 500u);  // refused by the clone already
  auto wide = device.GetProperty(texts::kPropWaitTime)->Clone();
  wide->SetUInt(501);
  EXPECT_TRUE(device.SetProperty(texts::kPropMaxTags, wide));  // the stored limit still applies
  EXPECT_EQ(device.GetProperty(texts::kPropMaxTags)->GetUInt(), 500u);
  EXPECT_EQ(setUInt(texts::kPropMaxTags, 1), 1u);

  auto port = device.GetProperty("ADS_Port")->Clone();
  port->SetString("851");
  device.SetProperty("ADS_Port", port);
  EXPECT_EQ(device.GetProperty("ADS_Port")->GetUInt(), 9u);
  port->SetString("1234");
  EXPECT_EQ(port->GetUInt(), 9u);

  auto ip = device.GetProperty("Remote Ip")->Clone();
  ip->SetString("");
  EXPECT_EQ(ip->GetString(), "169.254.1.1");
  ip->SetString("abc");
  device.SetProperty("Remote Ip", ip);
  EXPECT_EQ(device.GetProperty("Remote Ip")->GetString(), "abc");

  // The listing is a copy: changing it leaves the device alone.
  auto list = device.GetPropertyList();
  list.clear();
  EXPECT_EQ(device.GetPropertyList().size(), 6u);
  EXPECT_FALSE(device.SetProperty("unknown", ip));
  EXPECT_EQ(device.GetProperty("unknown"), nullptr);
}

TEST(AdsDevice, CheckChannelsReportsTheFirstUnknownChannel) {
  BeckhoffDeviceCtrl device;
  EXPECT_EQ(device.CheckChannels(), 0);  // no channels, no tree
  device.Channels().AddChannel({"MAIN.a", "MAIN.x", "MAIN.y"});
  EXPECT_EQ(device.CheckChannels(), 0);  // no host interface: does not fail

  FakeHost host(1);
  device.SetHostInterface(&host);
  EXPECT_EQ(device.CheckChannels(), -1);  // no tree: fails on channel 0
  ASSERT_EQ(host.reports.size(), 1u);
  EXPECT_EQ(host.reports[0].object, u"MAIN.a");
  EXPECT_EQ(host.reports[0].message, platform::AnsiToWide(texts::kTagInfoIncomplete));

  device.SetFileParser(MainProgram());
  ASSERT_NE(device.FindTag("MAIN.a"), nullptr);
  host.reports.clear();
  EXPECT_EQ(device.CheckChannels(), -1);
  ASSERT_EQ(host.reports.size(), 1u);
  EXPECT_EQ(host.reports[0].object, u"MAIN.x");

  host.version = 0;
  EXPECT_EQ(device.CheckChannels(), -1);  // fails without a report
  EXPECT_EQ(host.reports.size(), 1u);

  device.Channels().DeleteChannel(2);
  device.Channels().DeleteChannel(1);
  EXPECT_EQ(device.CheckChannels(), 0);
}

TEST(AdsDevice, CustomCommandIsRecognisedByExactNameAndId) {
  BeckhoffDeviceCtrl device;
  EXPECT_TRUE(device.RunCustomCommand({texts::kTagImport, 1}));
  EXPECT_TRUE(device.RunCustomCommand({std::string(texts::kTagImport) + "x", 0}));
  EXPECT_TRUE(device.RunCustomCommand({"other", 0}));
}

// The device data of a new device: property data, the version words, an empty type table.
TEST(AdsDevice, RunBufferLayout) {
  BeckhoffDeviceCtrl device;
  device.Channels().AddChannel({"A", "BC"});
  DEVICE::ByteArray run;
  ASSERT_TRUE(device.SerializeRunBuffer(run));

  DEVICE::ByteArray deviceData;
  ASSERT_TRUE(device.SerializeDevData(deviceData, false));
  const size_t d = deviceData.size();
  ASSERT_EQ(run.size(), d + 11 + 20);
  EXPECT_EQ(utils::LoadU32(run.data()), d + 11);
  EXPECT_EQ(utils::LoadU32(run.data() + 4), 2u);
  EXPECT_EQ(utils::LoadU32(run.data() + 8), d);
  EXPECT_EQ(utils::LoadU32(run.data() + 12), 11u);
  EXPECT_EQ(Str(run, 16, d), Str(deviceData, 0, d));
  EXPECT_EQ(Str(run, 16 + d, 15), std::string("\x02\x00\x00\x00" "\x01\x00\x00\x00" "A" "\x02\x00\x00\x00" "BC", 15));

  // Device data: header, section 1 (274 bytes), 99 (8), 100 (empty table), table of three.
  EXPECT_EQ(utils::LoadU32(deviceData.data()), 40000u);
  EXPECT_EQ(utils::LoadU32(deviceData.data() + 4), d);
  EXPECT_EQ(utils::LoadU32(deviceData.data() + 12), 3u);
  const size_t table = utils::LoadU32(deviceData.data() + 16);
  EXPECT_EQ(table, d - 36);
  EXPECT_EQ(utils::LoadU32(deviceData.data() + table), 1u);
  EXPECT_EQ(utils::LoadU32(deviceData.data() + table + 4), 20u);
  EXPECT_EQ(utils::LoadU32(deviceData.data() + table + 8), 274u);
  EXPECT_EQ(utils::LoadU32(deviceData.data() + table + 12), 99u);
  EXPECT_EQ(utils::LoadU32(deviceData.data() + table + 16), 294u);
  EXPECT_EQ(utils::LoadU32(deviceData.data() + table + 20), 8u);
  EXPECT_EQ(Str(deviceData, 294, 8), std::string("\x00\x00\x00\x00\x22\x4e\x00\x00", 8));
  EXPECT_EQ(utils::LoadU32(deviceData.data() + table + 24), 100u);
  EXPECT_EQ(utils::LoadU32(deviceData.data() + table + 28), 302u);
}

TEST(AdsDevice, RunBufferRoundTripRestoresPropertiesTreeAndChannels) {
  BeckhoffDeviceCtrl source;
  source.SetFileParser(MainProgram());
  auto wait = source.GetProperty(texts::kPropWaitTime)->Clone();
  wait->SetUInt(1234);
  source.SetProperty(texts::kPropWaitTime, wait);
  source.Channels().AddChannel({"MAIN.a", "g"});
  DEVICE::ByteArray run;
  ASSERT_TRUE(source.SerializeRunBuffer(run));

  BeckhoffDeviceCtrl loaded;
  FakeHost host(2);
  loaded.SetHostInterface(&host);
  loaded.DeSerializeRunBuffer(run);
  EXPECT_EQ(loaded.GetProperty(texts::kPropWaitTime)->GetUInt(), 1234u);
  EXPECT_EQ(loaded.Channels().Names(), (std::vector<std::string>{"MAIN.a", "g"}));
  EXPECT_EQ(host.handed, (std::vector<std::u16string>{u"MAIN.a", u"g"}));  // one by one
  ASSERT_NE(loaded.FindTag("MAIN.b"), nullptr);
  EXPECT_EQ(loaded.ReimportFlag(), 0u);
  EXPECT_EQ(loaded.CheckChannels(), 0);

  DEVICE::ByteArray again;
  loaded.SetHostInterface(nullptr);
  ASSERT_TRUE(loaded.SerializeRunBuffer(again));
  EXPECT_EQ(again, run);  // what loads saves again byte for byte
}

TEST(AdsDevice, RunBufferReaderStopsWhereTheBytesEnd) {
  BeckhoffDeviceCtrl source;
  source.Channels().AddChannel({"one", "two", "three"});
  DEVICE::ByteArray run;
  source.SerializeRunBuffer(run);

  BeckhoffDeviceCtrl fifteen;
  fifteen.DeSerializeRunBuffer(DEVICE::ByteArray(run.begin(), run.begin() + 15));
  EXPECT_EQ(fifteen.Channels().Count(), 0u);

  DEVICE::ByteArray empty(16, 0);
  BeckhoffDeviceCtrl none;
  none.DeSerializeRunBuffer(empty);
  EXPECT_EQ(none.Channels().Count(), 0u);
  EXPECT_EQ(none.ReimportFlag(), 0u);

  BeckhoffDeviceCtrl cut;
  cut.DeSerializeRunBuffer(DEVICE::ByteArray(run.begin(), run.end() - 1));
  EXPECT_EQ(cut.Channels().Names(), (std::vector<std::string>{"one", "two"}));

  // Every truncation and many bit flips load without a fault.
  for (size_t length = 0; length <= run.size(); length += 7) {
    BeckhoffDeviceCtrl device;
    device.DeSerializeRunBuffer(DEVICE::ByteArray(run.begin(), run.begin() + length));
  }
  for (size_t bit = 0; bit < run.size() * 8; bit += 5) {
    auto bad = run;
    bad[bit / 8] ^= static_cast<uint8_t>(1u << (bit % 8));
    BeckhoffDeviceCtrl device;
    device.DeSerializeRunBuffer(bad);
    EXPECT_LE(device.Channels().Count(), 3u);
  }
}

// Device data whose section 99 is missing or older than 20002 sets the reimport flag.
TEST(AdsDevice, StaleDataVersionSetsTheReimportFlag) {
  auto deviceDataWithVersion = [](const std::string* version) {
    BeckhoffDeviceCtrl source;
    DEVICE::ByteArray block;
    source.SerializeDevData(block, false);
    if (!version) return block;
    // Rewrite the version words in place (section 99 at offset 294).
    std::copy(version->begin(), version->end(), block.begin() + 294);
    return block;
  };
  const std::string stale("\x00\x00\x00\x00\x21\x4e\x00\x00", 8);  // 0 and 20001
  auto block = deviceDataWithVersion(&stale);

  BeckhoffDeviceCtrl device;
  FakeHost host(1);
  device.SetHostInterface(&host);
  device.Channels().AddChannel({"MAIN.a"});
  EXPECT_TRUE(device.SerializeDevData(block, true));
  EXPECT_EQ(device.ReimportFlag(), 1u);
  EXPECT_EQ(device.CheckChannels(), -1);
  ASSERT_EQ(host.reports.size(), 1u);
  EXPECT_EQ(host.reports[0].object, platform::AnsiToWide(texts::kChannelInfoIncomplete));
  EXPECT_EQ(host.reports[0].message, platform::AnsiToWide(texts::kPleaseReimport));
  device.SetFileParser(MainProgram());  // importing tags clears the flag
  EXPECT_EQ(device.ReimportFlag(), 0u);
  EXPECT_EQ(device.CheckChannels(), 0);

  // Table offset off by one: loads with no sections, so no section 99 either.
  auto shifted = deviceDataWithVersion(nullptr);
  shifted[16] = static_cast<uint8_t>(shifted[16] + 1);
  BeckhoffDeviceCtrl noSections;
  EXPECT_TRUE(noSections.SerializeDevData(shifted, true));
  EXPECT_EQ(noSections.ReimportFlag(), 1u);
  EXPECT_EQ(noSections.GetProperty(texts::kPropWaitTime)->GetUInt(), 200u);

  // A refused block changes nothing, not even the flag.
  auto refused = deviceDataWithVersion(&stale);
  refused[0] = 0;
  BeckhoffDeviceCtrl untouched;
  EXPECT_TRUE(untouched.SerializeDevData(refused, true));
  EXPECT_EQ(untouched.ReimportFlag(), 0u);
}

TEST(AdsDevice, SavingTakesTheChannelsOfAReadyHost) {
  BeckhoffDeviceCtrl device;
  device.Channels().AddChannel({"A", "B"});
  FakeHost host(1);
  host.SetChannels({u"X", u"Y", u"Z"});
  host.listReady = false;
  device.SetHostInterface(&host);
  DEVICE::ByteArray bytes;
  device.WriteDevData(bytes);
  EXPECT_EQ(device.Channels().Names(), (std::vector<std::string>{"A", "B"}));
  host.listReady = true;
  device.WriteDevData(bytes);
  EXPECT_EQ(device.Channels().Names(), (std::vector<std::string>{"X", "Y", "Z"}));
}

}  // namespace

namespace {

// A parser that runs out of memory when the device asks for its symbols.
class ExhaustedParser final : public Fileparser {
 public:
  std::shared_ptr<Tag::DataTypeList> GetDataTypes() override { return list_; }
  const std::vector<Tag::TagVariable>& GetSymbols() override { throw std::bad_alloc(); }

 private:
  std::shared_ptr<Tag::DataTypeList> list_ = std::make_shared<Tag::DataTypeList>();
};

TEST(AdsDevice, ATreeThatCannotBeBuiltLeavesTheDeviceAsItWas) {
  BeckhoffDeviceCtrl device;
  device.SetFileParser(MainProgram());
  ASSERT_NE(device.FindTag("MAIN.b"), nullptr);
  EXPECT_EQ(device.TreeRefusal(), nullptr);

  device.SetFileParser(std::make_shared<ExhaustedParser>());
  EXPECT_STREQ(device.TreeRefusal(), texts::kTagTreeNoMemory);
  EXPECT_NE(device.FindTag("MAIN.b"), nullptr);

  // The kept tree saves and loads as before.
  DEVICE::ByteArray saved;
  ASSERT_TRUE(device.SerializeRunBuffer(saved));
  BeckhoffDeviceCtrl reloaded;
  reloaded.DeSerializeRunBuffer(saved);
  EXPECT_NE(reloaded.FindTag("MAIN.b"), nullptr);
}

}  // namespace
