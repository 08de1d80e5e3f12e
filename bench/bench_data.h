#pragma once
// The symbol files the benchmarks run on: generated once per process from a preset and an
// encoding, kept in memory and written to the data directory for the readers that take a path.
#include <string>

#include "tpygen.h"

namespace bench {

struct Dataset {
  std::string name;   // preset, plus the encoding when it is not UTF-8
  std::string path;   // the file in the data directory
  std::string bytes;  // the same bytes
  tpygen::Stats stats;
};

void SetDataDirectory(const std::string& directory);
const Dataset& GetDataset(const std::string& preset, tpygen::Encoding encoding = tpygen::Encoding::Utf8);

}  // namespace bench
