#pragma once
// The reading step of the import, shared by the import benchmarks.
#include <memory>

#include "beckhoff/BeckhoffFileparser.h"
#include "bench_data.h"

namespace bench {

// LoadFile and both passes, as the import command runs them; none when the load fails.
inline std::shared_ptr<Beckhoff::BeckhoffFileparser> ReadFile(const Dataset& data) {
  auto parser = std::make_shared<Beckhoff::BeckhoffFileparser>(nullptr);
  if (!parser->LoadFile(data.path)) return nullptr;
  parser->ReadDataTypes();
  parser->ReadSymbols();
  return parser;
}

}  // namespace bench
