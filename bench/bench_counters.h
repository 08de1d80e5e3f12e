#pragma once
// Counters every XML benchmark reports: throughput and the file's size.
#include <benchmark/benchmark.h>

#include "bench_data.h"

namespace bench {

inline void SetXmlCounters(benchmark::State& state, const Dataset& data) {
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * data.bytes.size()));
  state.counters["MB"] = static_cast<double>(data.bytes.size()) / 1e6;
}

}  // namespace bench
