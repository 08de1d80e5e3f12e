// The host's project-file decoder: any bytes give a report, never a crash, and both output
// forms can be written.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "ProjectDump.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const adshost::DumpReport report = adshost::DecodeProject(std::vector<uint8_t>(data, data + size));
  (void)adshost::FormatText(report);
  (void)adshost::FormatJson(report);
  return 0;
}
