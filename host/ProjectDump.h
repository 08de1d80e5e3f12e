#pragma once
// An independent reader of project files for support engineers: it decodes the run buffer,
// the device data and its sections, and stops at the first damage, saying where it starts.
#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace adshost {

struct DumpEntry {
  std::string kind;
  uint64_t offset = 0;  // from the start of the file
  std::vector<std::pair<std::string, std::string>> fields;  // texts are UTF-8
};

struct DumpDamage {
  uint64_t offset = 0;
  std::string what;
};

struct DumpReport {
  std::vector<DumpEntry> entries;
  std::optional<DumpDamage> damage;
};

DumpReport DecodeProject(const std::vector<uint8_t>& bytes);

// One line per entry: kind<TAB>offset<TAB>key=value...; damage as DAMAGE<TAB>offset<TAB>what.
std::string FormatText(const DumpReport& report);
std::string FormatJson(const DumpReport& report);

}  // namespace adshost
