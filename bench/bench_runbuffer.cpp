// Saving and loading the run buffer of a device with 100,000 channels, and the channel check
// before generation over the same channels. The device has imported the 100,000-symbol file;
// its channels are the first 100,000 selectable leaves in row order.
#include <benchmark/benchmark.h>

#include <memory>
#include <string>
#include <vector>

#include "beckhoff/BeckhoffDeviceCtrl.h"
#include "beckhoff/BeckhoffFileparser.h"
#include "bench_data.h"
#include "bench_tree.h"

namespace {

constexpr size_t kChannels = 100000;

std::unique_ptr<Beckhoff::BeckhoffDeviceCtrl> DeviceWithChannels() {
  const bench::Dataset& data = bench::GetDataset("symbols-100k");
  auto device = std::make_unique<Beckhoff::BeckhoffDeviceCtrl>();
  auto parser = std::make_shared<Beckhoff::BeckhoffFileparser>(nullptr);
  if (!parser->LoadFile(data.path)) return nullptr;
  parser->ReadDataTypes();
  parser->ReadSymbols();
  device->SetFileParser(parser);
  device->Channels().AddChannel(bench::LeafNames(device->GetTagTree(), kChannels));
  return device;
}

// Built once: the device and its saved run buffer.
struct Fixture {
  std::unique_ptr<Beckhoff::BeckhoffDeviceCtrl> device = DeviceWithChannels();
  DEVICE::ByteArray saved;
  bool ready = device && device->Channels().Count() == kChannels && device->SerializeRunBuffer(saved);
};

Fixture& Shared() {
  static Fixture fixture;
  return fixture;
}

void Counters(benchmark::State& state, const Fixture& f) {
  state.counters["channels"] = static_cast<double>(f.device ? f.device->Channels().Count() : 0);
  state.counters["buffer_MB"] = static_cast<double>(f.saved.size()) / 1e6;
}

void Save(benchmark::State& state) {
  Fixture& f = Shared();
  if (!f.ready) return state.SkipWithError("no device with 100,000 channels");
  for (auto _ : state) {
    DEVICE::ByteArray bytes;
    f.device->SerializeRunBuffer(bytes);
    benchmark::DoNotOptimize(bytes.data());
  }
  Counters(state, f);
}

void Load(benchmark::State& state, bool alsoSave) {
  Fixture& f = Shared();
  if (!f.ready) return state.SkipWithError("no device with 100,000 channels");
  for (auto _ : state) {
    state.PauseTiming();
    auto device = std::make_unique<Beckhoff::BeckhoffDeviceCtrl>();
    state.ResumeTiming();
    if (alsoSave) {
      DEVICE::ByteArray bytes;
      f.device->SerializeRunBuffer(bytes);
      device->DeSerializeRunBuffer(bytes);
    } else {
      device->DeSerializeRunBuffer(f.saved);
    }
    state.PauseTiming();
    if (device->Channels().Count() != kChannels) state.SkipWithError("channels lost on load");
    device.reset();
    state.ResumeTiming();
  }
  Counters(state, f);
}

void Check(benchmark::State& state) {
  Fixture& f = Shared();
  if (!f.ready) return state.SkipWithError("no device with 100,000 channels");
  for (auto _ : state) {
    if (f.device->CheckChannels() != 0) {
      state.SkipWithError("CheckChannels refused the channels");
      break;
    }
  }
  Counters(state, f);
}

const bool registered = [] {
  benchmark::RegisterBenchmark("runbuffer/save", Save)->Unit(benchmark::kMillisecond)->UseRealTime();
  benchmark::RegisterBenchmark("runbuffer/load", Load, false)->Unit(benchmark::kMillisecond)->UseRealTime();
  benchmark::RegisterBenchmark("runbuffer/save+load", Load, true)->Unit(benchmark::kMillisecond)->UseRealTime();
  benchmark::RegisterBenchmark("checkchannels", Check)->Unit(benchmark::kMillisecond)->UseRealTime();
  return true;
}();

}  // namespace
