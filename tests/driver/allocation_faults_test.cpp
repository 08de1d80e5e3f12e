// Runs out of memory at every point of loading, saving, channel editing and importing: the
// k-th allocation of the operation fails (this program replaces the global allocation
// functions, which the loaded module uses as well). Whatever the operation did before, the
// device stays consistent and usable, and the stored data is never replaced by a partial one.
#include <gtest/gtest.h>

#include <cstdlib>
#include <functional>
#include <new>

#include "ModuleFixture.h"

namespace {

// -1: no allocation fails; otherwise the number of allocations that still succeed.
long g_allocationsLeft = -1;
bool g_failed = false;
unsigned long g_allocations = 0;

void* Allocate(std::size_t size) {
  ++g_allocations;
  if (g_allocationsLeft == 0) {
    g_allocationsLeft = -1;  // one failure: what runs after it may allocate again
    g_failed = true;
    return nullptr;
  }
  if (g_allocationsLeft > 0) --g_allocationsLeft;
  return std::malloc(size ? size : 1);
}

// The one place that frees what Allocate gave. Kept out of line: where GCC inlines a free()
// into a caller of the operator new that Allocate replaces, it takes the pair for mismatched
// (-Wmismatched-new-delete), not knowing the replacement.
[[gnu::noinline]] void Release(void* p) noexcept { std::free(p); }

}  // namespace

void* operator new(std::size_t size) {
  if (void* p = Allocate(size)) return p;
  throw std::bad_alloc();
}
void* operator new[](std::size_t size) {
  if (void* p = Allocate(size)) return p;
  throw std::bad_alloc();
}
void* operator new(std::size_t size, const std::nothrow_t&) noexcept { return Allocate(size); }
void* operator new[](std::size_t size, const std::nothrow_t&) noexcept { return Allocate(size); }
void operator delete(void* p) noexcept { Release(p); }
void operator delete[](void* p) noexcept { Release(p); }
void operator delete(void* p, std::size_t) noexcept { Release(p); }
void operator delete[](void* p, std::size_t) noexcept { Release(p); }
void operator delete(void* p, const std::nothrow_t&) noexcept { Release(p); }
void operator delete[](void* p, const std::nothrow_t&) noexcept { Release(p); }

namespace driver_tests {
namespace {

// Runs `operation` with its k-th allocation failing; true when the failure happened (false:
// the operation needed fewer allocations). Exceptions of the operation are swallowed: only
// the state it leaves counts.
bool WithFailingAllocation(long k, const std::function<void()>& operation) {
  g_failed = false;
  g_allocationsLeft = k;
  try {
    operation();
  } catch (const std::bad_alloc&) {
  }
  g_allocationsLeft = -1;
  return g_failed;
}

// The failure points of `operation`, which is run once to count its allocations (recorded
// with the test): every allocation up to 300, then about 300 more spread over the rest.
std::vector<long> FailurePointsOf(const std::function<void()>& operation) {
  const unsigned long before = g_allocations;
  operation();
  const unsigned long total = g_allocations - before;
  ::testing::Test::RecordProperty("allocations", static_cast<int>(total));
  std::vector<long> points;
  const unsigned long step = total > 600 ? (total - 300) / 300 : 1;
  for (unsigned long k = 0; k < total; k += k < 300 ? 1 : step) points.push_back(static_cast<long>(k));
  return points;
}

const std::vector<std::u16string> kChannels{u"MAIN.aValues[0]", u"MAIN.aValues[1]", u"gCounter"};

TEST_F(ModuleTest, RunningOutOfMemoryWhileLoadingKeepsTheStoredData) {
  const auto saved = RunBufferWith({"MAIN.aValues[0]", "MAIN.aValues[1]", "gCounter"});
  const auto points = FailurePointsOf([&] {
    Device device(api, saved);
    api.SvrInitDevSet(device.handle);
  });
  for (long k : points) {
    SCOPED_TRACE(k);
    Device device(api, saved);
    int32_t result = -1;
    if (!WithFailingAllocation(k, [&] { result = api.SvrInitDevSet(device.handle); })) break;
    EXPECT_EQ(result, 1);
    // A control that was kept is loaded completely; the host's save and the next try both
    // see the whole stored data.
    EXPECT_EQ(api.SvrSaveDevData(device.handle), 1);
    ASSERT_EQ(api.SvrInitDevSet(device.handle), 1);
    EXPECT_EQ(ChannelNames(api, device.handle), kChannels);
    Device reloaded(api, device.stream.bytes, kLoaded);
    EXPECT_EQ(ChannelNames(api, reloaded.handle), kChannels);
    if (HasFailure()) break;
  }
}

TEST_F(ModuleTest, RunningOutOfMemoryWhileSavingKeepsTheOldOrWritesTheNew) {
  const auto saved = RunBufferWith({"MAIN.aValues[0]", "MAIN.aValues[1]", "gCounter"});
  auto change = [&](hostapi::DeviceHandle& handle) {
    ASSERT_EQ(api.SvrSetProperty(handle, {u"Remote Ip"}, {u"10.1.2.3"}), 1);
    hostapi::WordArray first{0};
    ASSERT_EQ(api.SvrDeleteChlInfo(handle, first), 1);
  };
  const auto points = FailurePointsOf([&] {
    Device device(api, saved);
    api.SvrInitDevSet(device.handle);
    change(device.handle);
    api.SvrSaveDevData(device.handle);
  });
  for (long k : points) {
    SCOPED_TRACE(k);
    Device device(api, saved, kLoaded);
    change(device.handle);
    int32_t result = -1;
    if (!WithFailingAllocation(k, [&] { result = api.SvrSaveDevData(device.handle); })) break;
    EXPECT_EQ(result, 1);
    Device reloaded(api, device.stream.bytes, kLoaded);
    const auto ip = PropertyValue(api, reloaded.handle, u"Remote Ip");
    const auto channels = ChannelNames(api, reloaded.handle);
    if (ip == u"10.1.2.3") {
      EXPECT_EQ(channels, std::vector<std::u16string>(kChannels.begin() + 1, kChannels.end()));
    } else {
      EXPECT_EQ(ip, u"169.254.1.1");
      EXPECT_EQ(channels, kChannels);
    }
    // The next save writes the device as it is.
    ASSERT_EQ(api.SvrSaveDevData(device.handle), 1);
    Device again(api, device.stream.bytes, kLoaded);
    EXPECT_EQ(PropertyValue(api, again.handle, u"Remote Ip"), u"10.1.2.3");
    if (HasFailure()) break;
  }
}

TEST_F(ModuleTest, RunningOutOfMemoryWhileEditingChannelsAndProperties) {
  const auto saved = RunBufferWith({"MAIN.aValues[0]"});
  hostapi::SChlInfo record;
  record.address = u"MAIN.aValues[5]";
  const hostapi::WideStringArray names{u"Remote Ip", u"Local AMS NetId"}, values{u"10.1.2.3", u"1.2.3.4.5.6"};
  long k = 0;
  for (;; ++k) {
    SCOPED_TRACE(k);
    Device device(api, saved, kLoaded);
    int32_t added = -1, set = -1;
    const bool failed = WithFailingAllocation(k, [&] {
      added = api.SvrSetChlInfo(device.handle, record);
      set = api.SvrSetProperty(device.handle, names, values);
    });
    // Whatever failed, adding the channel again adds it exactly once, and the properties
    // hold either value.
    EXPECT_TRUE(added == 0 || added == 3) << added;
    EXPECT_TRUE(set == 0 || set == 1) << set;
    EXPECT_EQ(api.SvrSetChlInfo(device.handle, record), 3);
    EXPECT_EQ(ChannelNames(api, device.handle), (std::vector<std::u16string>{u"MAIN.aValues[0]", u"MAIN.aValues[5]"}));
    const auto ip = PropertyValue(api, device.handle, u"Remote Ip");
    EXPECT_TRUE(ip == u"10.1.2.3" || ip == u"169.254.1.1") << std::string(ip.begin(), ip.end());
    if (!failed || HasFailure()) break;
  }
  RecordProperty("failure_points", static_cast<int>(k));
}

TEST(AllocationFaults, RunningOutOfMemoryWhileImportingKeepsThePreviousTree) {
  const auto oldFile = ParsedExample("demo_gbk.tpy");
  const auto newFile = ParsedExample("demo.tpy");
  const auto points = FailurePointsOf([&] {
    Beckhoff::BeckhoffDeviceCtrl device;
    device.SetFileParser(newFile);
  });
  for (long k : points) {
    SCOPED_TRACE(k);
    Beckhoff::BeckhoffDeviceCtrl device;
    device.SetFileParser(oldFile);
    ASSERT_NE(device.FindTag("PRG_Station.fFlow"), nullptr);
    DEVICE::TagTreeBuild result;
    if (!WithFailingAllocation(k, [&] { result = device.ImportTagTree(newFile); })) break;
    const bool replaced = device.FindTag("MAIN.aValues[3]") != nullptr;
    if (replaced) {
      EXPECT_TRUE(result.Built());
      EXPECT_EQ(device.FindTag("PRG_Station.fFlow"), nullptr);
    } else {
      EXPECT_NE(device.FindTag("PRG_Station.fFlow"), nullptr);
    }
    // The tree the device kept saves and loads, and the next import works.
    DEVICE::ByteArray bytes;
    ASSERT_TRUE(device.SerializeRunBuffer(bytes));
    Beckhoff::BeckhoffDeviceCtrl reloaded;
    reloaded.DeSerializeRunBuffer(bytes);
    EXPECT_NE(reloaded.FindTag(replaced ? "MAIN.aValues[3]" : "PRG_Station.fFlow"), nullptr);
    device.SetFileParser(newFile);
    EXPECT_NE(device.FindTag("MAIN.aValues[3]"), nullptr);
    if (HasFailure()) break;
  }
}

}  // namespace
}  // namespace driver_tests
