// The module through dlopen: its export table, identity, lifecycle and property exports.
#include <gtest/gtest.h>

#include <tuple>

#include "ModuleFixture.h"

namespace driver_tests {
namespace {

const std::u16string kWaitTime = u"\u901A\u8BAF\u7B49\u5F85\u65F6\u95F4";  // 通讯等待时间

// The fixture's load has resolved the twenty-five names; core symbols stay inside the module.
TEST_F(ModuleTest, KeepsItsInternalSymbolsHidden) {
  std::string error;
  const auto module = platform::LoadModule(ADS_DRIVER_PATH, error);
  ASSERT_TRUE(module) << error;
  for (const char* internal : {"_ZN8Beckhoff18BeckhoffDeviceCtrlC1Ev", "_ZN8platform15SetAnsiCodePageEj",
                               "_ZN8platform12GetTickCountEv", "_ZN8platform21FindProcessUiServicesEv"})
    EXPECT_EQ(module->Symbol(internal), nullptr) << internal;
}

TEST_F(ModuleTest, IdentityExports) {
  std::u16string help;
  uint32_t word = 0;
  EXPECT_EQ(api.SvrDoHelp(help, word), 1);
  EXPECT_EQ(std::tie(help, word), std::make_tuple(u"Beckhoff_ADS_Ethernet_Brevak", 2102072302u));

  // Selector 2 fails but has set the display name and both words first.
  const std::u16string display = u"\u500D\u798F_ADS_\u4EE5\u592A\u7F51_Brevak";
  const std::tuple<uint32_t, int32_t, const char16_t*> selectors[] = {
      {0, 1, u"Beckhoff_ADS_Ethernet_BrevakU.drv"}, {1, 1, u"Beckhoff_ADS_Ethernet_BrevakE.drv"}, {2, 0, u"kept"}};
  for (const auto& [selector, result, expected] : selectors) {
    std::u16string name, module = u"kept";
    uint32_t w1 = 9, w2 = 9;
    EXPECT_EQ(api.SvrGetDevInfo(name, w1, w2, selector, module), result);
    EXPECT_EQ(std::tie(name, w1, w2, module), std::make_tuple(display, 0u, 0u, expected));
  }

  double version = 0, minor = 1;
  uint32_t dataVersion = 0;
  EXPECT_EQ(api.SvrGetDevVersionEx(version, minor, dataVersion), 1);
  EXPECT_EQ(std::tie(version, minor, dataVersion), std::make_tuple(8.0022, 0.0, 20002u));

  // The parent configuration leaves the host's words alone.
  hostapi::ParentConfig parent;
  parent.hostWords[0] = parent.hostWords[4] = 77;
  EXPECT_EQ(api.SvrGetParentCofig(parent), 1);
  EXPECT_EQ(std::tie(parent.hostWords[0], parent.hostWords[4], parent.remoteIp, parent.localIp, parent.port),
            std::make_tuple(77u, 77u, u"192.168.0.10", u"192.168.0.190", 8500u));
  EXPECT_EQ(std::tie(parent.option1, parent.option2, parent.option3), std::make_tuple(0u, 1u, 0u));

  uint8_t changed = 0;
  EXPECT_EQ(api.SvrEditProperties(0, &changed, 0, 0, 0, 0, 0, 0, 0), 1);
  EXPECT_EQ(std::make_tuple(int{changed}, api.SvrChangeableAddress(), api.SvrEditCustomProperty(0),
                            api.SvrInitDevRun(0)),
            std::make_tuple(1, 1, 1, 1));
}

TEST_F(ModuleTest, ConfigurationListsAndChannelStatus) {
  hostapi::WideStringArray names{u"old"}, fourth{u"x"}, fifth{u"y"};
  hostapi::WordArray words{5, 6};
  hostapi::WideStringListArray lists(2);  // replaced by one empty list
  EXPECT_EQ(api.SvrGetCofigPro(0, names, words, lists, fourth, fifth), 1);
  EXPECT_EQ(std::tie(names, words), std::make_tuple(hostapi::WideStringArray{u"\u6807\u7B7E"}, hostapi::WordArray{2}));
  EXPECT_TRUE(lists.size() == 1 && lists[0] && lists[0]->empty() && fourth.empty() && fifth.empty());

  Device device(api);
  EXPECT_EQ(api.SvrGetChannel(device.handle, names, words), 1);
  EXPECT_EQ(std::tie(names, words),
            std::make_tuple(hostapi::WideStringArray{u"\u901A\u8BAF\u72B6\u6001"}, hostapi::WordArray{1}));
}

TEST_F(ModuleTest, ControlLifecycle) {
  DEVICE::DevCtrlInterface* control = api.CreateDeviceCtrl();
  ASSERT_NE(control, nullptr);
  EXPECT_EQ(std::make_tuple(api.DestroyDeviceCtrl(control), api.DestroyDeviceCtrl(nullptr)), std::make_tuple(0, 0));

  hostapi::DeviceHandle handle;
  double version = 0, minor = 1;
  EXPECT_EQ(api.SvrGetDevVersion(handle, version, 0, 0, minor), 1);
  EXPECT_EQ(std::tie(version, minor), std::make_tuple(8.0022, 0.0));
  ASSERT_NE(handle.devCtrl, nullptr);
  DEVICE::DevCtrlInterface* first = handle.devCtrl;
  EXPECT_EQ(api.SvrInitDevSet(handle), 1);
  EXPECT_EQ(handle.devCtrl, first);  // an existing control is kept
  EXPECT_EQ(api.SvrSaveDevData(handle), 1);  // without a stream, saving does nothing
  EXPECT_EQ(api.SvrExitDevRun(handle), 1);
  EXPECT_EQ(handle.devCtrl, nullptr);
  EXPECT_EQ(api.SvrExitDevRun(handle), 1);

  // Channel exports need a control; only saving succeeds without one, doing nothing.
  hostapi::DevDataStream stream;
  stream.bytes = {1, 2, 3};
  handle.dataStream = &stream;
  hostapi::ChlInfoArray reply(2);
  hostapi::WordArray indices{1};
  EXPECT_EQ(std::make_tuple(api.SvrGetChlInfo(handle, {}, reply), api.SvrDeleteChlInfo(handle, indices),
                            api.SvrSetChlInfo(handle, hostapi::SChlInfo{}), api.SvrShowCustomUI(handle, u"x"),
                            api.SvrGenerate(handle), api.SvrSaveDevData(handle)),
            std::make_tuple(0, 0, 0, 0, 0, 1));
  EXPECT_EQ(std::make_tuple(reply.size(), stream.bytes, handle.devCtrl),
            std::make_tuple(size_t{2}, std::vector<uint8_t>{1, 2, 3}, nullptr));
}

TEST_F(ModuleTest, PropertyListingAndEnumerationItems) {
  Device device(api);
  // Arrays that already hold entries are replaced, whatever their sizes.
  hostapi::WideStringArray names(5000, u"stale"), values{u"old"};
  hostapi::ByteArray flags(3, 9);
  ASSERT_EQ(api.SvrGetProperty(device.handle, names, values, flags), 1);
  EXPECT_EQ(names, (hostapi::WideStringArray{kWaitTime, u"ADS_Port", u"\u6700\u5927\u6807\u7B7E\u6570",  // 最大标签数
                                             u"Local AMS NetId", u"Remote AMS NetId", u"Remote Ip"}));
  EXPECT_EQ(values, (hostapi::WideStringArray{u"200", u"801", u"500", u"169.254.1.190.1.1", u"169.254.1.1.1.1",
                                              u"169.254.1.1"}));
  EXPECT_EQ(flags, (hostapi::ByteArray{0, 1, 0, 0, 0, 0}));

  // Enumeration items (adshost's session test shows them) are appended to the host's array.
  hostapi::WideStringArray items{u"host entry"};
  ASSERT_EQ(api.SvrEnumPropertyValue(device.handle, u"ADS_Port", items), 1);
  EXPECT_EQ(std::make_tuple(items.size(), items[0]), std::make_tuple(size_t{14}, u"host entry"));
  EXPECT_EQ(api.SvrEnumPropertyValue(device.handle, u"Nope", items), 0);
  EXPECT_EQ(api.SvrEnumPropertyValue(device.handle, u"Remote Ip", items), 1);  // no items
  EXPECT_EQ(items.size(), 14u);
}

TEST_F(ModuleTest, SetPropertyParsesByKind) {
  Device device(api);
  // adshost's session test shows the limits, the enumeration and the trimming; these are the
  // number rules.
  const std::tuple<std::u16string, std::u16string, std::u16string> cases[] = {  // property, text, value
      {kWaitTime, u" ab0X10", u"16"},                  // hexadecimal after the first upper-case 0X
      {kWaitTime, u"0x20", u"16"},                     // lower-case x: decimal "0" is refused, value kept
      {kWaitTime, u"99999999999999999999", u"-1"},     // saturated at 64 bits, cut to 32, shown with %d
      {kWaitTime, u"0X1FFFFFFFE", u"-2"},
      {u"Remote Ip", u"   ", u"169.254.1.1"},          // an empty text is refused, silently
  };
  for (const auto& [name, text, expected] : cases) {
    SCOPED_TRACE(std::string(text.begin(), text.end()));
    EXPECT_EQ(device.Set(name, text), 1);  // refusals are silent
    EXPECT_EQ(device.Property(name), expected);
  }
  EXPECT_EQ(api.SvrSetProperty(device.handle, {}, {}), 1);

  // The first unknown name ends the call: the names before it are set, the ones after are not.
  EXPECT_EQ(api.SvrSetProperty(device.handle, {u"Remote Ip", u"No such property", u"Local AMS NetId"},
                               {u"1.1.1.1", u"x", u"2.2.2.2.1.1"}),
            0);
  EXPECT_EQ(device.Property(u"Remote Ip"), u"1.1.1.1");
  EXPECT_EQ(device.Property(u"Local AMS NetId"), u"169.254.1.190.1.1");
}

}  // namespace
}  // namespace driver_tests
