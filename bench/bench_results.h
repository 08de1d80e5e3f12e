#pragma once
// Medians of the finished benchmarks, by benchmark name, for the report printed after the run.
#include <map>
#include <optional>
#include <string>

namespace bench {

struct Median {
  double seconds = 0;                     // real time per iteration
  std::map<std::string, double> counters;
};

class Results {
 public:
  void Add(const std::string& name, Median median) { medians_[name] = std::move(median); }
  std::optional<Median> Find(const std::string& name) const;
  std::optional<double> Seconds(const std::string& name) const;
  std::optional<double> Counter(const std::string& name, const std::string& counter) const;
  bool Empty() const { return medians_.empty(); }

 private:
  std::map<std::string, Median> medians_;
};

struct MachineInfo {
  std::string cpu;
  int cpus = 0;
  double mhz = 0;
  std::string buildType;
  int repetitions = 1;
};

// The report in Markdown: the machine, then one table per area with the targets.
std::string FormatReport(const Results& results, const MachineInfo& machine);

}  // namespace bench
