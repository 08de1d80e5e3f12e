// The module through dlopen: channel records, channel editing, saved data and generation.
// Run buffers with a tag tree are made in this process from the bundled example, with the
// core's own device control, and handed to the module as a host would.
#include <gtest/gtest.h>

#include <tuple>

#include "ModuleFixture.h"
#include "support/FakeHost.h"
#include "utils/stream_io.h"

namespace driver_tests {
namespace {

// The names MAIN.aValues[i] for the given i, in ASCII or wide.
template <class String = std::string>
std::vector<String> Values(std::vector<int> indices) {
  std::vector<String> names;
  for (int i : indices) {
    const std::string name = "MAIN.aValues[" + std::to_string(i) + "]";
    names.emplace_back(name.begin(), name.end());
  }
  return names;
}

TEST_F(ModuleTest, ChannelRecordsDescribeTheTags) {
  Device device(api, RunBufferWith({"MAIN.fbMotor.bEnable", "MAIN.aValues[3]", "MAIN.sMessage", "MAIN.aAxis[0].fPos"}),
                kLoaded);
  hostapi::ChlInfoArray reply(9);
  ASSERT_EQ(api.SvrGetChlInfo(device.handle, {}, reply), 4);
  ASSERT_EQ(reply.size(), 4u);  // the host's array is sized to the records
  const std::tuple<const char16_t*, const char16_t*, int32_t> expected[] = {  // name, variable name, data kind
      {u"MAIN.fbMotor.bEnable", u"MAIN_fbMotor_bEnable", 1},
      {u"MAIN.aValues[3]", u"MAIN_aValues_3_", 2},
      {u"MAIN.sMessage", u"MAIN_sMessage", 3},
      {u"MAIN.aAxis[0].fPos", u"MAIN_aAxis_0_fPos", 2},
  };
  for (int32_t i = 0; i < 4; ++i) {
    const auto& r = reply[static_cast<size_t>(i)];
    const auto& [name, varName, dataKind] = expected[i];
    EXPECT_EQ(std::tie(r.index, r.address, r.tagName, r.varName, r.dataKind),
              std::make_tuple(i, name, name, varName, dataKind));
    EXPECT_EQ(std::tie(r.value1, r.value2, r.value3, r.value4, r.value5), std::make_tuple(0, -1, -1, 1, 2));
    EXPECT_TRUE(r.list1.empty() && r.list2.empty());
  }
  // A label's comment is its type's comment: the member comment "使能" stays in the type.
  EXPECT_EQ(reply[0].comment, u"");

  // Requested indices: record i describes indices[i] and carries index i; past the end gives
  // a new record with only value4 set.
  ASSERT_EQ(api.SvrGetChlInfo(device.handle, {2, 0, 7}, reply), 3);
  EXPECT_EQ(std::tie(reply[0].tagName, reply[0].index), std::make_tuple(u"MAIN.sMessage", 0));
  EXPECT_EQ(std::tie(reply[1].tagName, reply[1].index), std::make_tuple(u"MAIN.fbMotor.bEnable", 1));
  EXPECT_EQ(std::tie(reply[2].tagName, reply[2].index, reply[2].value4, reply[2].address, reply[2].dataKind),
            std::make_tuple(u"", -1, 1, u"0", -1));
}

TEST_F(ModuleTest, AChannelTheTreeDoesNotKnowIsReportedBareAndRefusesGeneration) {
  Device device(api, RunBufferWith({"MAIN.aValues[1]", "MAIN.gone"}));
  testing_support::FakeHost host(2);
  device.handle.hostInterface = &host;
  ASSERT_EQ(api.SvrInitDevSet(device.handle), 1);
  hostapi::ChlInfoArray reply;
  ASSERT_EQ(api.SvrGetChlInfo(device.handle, {}, reply), 2);
  EXPECT_EQ(std::tie(reply[1].tagName, reply[1].varName, reply[1].value4, reply[1].value1),
            std::make_tuple(u"MAIN.gone", u"", 1, -1));

  EXPECT_EQ(api.SvrGenerate(device.handle), 0);
  ASSERT_EQ(host.reports.size(), 1u);
  EXPECT_EQ(std::tie(host.reports[0].object, host.reports[0].message),
            std::make_tuple(u"MAIN.gone", u"\u6807\u7B7E\u4FE1\u606F\u4E0D\u5B8C\u6574,\u8BF7\u5220\u9664"
                                          u"\u901A\u9053\u6216\u91CD\u65B0\u5BFC\u5165\u6807\u7B7E"));

  hostapi::WordArray gone{1};
  EXPECT_EQ(api.SvrDeleteChlInfo(device.handle, gone), 1);
  EXPECT_EQ(api.SvrGenerate(device.handle), 1);
  EXPECT_EQ(host.reports.size(), 1u);
}

TEST_F(ModuleTest, StaleDataVersionRefusesGeneration) {
  // Device data with only section 99 = (0, 20001), and one channel "A".
  Device device(api, {0x31, 0x00, 0x00, 0x00, 0x02, 0x00, 0x00, 0x00, 0x28, 0x00, 0x00, 0x00, 0x09, 0x00, 0x00,
                      0x00, 0x40, 0x9C, 0x00, 0x00, 0x28, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x01, 0x00,
                      0x00, 0x00, 0x1C, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x21, 0x4E, 0x00, 0x00, 0x63,
                      0x00, 0x00, 0x00, 0x14, 0x00, 0x00, 0x00, 0x08, 0x00, 0x00, 0x00, 0x01, 0x00, 0x00, 0x00,
                      0x01, 0x00, 0x00, 0x00, 0x41});
  testing_support::FakeHost host(1);
  device.handle.hostInterface = &host;
  ASSERT_EQ(api.SvrInitDevSet(device.handle), 1);
  EXPECT_EQ(device.Channels(), Names{u"A"});
  EXPECT_EQ(api.SvrGenerate(device.handle), 0);
  ASSERT_EQ(host.reports.size(), 1u);
  // 通道信息不完整, 请重新导入标签
  EXPECT_EQ(std::tie(host.reports[0].object, host.reports[0].message),
            std::make_tuple(u"\u901A\u9053\u4FE1\u606F\u4E0D\u5B8C\u6574",
                            u"\u8BF7\u91CD\u65B0\u5BFC\u5165\u6807\u7B7E"));
}

TEST_F(ModuleTest, SetChlInfoAddsKnownTagsOnce) {
  Device device(api, RunBufferWith({}), kLoaded);
  // An unknown tag gives 0, the first channel 2, every later or repeated one 3.
  EXPECT_EQ(device.Add(u"MAIN.nothing"), 0);
  EXPECT_EQ(device.Add(u"MAIN.aValues[2]"), 2);
  EXPECT_EQ(device.Add(u"gCounter"), 3);
  EXPECT_EQ(device.Add(u"MAIN.aValues[2]"), 3);
  EXPECT_EQ(device.Channels(), (Names{u"MAIN.aValues[2]", u"gCounter"}));
}

TEST_F(ModuleTest, DeleteSortsTheCallersIndicesAndDeletesFromTheBack) {
  Device device(api, RunBufferWith(Values({0, 1, 2, 3, 4, 5, 6, 7})), kLoaded);
  hostapi::WordArray indices{5, 2, 9};
  ASSERT_EQ(api.SvrDeleteChlInfo(device.handle, indices), 1);
  EXPECT_EQ(indices, (hostapi::WordArray{2, 5, 9}));
  EXPECT_EQ(device.Channels(), Values<std::u16string>({0, 1, 3, 4, 6, 7}));
  // [3, 3]: channel 3, then the channel that moved into place 3.
  hostapi::WordArray twice{3, 3};
  ASSERT_EQ(api.SvrDeleteChlInfo(device.handle, twice), 1);
  EXPECT_EQ(device.Channels(), Values<std::u16string>({0, 1, 3, 7}));
  hostapi::WordArray none;
  ASSERT_EQ(api.SvrDeleteChlInfo(device.handle, none), 1);
  EXPECT_TRUE(device.Channels().empty());
}

TEST_F(ModuleTest, SavedDataLoadsAgainAndKeepsSurplusBytes) {
  Device device(api, RunBufferWith(Values({0, 1, 2, 3, 4})), kLoaded);
  ASSERT_EQ(device.Set(u"Remote Ip", u"10.9.8.7"), 1);
  ASSERT_EQ(device.Save(), 1);
  const std::vector<uint8_t> longer = device.stream.bytes;
  const uint32_t longLength = utils::LoadU32(longer.data()) + 20;

  hostapi::WordArray first{0};
  ASSERT_EQ(api.SvrDeleteChlInfo(device.handle, first), 1);
  ASSERT_EQ(device.Save(), 1);
  const auto& shorter = device.stream.bytes;
  const uint32_t shortLength = utils::LoadU32(shorter.data()) + 20;
  ASSERT_LT(shortLength, longLength);
  ASSERT_EQ(shorter.size(), longer.size());
  EXPECT_TRUE(std::equal(shorter.begin() + shortLength, shorter.end(), longer.begin() + shortLength));
  EXPECT_NE(shorter[shortLength - 1], 0);  // the last name's last byte

  // A new device over the saved bytes has the saved properties and channels.
  Device reloaded(api, shorter, kLoaded);
  EXPECT_EQ(reloaded.Channels(), Values<std::u16string>({1, 2, 3, 4}));
  EXPECT_EQ(reloaded.Property(u"Remote Ip"), u"10.9.8.7");
  EXPECT_EQ(std::tie(reloaded.stream.mode, reloaded.stream.position),
            std::make_tuple(hostapi::kStreamReading, static_cast<int32_t>(shorter.size())));
}

}  // namespace
}  // namespace driver_tests
