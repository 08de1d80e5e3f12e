#include "beckhoff/BeckhoffDeviceCtrl.h"

#include <gtest/gtest.h>

#include <string>
#include <tuple>

#include "beckhoff/Fileparser.h"
#include "device/Texts.h"
#include "support/FakeHost.h"
#include "tag/TypeBuilders.h"
#include "utils/stream_io.h"

namespace {

using Beckhoff::BeckhoffDeviceCtrl;
using testing_support::FakeHost;

std::string Str(const DEVICE::ByteArray& bytes, size_t from, size_t length) {
  return std::string(reinterpret_cast<const char*>(bytes.data()) + from, length);
}

// A parsed symbol file held in memory.
class MemoryParser final : public Fileparser {
 public:
  explicit MemoryParser(std::vector<Tag::TagVariable> symbols) : symbols_(std::move(symbols)) {}
  std::shared_ptr<Tag::DataTypeList> GetDataTypes() override { return list_; }
  const std::vector<Tag::TagVariable>& GetSymbols() override { return symbols_; }

 private:
  std::shared_ptr<Tag::DataTypeList> list_ = tag_tests::Elementary();
  std::vector<Tag::TagVariable> symbols_;
};

// A MAIN program with two INT members and a global BOOL.
std::shared_ptr<Fileparser> MainProgram() {
  using tag_tests::Symbol;
  return std::make_shared<MemoryParser>(
      std::vector<Tag::TagVariable>{Symbol("MAIN.a", "INT"), Symbol("MAIN.b", "INT"), Symbol(".g", "BOOL")});
}

// The names, texts and property listing the host sees are checked through the module's
// exports; the core's parent defaults differ from the ones the export reports.
TEST(AdsDevice, NewDeviceHasNoTreeAndTheCoreParentDefaults) {
  BeckhoffDeviceCtrl device;
  EXPECT_EQ(std::make_tuple(device.GetDescription(), device.GetVersionText(), device.GetAttributeA(),
                            device.GetAttributeB(), device.GetAttributeC(), device.GetReserved()),
            std::make_tuple("this driver just for to test tag driver frame", "8.0.0.22", 0, 0, 0, 0u));
  const auto parent = device.GetParentConfig();
  EXPECT_EQ(std::tie(parent.remoteIp, parent.localIp, parent.port, parent.option1, parent.option2, parent.option3),
            std::make_tuple("169.254.1.1", "169.254.1.190", 48898u, 0u, 1u, 0u));
  EXPECT_EQ(std::make_tuple(device.GetProperty("unknown"), device.GetTagTree(), device.FindTag("MAIN")),
            std::make_tuple(nullptr, nullptr, nullptr));
}

// Which unknown channel is reported, and how, is checked through the module's exports.
TEST(AdsDevice, CheckChannelsReportsOnlyToAHostOfVersionOneOrMore) {
  BeckhoffDeviceCtrl device;
  device.Channels().AddChannel({"MAIN.a"});
  EXPECT_EQ(device.CheckChannels(), 0);  // no host interface: does not fail

  FakeHost host(0);
  device.SetHostInterface(&host);
  for (uint32_t version : {0u, 1u}) {  // no tree: fails, reported from version 1 on
    host.version = version;
    EXPECT_EQ(device.CheckChannels(), -1);
    EXPECT_EQ(host.reports.size(), version);
  }
  device.SetFileParser(MainProgram());
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
  const auto d = static_cast<uint32_t>(deviceData.size());
  // The 32-bit words of `bytes` from `from` up to `to`.
  auto words = [](const DEVICE::ByteArray& bytes, size_t from, size_t to) {
    std::vector<uint32_t> out;
    for (size_t at = from; at + 4 <= to; at += 4) out.push_back(utils::LoadU32(bytes.data() + at));
    return out;
  };
  ASSERT_EQ(run.size(), d + 11 + 20);
  EXPECT_EQ(words(run, 0, 16), (std::vector<uint32_t>{d + 11, 2, d, 11}));
  EXPECT_EQ(Str(run, 16, d), Str(deviceData, 0, d));
  EXPECT_EQ(Str(run, 16 + d, 15), std::string("\x02\x00\x00\x00" "\x01\x00\x00\x00" "A" "\x02\x00\x00\x00" "BC", 15));

  // Device data: header, section 1 (274 bytes), 99 (8), 100 (empty table), then the table of
  // number, offset and length of each section.
  const uint32_t table = d - 36;
  EXPECT_EQ(words(deviceData, 0, 20), (std::vector<uint32_t>{40000, d, 0, 3, table}));
  EXPECT_EQ(words(deviceData, table, d), (std::vector<uint32_t>{1, 20, 274, 99, 294, 8, 100, 302, table - 302}));
  EXPECT_EQ(Str(deviceData, 294, 8), std::string("\x00\x00\x00\x00\x22\x4e\x00\x00", 8));
}

TEST(AdsDevice, RunBufferReaderStopsWhereTheBytesEnd) {
  BeckhoffDeviceCtrl source;
  source.Channels().AddChannel({"one", "two", "three"});
  DEVICE::ByteArray run;
  source.SerializeRunBuffer(run);
  auto channelsLoaded = [](const DEVICE::ByteArray& bytes) {
    BeckhoffDeviceCtrl device;
    device.DeSerializeRunBuffer(bytes);
    return device.Channels().Names();
  };
  EXPECT_TRUE(channelsLoaded({run.begin(), run.begin() + 15}).empty());
  EXPECT_EQ(channelsLoaded({run.begin(), run.end() - 1}), (std::vector<std::string>{"one", "two"}));

  // No device data at all is not stale data.
  BeckhoffDeviceCtrl none;
  none.DeSerializeRunBuffer(DEVICE::ByteArray(16, 0));
  EXPECT_EQ(std::make_tuple(none.Channels().Count(), none.ReimportFlag()), std::make_tuple(0u, 0u));

  // Every truncation and many bit flips load without a fault.
  for (size_t length = 0; length <= run.size(); length += 7) channelsLoaded({run.begin(), run.begin() + length});
  for (size_t bit = 0; bit < run.size() * 8; bit += 5) {
    auto bad = run;
    bad[bit / 8] ^= static_cast<uint8_t>(1u << (bit % 8));
    EXPECT_LE(channelsLoaded(bad).size(), 3u);
  }
}

// Device data without a version section sets the reimport flag (data of an older version, and
// that the flag refuses generation, are checked through the module's exports); importing tags
// clears it.
TEST(AdsDevice, StaleDataVersionSetsTheReimportFlag) {
  DEVICE::ByteArray shifted;  // a new device's data with its table offset off by one: no sections
  ASSERT_TRUE(BeckhoffDeviceCtrl().SerializeDevData(shifted, false));
  shifted[16] = static_cast<uint8_t>(shifted[16] + 1);
  auto refused = shifted;
  refused[0] = 0;  // a refused block changes nothing, not even the flag
  const std::pair<DEVICE::ByteArray, uint32_t> cases[] = {{shifted, 1}, {refused, 0}};
  for (auto [bytes, flag] : cases) {
    BeckhoffDeviceCtrl device;
    EXPECT_TRUE(device.SerializeDevData(bytes, true));
    EXPECT_EQ(std::make_tuple(device.ReimportFlag(), device.GetProperty(texts::kPropWaitTime)->GetUInt()),
              std::make_tuple(flag, 200u));
    device.SetFileParser(MainProgram());
    EXPECT_EQ(device.ReimportFlag(), 0u);
  }
}

TEST(AdsDevice, SavingTakesTheChannelsOfAReadyHost) {
  BeckhoffDeviceCtrl device;
  device.Channels().AddChannel({"A", "B"});
  FakeHost host(1);
  host.SetChannels({u"X", u"Y", u"Z"});
  device.SetHostInterface(&host);
  for (bool ready : {false, true}) {
    host.listReady = ready;
    DEVICE::ByteArray bytes;
    device.WriteDevData(bytes);
    EXPECT_EQ(device.Channels().Names(), (ready ? std::vector<std::string>{"X", "Y", "Z"} : std::vector<std::string>{"A", "B"}));
  }
}

}  // namespace
