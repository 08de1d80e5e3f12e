// The module through dlopen against a host that misbehaves: interfaces that throw, refuse or
// hand back nulls and huge lists, streams whose position and size disagree, and arrays of any
// size. Every case ends with the export's own result, and the device still saves and loads.
#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <functional>
#include <stdexcept>
#include <tuple>

#include "ModuleFixture.h"
#include "support/FakeHost.h"
#include "support/Numbered.h"

namespace driver_tests {
namespace {

using testing_support::FakeChannel;

// A version-2 host whose channel list comes from `serve` and whose AddChannels does what
// `onAdd` says.
class HostileHost final : public IDevSetInterfaceEx2 {
 public:
  enum class Add { Accept, Refuse, Throw };

  uint32_t GetHostVersion() override { return 2; }
  void ReportError(const std::u16string&, const std::u16string&) override {}
  void GetChannels(std::vector<DEVICE::stChlInfo*>& out) override {
    if (serve) serve(out);
  }
  bool IsChannelListReady() override { return true; }
  bool AddChannels(const std::vector<DEVICE::stChlInfo*>&) override {
    if (onAdd == Add::Throw) throw std::runtime_error("host failure");
    return onAdd == Add::Accept;
  }

  std::function<void(std::vector<DEVICE::stChlInfo*>&)> serve;
  Add onAdd = Add::Accept;
};

// The device still works: a property change (and a new channel, when `tag` is given) is saved
// and a fresh control over the saved bytes has the same properties and channels.
void ExpectUsable(Device& device, const std::u16string& tag = {}) {
  ASSERT_EQ(device.Set(u"Remote Ip", u"10.20.30.40"), 1);
  EXPECT_TRUE(tag.empty() || device.Add(tag) > 0) << std::string(tag.begin(), tag.end());
  ASSERT_EQ(device.Save(), 1);
  Device reloaded(device.api, device.stream.bytes, kLoaded);
  EXPECT_EQ(reloaded.Property(u"Remote Ip"), u"10.20.30.40");
  EXPECT_EQ(reloaded.Channels(), device.Channels());
}

// A device over `channels` whose control has been handed `host`.
std::unique_ptr<Device> GeneratedWith(const Exports& api, HostileHost& host, const std::vector<std::string>& channels) {
  auto device = std::make_unique<Device>(api, RunBufferWith(channels));
  device->handle.hostInterface = &host;
  EXPECT_EQ(api.SvrInitDevSet(device->handle), 1);
  EXPECT_EQ(api.SvrGenerate(device->handle), 1);
  return device;
}

// The host's answer to the hand-over of a new channel is the result; an exception counts as
// success. The local list keeps the name whatever the host did with it.
TEST_F(ModuleTest, HostThatRefusesOrThrowsWhenHandedChannels) {
  HostileHost host;
  host.onAdd = HostileHost::Add::Refuse;
  const auto device = GeneratedWith(api, host, {"MAIN.aValues[0]"});
  EXPECT_EQ(device->Add(u"MAIN.aValues[1]"), 0);
  EXPECT_EQ(device->Channels(), (Names{u"MAIN.aValues[0]", u"MAIN.aValues[1]"}));
  if (!platform::ExceptionsUnwindAcrossModules()) return;
  host.onAdd = HostileHost::Add::Throw;
  EXPECT_EQ(device->Add(u"MAIN.aValues[2]"), 4);  // the count of channels plus one
  EXPECT_EQ(device->Channels().size(), 3u);
}

TEST_F(ModuleTest, HostThatThrowsWhenAskedForItsChannels) {
  if (!platform::ExceptionsUnwindAcrossModules()) GTEST_SKIP() << "the host's exception cannot reach the module";
  HostileHost host;
  host.serve = [](std::vector<DEVICE::stChlInfo*>&) { throw std::runtime_error("host failure"); };
  const auto device = GeneratedWith(api, host, {"MAIN.aValues[0]", "gCounter"});

  // The failures leave the names as the table holds them, and the run buffer is still written.
  device->stream.bytes.assign(40, 0xEE);
  ASSERT_EQ(device->Save(), 1);
  EXPECT_EQ(Device(api, device->stream.bytes, kLoaded).Channels(), (Names{u"MAIN.aValues[0]", u"gCounter"}));

  // A host that fails half-way through its list: the entries before the failure count.
  FakeChannel first(u"MAIN.aValues[5]");
  class Failing final : public DEVICE::stChlInfo {
   public:
    std::u16string GetChlName() const override { throw std::runtime_error("host failure"); }
    std::u16string GetChlExtra() const override { return {}; }
  } failing;
  host.serve = [&](std::vector<DEVICE::stChlInfo*>& out) { out = {&first, &failing}; };
  ASSERT_EQ(device->Save(), 1);
  EXPECT_EQ(device->Channels(), (Names{u"MAIN.aValues[5]", u"gCounter"}));

  host.serve = nullptr;  // from now on an empty host list
  ExpectUsable(*device);
}

TEST_F(ModuleTest, HostChannelListsWithNullsAndOfHugeLength) {
  HostileHost host;
  const auto device = GeneratedWith(api, host, {"MAIN.aValues[0]", "MAIN.aValues[1]", "gCounter"});

  // Null entries keep the table's name at their place; past the table's end they are empty.
  FakeChannel a(u"MAIN.aValues[7]");
  host.serve = [&](std::vector<DEVICE::stChlInfo*>& out) { out = {nullptr, &a, nullptr, nullptr}; };
  ASSERT_EQ(device->Save(), 1);
  EXPECT_EQ(device->Channels(), (Names{u"MAIN.aValues[0]", u"MAIN.aValues[7]", u"gCounter", u""}));

  // A million entries over a thousand channel objects (names T0..T999): the saved bytes grow
  // with the host's list and nothing more.
  std::vector<std::unique_ptr<FakeChannel>> pool;
  size_t namesBytes = 0;
  for (int i = 0; i < 1000; ++i) {
    const std::string name = Numbered("T", i);
    pool.push_back(std::make_unique<FakeChannel>(std::u16string(name.begin(), name.end())));
    namesBytes += 1000 * (4 + name.size());
  }
  const size_t kHuge = 1000000;
  host.serve = [&](std::vector<DEVICE::stChlInfo*>& out) {
    out.resize(kHuge);
    for (size_t i = 0; i < kHuge; ++i) out[i] = pool[i % pool.size()].get();
  };
  ASSERT_EQ(device->Save(), 1);
  EXPECT_GE(device->stream.bytes.size(), namesBytes);
  EXPECT_LT(device->stream.bytes.size(), namesBytes + 64 * 1024);
  host.serve = nullptr;
  // Repeated names are added once.
  EXPECT_EQ(Device(api, device->stream.bytes, kLoaded).Channels().size(), pool.size());
  ExpectUsable(*device, u"MAIN.aValues[3]");
}

// Streams whose position and size disagree (the stream rules themselves are the DataStream
// tests'), and run buffers whose header words (payload, format, device-data length, name-block
// length, then a name count) claim billions.
TEST_F(ModuleTest, StreamsOfAnyStateAndContent) {
  std::vector<uint8_t> data;  // a run buffer with one channel and a property
  {
    Device source(api, RunBufferWith({"MAIN.aValues[4]"}), kLoaded);
    ASSERT_EQ(source.Set(u"Remote Ip", u"1.2.3.4"), 1);
    ASSERT_EQ(source.Save(), 1);
    data = source.stream.bytes;
  }
  const struct {
    const char* what;
    std::vector<uint8_t> bytes;
    int32_t position;
    uint32_t mode;
    bool loads;  // whether the control is loaded from the bytes
  } cases[] = {
      {"data at 0", data, 0, hostapi::kStreamReading, true},
      {"reading, position inside", data, 5, hostapi::kStreamReading, false},  // fewer bytes left than the size
      {"writing, position past the end", data, 1 << 20, hostapi::kStreamWriting, true},  // reading restarts at 0
      {"writing, position inside", data, 3, hostapi::kStreamWriting, false},  // the switch cuts there
      {"a mode the module does not know", data, 0, 77, true},
      {"huge payload and names", {0xFF, 0xFF, 0xFF, 0xFF, 2, 0, 0, 0, 0, 0, 0, 0, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF,
                                  0xFF, 0xFF}, 0, hostapi::kStreamReading, false},
      {"huge name count", {0xFF, 0xFF, 0xFF, 0xFF, 2, 0, 0, 0, 0, 0, 0, 0, 8, 0, 0, 0, 0xFF, 0xFF, 0xFF, 0x7F, 0xFF,
                           0xFF, 0xFF, 0xFF}, 0, hostapi::kStreamReading, false},
      {"huge device data", {0xFF, 0xFF, 0xFF, 0xFF, 2, 0, 0, 0, 0xF0, 0xFF, 0xFF, 0xFF, 0, 0, 0, 0}, 0,
       hostapi::kStreamReading, false},
      {"huge section", {0x40, 0, 0, 0, 2, 0, 0, 0, 0x08, 0, 0, 0, 0, 0, 0, 0, 0x40, 0x9C, 0, 0, 0xFF, 0xFF, 0xFF,
                        0xFF}, 0, hostapi::kStreamReading, false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    Device device(api, c.bytes);
    std::tie(device.stream.position, device.stream.mode) = std::tie(c.position, c.mode);
    ASSERT_EQ(api.SvrInitDevSet(device.handle), 1);
    ASSERT_NE(device.handle.devCtrl, nullptr);
    EXPECT_EQ(device.Property(u"Remote Ip"), c.loads ? u"1.2.3.4" : u"169.254.1.1");
    EXPECT_EQ(device.Channels().size(), c.loads ? 1u : 0u);
    ExpectUsable(device, c.loads ? u"MAIN.aValues[6]" : u"");  // the save rewinds the stream
  }
}

TEST_F(ModuleTest, HostArraysOfAnySize) {
  Device device(api, RunBufferWith({"MAIN.aValues[0]", "MAIN.fbMotor.bEnable", "MAIN.aValues[2]"}), kLoaded);

  // Records for a hundred thousand indices, most of them far past the end: record i describes
  // indices[i] and carries index i, and past the end it is bare. The host's array is sized to
  // the records. A label's comment is its type's: the member comment "使能" stays in the type.
  hostapi::WordArray indices(100000, UINT32_MAX);
  std::tie(indices[0], indices[1]) = std::make_tuple(2, 1);
  hostapi::ChlInfoArray reply(7);
  ASSERT_EQ(api.SvrGetChlInfo(device.handle, indices, reply), 100000);
  ASSERT_EQ(reply.size(), 100000u);
  EXPECT_EQ(std::tie(reply[0].tagName, reply[0].index, reply[1].index, reply[1].comment),
            std::make_tuple(u"MAIN.aValues[2]", 0, 1, u""));
  EXPECT_EQ(std::tie(reply[99999].tagName, reply[99999].value4), std::make_tuple(u"", 1));

  // Deleting with a million indices sorts them; only real channels go.
  hostapi::WordArray many(1000000, UINT32_MAX);
  many[500000] = 1;
  many[10] = 7;
  ASSERT_EQ(api.SvrDeleteChlInfo(device.handle, many), 1);
  EXPECT_TRUE(std::is_sorted(many.begin(), many.end()));
  EXPECT_EQ(device.Channels(), (Names{u"MAIN.aValues[0]", u"MAIN.aValues[2]"}));

  // Property names without values, and names that are no text. A name without a value gets an
  // empty text, which the property ignores.
  EXPECT_EQ(api.SvrSetProperty(device.handle, {u"Remote Ip", u"Remote Ip"}, {u"5.6.7.8"}), 1);
  EXPECT_EQ(device.Property(u"Remote Ip"), u"5.6.7.8");
  const std::u16string loneSurrogates{u'\xD800', u'A', u'\xDFFF'};
  EXPECT_EQ(device.Set(loneSurrogates, u"1"), 0);
  EXPECT_EQ(device.Set(u"Remote AMS NetId", loneSurrogates), 1);
  for (const std::u16string& address : {std::u16string(), loneSurrogates, std::u16string(1 << 20, u'.'),
                                        std::u16string(1 << 20, u'[')})
    EXPECT_EQ(device.Add(address), 0);
  EXPECT_EQ(api.SvrShowCustomUI(device.handle, std::u16string(1 << 20, u'x')), 1);
  EXPECT_EQ(api.SvrEditProperties(0, nullptr, 0, 0, 0, 0, 0, 0, 0), 1);

  ExpectUsable(device, u"MAIN.aValues[9]");
}

}  // namespace
}  // namespace driver_tests
