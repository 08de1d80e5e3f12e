#include "beckhoff/BeckhoffDeviceCtrl.h"

#include <gtest/gtest.h>

#include <string>
#include <tuple>

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

// What the core device says of itself; the names, property listing and commands as the host
// sees them are checked through the module's exports.
TEST(AdsDevice, IdentityPropertiesAndDefaults) {
  BeckhoffDeviceCtrl device;
  EXPECT_EQ(device.GetDisplayName(), texts::kDisplayName);
  EXPECT_EQ(device.GetDescription(), "this driver just for to test tag driver frame");
  EXPECT_EQ(device.GetVersionText(), "8.0.0.22");
  EXPECT_EQ(std::make_tuple(device.GetAttributeA(), device.GetAttributeB(), device.GetAttributeC(), device.GetReserved()),
            std::make_tuple(0, 0, 0, 0u));
  // The core's parent defaults differ from the ones the module's export reports.
  const auto parent = device.GetParentConfig();
  EXPECT_EQ(std::tie(parent.remoteIp, parent.localIp, parent.port, parent.option1, parent.option2, parent.option3),
            std::make_tuple("169.254.1.1", "169.254.1.190", 48898u, 0u, 1u, 0u));
  EXPECT_EQ(device.GetTagTree(), nullptr);
  EXPECT_EQ(device.FindTag("MAIN"), nullptr);

  // Unsigned properties have no text of their own; the module formats their numbers.
  const auto list = device.GetPropertyList();
  ASSERT_EQ(list.size(), 6u);
  EXPECT_EQ(std::make_tuple(list[0].first, list[0].second->GetString(), list[0].second->GetUInt()),
            std::make_tuple(texts::kPropWaitTime, "", 200u));
  EXPECT_EQ(std::make_tuple(list[2].first, list[2].second->GetString(), list[2].second->GetUInt()),
            std::make_tuple(texts::kPropMaxTags, "", 500u));
  EXPECT_EQ(list[1].second->GetString(), "801");

  // The listing is a copy: changing it leaves the device alone. Unknown names are refused.
  auto copy = device.GetPropertyList();
  copy.clear();
  EXPECT_EQ(device.GetPropertyList().size(), 6u);
  EXPECT_FALSE(device.SetProperty("unknown", device.GetProperty("Remote Ip")->Clone()));
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
  std::vector<uint32_t> entries;  // number, offset, length of each section
  for (size_t at = table; at + 4 <= d; at += 4) entries.push_back(utils::LoadU32(deviceData.data() + at));
  EXPECT_EQ(entries, (std::vector<uint32_t>{1, 20, 274, 99, 294, 8, 100, 302, static_cast<uint32_t>(table - 302)}));
  EXPECT_EQ(Str(deviceData, 294, 8), std::string("\x00\x00\x00\x00\x22\x4e\x00\x00", 8));
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
  EXPECT_EQ(host.reports.size(), 1u);  // its texts: the module's stale-data test
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
