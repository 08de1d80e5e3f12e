// The two halves of the import on their own: reading the file into data types and symbols,
// and building the type nodes and the tag tree from them (what SetFileParser does besides
// swapping the tree in), with the heap the tree takes beyond the type nodes.
#include <benchmark/benchmark.h>

#include <memory>
#include <string>

#include "bench_data.h"
#include "bench_import_steps.h"
#include "bench_tree.h"
#include "heap_counter.h"
#include "tag/InteriorDataTypeList.h"
#include "tag/VirtualTree.h"

namespace {

constexpr double kMB = 1e6;

void Parse(benchmark::State& state, const std::string& preset) {
  const bench::Dataset& data = bench::GetDataset(preset);
  for (auto _ : state) {
    auto parser = bench::ReadFile(data);
    if (!parser) {
      state.SkipWithError("LoadFile failed");
      break;
    }
    state.PauseTiming();
    parser.reset();
    state.ResumeTiming();
  }
  state.counters["MB"] = static_cast<double>(data.bytes.size()) / kMB;
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * data.bytes.size()));
}

void Tree(benchmark::State& state, const std::string& preset) {
  const bench::Dataset& data = bench::GetDataset(preset);
  auto parser = bench::ReadFile(data);
  if (!parser) return state.SkipWithError("LoadFile failed");
  uint64_t nodes = 0;
  uint64_t leaves = 0;
  double treeBytes = 0;
  for (auto _ : state) {
    state.PauseTiming();
    // Every build adds the generated types to the list; start each from the file's list.
    auto list = std::make_shared<Tag::DataTypeList>(*parser->GetDataTypes());
    auto table = std::make_shared<InteriorDataTypeList>();
    state.ResumeTiming();

    TreeVisitor visitor(list, table);
    auto root = visitor.BuildTree(parser->GetSymbols(), nodes, leaves);

    state.PauseTiming();
    if (!root) {
      state.SkipWithError("no tree");
      break;
    }
    // A second tree over the same table: its heap is the tree's alone.
    const size_t before = heap_counter::LiveBytes();
    TreeVisitor tableOnly(table);
    uint64_t secondNodes = 0;
    auto second = tableOnly.CreateTree(secondNodes, leaves);
    treeBytes = static_cast<double>(heap_counter::LiveBytes() - before);
    second.reset();
    root.reset();
    state.ResumeTiming();
  }
  state.counters["nodes"] = static_cast<double>(nodes);
  state.counters["expected_nodes"] = static_cast<double>(data.stats.treeNodes);
  state.counters["leaves"] = static_cast<double>(leaves);
  state.counters["tree_bytes_per_node"] = nodes ? treeBytes / static_cast<double>(nodes) : 0;
}

const bool registered = [] {
  for (const char* preset : {"symbols-100k", "array-10k-structs", "tree-1m"}) {
    benchmark::RegisterBenchmark((std::string("import/parse/") + preset).c_str(), Parse, std::string(preset))
        ->Unit(benchmark::kMillisecond)->UseRealTime();
    benchmark::RegisterBenchmark((std::string("import/tree/") + preset).c_str(), Tree, std::string(preset))
        ->Unit(benchmark::kMillisecond)->UseRealTime();
  }
  return true;
}();

}  // namespace
