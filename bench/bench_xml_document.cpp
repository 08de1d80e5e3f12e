// The system's XML reader on the same bytes as the baselines.
#include <benchmark/benchmark.h>

#include <string>

#include "bench_counters.h"
#include "bench_data.h"
#include "bench_xml_sets.h"
#include "xml/XmlDocument.h"

namespace {

void LoadDocument(benchmark::State& state, const bench::XmlSet& set) {
  const bench::Dataset& data = bench::GetDataset(set.preset, set.encoding);
  for (auto _ : state) {
    XmlDocument document;
    if (!document.LoadXmlBytes(data.bytes.data(), data.bytes.size())) state.SkipWithError("not well formed");
    benchmark::DoNotOptimize(document.IsWellFormed());
  }
  bench::SetXmlCounters(state, data);
}

const bool registered = [] {
  for (const bench::XmlSet& set : bench::XmlSets())
    benchmark::RegisterBenchmark(("xml/XmlDocument/" + bench::DatasetName(set)).c_str(), LoadDocument, set)
        ->Unit(benchmark::kMillisecond)
        ->UseRealTime();
  return true;
}();

}  // namespace
