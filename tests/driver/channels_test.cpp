// The module through dlopen: channel records, channel editing, saved data and generation.
// Run buffers are made in this process from the bundled example and handed to the module.
#include <gtest/gtest.h>

#include <tuple>

#include "ModuleFixture.h"
#include "support/FakeHost.h"
#include "utils/stream_io.h"

namespace driver_tests {
namespace {

TEST_F(ModuleTest, GenerationNamesAChannelTheTreeDoesNotKnow) {
  Device device(api, RunBufferWith({"MAIN.aValues[1]", "MAIN.gone"}));
  testing_support::FakeHost host(2);
  device.handle.hostInterface = &host;
  ASSERT_EQ(api.SvrInitDevSet(device.handle), 1);
  EXPECT_EQ(api.SvrGenerate(device.handle), 0);
  ASSERT_EQ(host.reports.size(), 1u);
  // 标签信息不完整,请删除通道或重新导入标签
  EXPECT_EQ(std::tie(host.reports[0].object, host.reports[0].message),
            std::make_tuple(u"MAIN.gone", u"\u6807\u7B7E\u4FE1\u606F\u4E0D\u5B8C\u6574,\u8BF7\u5220\u9664"
                                          u"\u901A\u9053\u6216\u91CD\u65B0\u5BFC\u5165\u6807\u7B7E"));
}

// Channel names the tree does not know are kept as they are, which is all this needs.
TEST_F(ModuleTest, DeleteGoesFromTheBackOfTheSortedIndices) {
  Device device(api, RunBufferWith({"a", "b", "c", "d", "e", "f", "g", "h"}), kLoaded);
  hostapi::WordArray indices{5, 2, 9};
  ASSERT_EQ(api.SvrDeleteChlInfo(device.handle, indices), 1);
  EXPECT_EQ(device.Channels(), (Names{u"a", u"b", u"d", u"e", u"g", u"h"}));
  // [3, 3]: channel 3, then the channel that moved into place 3.
  hostapi::WordArray twice{3, 3};
  ASSERT_EQ(api.SvrDeleteChlInfo(device.handle, twice), 1);
  EXPECT_EQ(device.Channels(), (Names{u"a", u"b", u"d", u"h"}));
  hostapi::WordArray none;
  ASSERT_EQ(api.SvrDeleteChlInfo(device.handle, none), 1);
  EXPECT_TRUE(device.Channels().empty());
}

TEST_F(ModuleTest, ShorterSavedDataKeepsTheSurplusBytes) {
  Device device(api, RunBufferWith({"a", "b", "c", "d", "e"}), kLoaded);
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
}

}  // namespace
}  // namespace driver_tests
