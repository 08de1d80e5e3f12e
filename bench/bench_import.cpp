// The whole import of a symbol file as the import command runs it: LoadFile, the data-type
// and symbol passes, then SetFileParser, which groups the symbols, builds the type nodes and
// the tag tree; with the peak heap and what the device keeps per tree node.
#include <benchmark/benchmark.h>

#include <memory>
#include <string>
#include <vector>

#include "beckhoff/BeckhoffDeviceCtrl.h"
#include "beckhoff/BeckhoffFileparser.h"
#include "bench_data.h"
#include "bench_import_steps.h"
#include "bench_tree.h"
#include "heap_counter.h"

namespace {

constexpr double kMB = 1e6;

void Import(benchmark::State& state, const std::string& preset) {
  const bench::Dataset& data = bench::GetDataset(preset);
  size_t nodes = 0;
  double peak = 0;
  double kept = 0;
  for (auto _ : state) {
    state.PauseTiming();
    auto device = std::make_unique<Beckhoff::BeckhoffDeviceCtrl>();
    const size_t before = heap_counter::LiveBytes();
    heap_counter::ResetPeak();
    state.ResumeTiming();

    auto parser = bench::ReadFile(data);
    if (!parser) {
      state.SkipWithError("LoadFile failed");
      break;
    }
    device->SetFileParser(parser);

    state.PauseTiming();
    peak = static_cast<double>(heap_counter::PeakBytes() - before);
    parser.reset();  // the import command keeps it; it is not part of the tree
    kept = static_cast<double>(heap_counter::LiveBytes() - before);
    nodes = bench::CountNodes(device->GetTagTree());
    device.reset();
    state.ResumeTiming();
  }
  state.counters["MB"] = static_cast<double>(data.bytes.size()) / kMB;
  state.counters["symbols"] = static_cast<double>(data.stats.symbols);
  state.counters["nodes"] = static_cast<double>(nodes);
  state.counters["expected_nodes"] = static_cast<double>(data.stats.treeNodes);
  state.counters["peak_heap_MB"] = peak / kMB;
  state.counters["kept_bytes_per_node"] = nodes ? kept / static_cast<double>(nodes) : 0;
}

const bool registered = [] {
  for (const char* preset : {"symbols-100k", "array-10k-structs", "tree-1m"}) {
    benchmark::RegisterBenchmark((std::string("import/") + preset).c_str(), Import, std::string(preset))
        ->Unit(benchmark::kMillisecond)->UseRealTime();
  }
  return true;
}();

}  // namespace
