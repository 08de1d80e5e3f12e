// Runs the benchmarks and prints, after Google Benchmark's own output, a Markdown report of
// the medians with the ratios against the baselines and the targets. Options of its own:
//   --data_dir=DIR     where the generated symbol files are written (default: a temp dir)
//   --report_out=FILE  also write the report to FILE
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstring>
#include <fstream>
#include <iostream>
#include <string>
#include <string_view>
#include <vector>

#include "bench_data.h"
#include "bench_results.h"

namespace {

class CollectingReporter : public benchmark::ConsoleReporter {
 public:
  explicit CollectingReporter(bench::Results& results) : results_(results) {}

  bool ReportContext(const Context& context) override {
    cpus_ = context.cpu_info.num_cpus;
    mhz_ = context.cpu_info.cycles_per_second / 1e6;
    return ConsoleReporter::ReportContext(context);
  }

  void ReportRuns(const std::vector<Run>& runs) override {
    for (const Run& run : runs) {
      if (run.error_occurred) continue;
      const bool single = run.run_type == Run::RT_Iteration && run.repetitions <= 1;
      const bool median = run.run_type == Run::RT_Aggregate && run.aggregate_name == "median";
      if (!single && !median) continue;
      bench::Median m;
      m.seconds = run.GetAdjustedRealTime() / benchmark::GetTimeUnitMultiplier(run.time_unit);
      for (const auto& [name, counter] : run.counters) m.counters[name] = counter.value;
      results_.Add(run.run_name.function_name, std::move(m));
    }
    ConsoleReporter::ReportRuns(runs);
  }

  int cpus() const { return cpus_; }
  double mhz() const { return mhz_; }

 private:
  bench::Results& results_;
  int cpus_ = 0;
  double mhz_ = 0;
};

std::string CpuModel() {
  std::ifstream in("/proc/cpuinfo");
  std::string line;
  while (std::getline(in, line)) {
    if (line.rfind("model name", 0) == 0) {
      const size_t colon = line.find(':');
      if (colon != std::string::npos) return line.substr(colon + 2);
    }
  }
  return "unknown";
}

int RepetitionsFromArguments(const std::vector<char*>& args) {
  for (const char* arg : args) {
    constexpr std::string_view key = "--benchmark_repetitions=";
    if (std::string_view(arg).substr(0, key.size()) == key) return std::atoi(arg + key.size());
  }
  return 1;
}

}  // namespace

int main(int argc, char** argv) {
  std::vector<char*> args;
  std::string reportOut;
  for (int i = 0; i < argc; ++i) {
    const std::string_view arg = argv[i];
    if (arg.substr(0, 11) == "--data_dir=") {
      bench::SetDataDirectory(std::string(arg.substr(11)));
    } else if (arg.substr(0, 13) == "--report_out=") {
      reportOut = arg.substr(13);
    } else {
      args.push_back(argv[i]);
    }
  }
  int count = static_cast<int>(args.size());
  const int repetitions = RepetitionsFromArguments(args);
  benchmark::Initialize(&count, args.data());
  if (benchmark::ReportUnrecognizedArguments(count, args.data())) return 1;

  bench::Results results;
  CollectingReporter reporter(results);
  benchmark::RunSpecifiedBenchmarks(&reporter);
  benchmark::Shutdown();

  bench::MachineInfo machine;
  machine.cpu = CpuModel();
  machine.cpus = reporter.cpus();
  machine.mhz = reporter.mhz();
#ifdef NDEBUG
  machine.buildType = "Release";
#else
  machine.buildType = "Debug (figures not meaningful)";
#endif
  machine.repetitions = repetitions;
  const std::string report = bench::FormatReport(results, machine);
  std::cout << "\n" << report;
  if (!reportOut.empty()) {
    std::ofstream out(reportOut, std::ios::trunc);
    out << report;
    if (!out) {
      std::cerr << "cannot write " << reportOut << "\n";
      return 1;
    }
  }
  return 0;
}
