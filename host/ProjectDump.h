#pragma once
// The reader of project files, for support engineers and for the host's check before a load:
// it decodes the run buffer, the device data and its sections, and stops at the first damage
// that costs the device data, saying where it starts and what the device does with it.
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
  // What the device does with it when it loads the file; empty when the device reads the
  // file's data as stored anyway (a format word other than 2, a wrong payload length).
  std::string consequence;
};

struct DumpReport {
  std::vector<DumpEntry> entries;
  std::vector<DumpDamage> damage;  // in file order; decoding stops after one with a consequence
};

DumpReport DecodeProject(const std::vector<uint8_t>& bytes);

// The first damage that makes the device lose or ignore data, if any.
std::optional<DumpDamage> DeviceLoss(const DumpReport& report);

// One line per entry: kind<TAB>offset<TAB>key=value...; damage as
// DAMAGE<TAB>offset<TAB>what[<TAB>consequence].
std::string FormatText(const DumpReport& report);
std::string FormatJson(const DumpReport& report);

}  // namespace adshost
