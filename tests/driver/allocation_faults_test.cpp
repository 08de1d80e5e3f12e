// Runs out of memory at every point of loading, saving, channel editing and importing: the
// k-th allocation of the operation fails (this program replaces the global allocation
// functions, which the loaded module uses as well). Whatever the operation did before, the
// device stays consistent and usable, and the stored data is never replaced by a partial one.
#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>
#include <new>
#include <utility>

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

// Counts the allocations of `operation` on a fresh `prepare()`, then
// for every failure point runs it again on a fresh one with that allocation failing and hands
// the result to `check`: every allocation up to 300, then about 300 more spread over the rest.
// Exceptions of the operation are swallowed: only the state it leaves counts.
template <class Prepare, class Operation, class Check>
void ForEachFailurePoint(Prepare prepare, Operation operation, Check check) {
  const auto counted = prepare();
  unsigned long total = g_allocations;
  static_cast<void>(operation(*counted));
  total = g_allocations - total;
  const unsigned long step = total > 600 ? (total - 300) / 300 : 1;
  for (unsigned long k = 0; k < total; k += k < 300 ? 1 : step) {
    SCOPED_TRACE(k);
    auto subject = prepare();
    decltype(operation(*subject)) result{};
    g_failed = false;
    g_allocationsLeft = static_cast<long>(k);
    try {
      result = operation(*subject);
    } catch (const std::bad_alloc&) {
    }
    g_allocationsLeft = -1;
    if (!g_failed) return;  // the operation needed fewer allocations
    check(*subject, result);
    if (::testing::Test::HasFailure()) return;
  }
}

const std::vector<std::string> kChannels{"MAIN.aValues[0]", "MAIN.aValues[1]", "gCounter"};
const Names kNames{u"MAIN.aValues[0]", u"MAIN.aValues[1]", u"gCounter"};

TEST_F(ModuleTest, RunningOutOfMemoryWhileLoadingKeepsTheStoredData) {
  const auto saved = RunBufferWith(kChannels);
  ForEachFailurePoint([&] { return std::make_unique<Device>(api, saved); },
                      [&](Device& device) { return api.SvrInitDevSet(device.handle); },
                      [&](Device& device, int32_t result) {
                        EXPECT_EQ(result, 1);
                        // A control that was kept is loaded completely; the host's save and
                        // the next try both see the whole stored data.
                        EXPECT_EQ(device.Save(), 1);
                        ASSERT_EQ(api.SvrInitDevSet(device.handle), 1);
                        EXPECT_EQ(device.Channels(), kNames);
                        EXPECT_EQ(Device(api, device.stream.bytes, kLoaded).Channels(), kNames);
                      });
}

TEST_F(ModuleTest, RunningOutOfMemoryWhileSavingKeepsTheOldOrWritesTheNew) {
  const auto saved = RunBufferWith(kChannels);
  auto changed = [&] {
    auto device = std::make_unique<Device>(api, saved, kLoaded);
    EXPECT_EQ(device->Set(u"Remote Ip", u"10.1.2.3"), 1);
    hostapi::WordArray first{0};
    EXPECT_EQ(api.SvrDeleteChlInfo(device->handle, first), 1);
    return device;
  };
  ForEachFailurePoint(changed, [&](Device& device) { return device.Save(); }, [&](Device& device, int32_t result) {
    EXPECT_EQ(result, 1);
    Device reloaded(api, device.stream.bytes, kLoaded);
    const bool written = reloaded.Property(u"Remote Ip") == u"10.1.2.3";  // else the old data is intact
    EXPECT_TRUE(written || reloaded.Property(u"Remote Ip") == u"169.254.1.1");
    EXPECT_EQ(reloaded.Channels(), written ? Names(kNames.begin() + 1, kNames.end()) : kNames);
    // The next save writes the device as it is.
    ASSERT_EQ(device.Save(), 1);
    EXPECT_EQ(Device(api, device.stream.bytes, kLoaded).Property(u"Remote Ip"), u"10.1.2.3");
  });
}

TEST_F(ModuleTest, RunningOutOfMemoryWhileEditingChannelsAndProperties) {
  const auto saved = RunBufferWith({"MAIN.aValues[0]"});
  const hostapi::WideStringArray names{u"Remote Ip", u"Local AMS NetId"}, values{u"10.1.2.3", u"1.2.3.4.5.6"};
  ForEachFailurePoint([&] { return std::make_unique<Device>(api, saved, kLoaded); },
                      [&](Device& device) {
                        const int32_t added = device.Add(u"MAIN.aValues[5]");
                        return std::make_pair(added, api.SvrSetProperty(device.handle, names, values));
                      },
                      [&](Device& device, std::pair<int32_t, int32_t> result) {
                        // Whatever failed, adding the channel again adds it exactly once, and
                        // the properties hold either value.
                        EXPECT_TRUE(result.first == 0 || result.first == 3) << result.first;
                        EXPECT_TRUE(result.second == 0 || result.second == 1) << result.second;
                        EXPECT_EQ(device.Add(u"MAIN.aValues[5]"), 3);
                        EXPECT_EQ(device.Channels(), (Names{u"MAIN.aValues[0]", u"MAIN.aValues[5]"}));
                        const auto ip = device.Property(u"Remote Ip");
                        EXPECT_TRUE(ip == u"10.1.2.3" || ip == u"169.254.1.1");
                      });
}

TEST(AllocationFaults, RunningOutOfMemoryWhileImportingKeepsThePreviousTree) {
  const auto oldFile = ParsedExample("demo_gbk.tpy");
  const auto newFile = ParsedExample("demo.tpy");
  auto withOldTree = [&] {
    auto device = std::make_unique<Beckhoff::BeckhoffDeviceCtrl>();
    device->SetFileParser(oldFile);
    return device;
  };
  auto import = [&](Beckhoff::BeckhoffDeviceCtrl& device) { return device.ImportTagTree(newFile); };
  ForEachFailurePoint(withOldTree, import, [&](Beckhoff::BeckhoffDeviceCtrl& device, DEVICE::TagTreeBuild result) {
    const bool replaced = device.FindTag("MAIN.aValues[3]") != nullptr;
    EXPECT_TRUE(!replaced || result.Built());
    EXPECT_EQ(device.FindTag("PRG_Station.fFlow") != nullptr, !replaced);
    // The tree the device kept saves and loads, and the next import works.
    DEVICE::ByteArray bytes;
    ASSERT_TRUE(device.SerializeRunBuffer(bytes));
    Beckhoff::BeckhoffDeviceCtrl reloaded;
    reloaded.DeSerializeRunBuffer(bytes);
    EXPECT_NE(reloaded.FindTag(replaced ? "MAIN.aValues[3]" : "PRG_Station.fFlow"), nullptr);
    device.SetFileParser(newFile);
    EXPECT_NE(device.FindTag("MAIN.aValues[3]"), nullptr);
  });
}

}  // namespace
}  // namespace driver_tests
