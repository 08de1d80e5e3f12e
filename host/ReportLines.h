#pragma once
// The reports of the channel commands: one line per finding as tab-separated text, or the
// same findings as one JSON document.
#include <string>
#include <utility>
#include <vector>

namespace adshost {

struct ReportLine {
  std::string kind;
  std::vector<std::pair<std::string, std::string>> fields;  // key, UTF-8 value
  std::string listKey;                                      // names the list in JSON
  std::vector<std::string> list;                            // trailing values
};

// KIND<TAB>value...<TAB>listed... per line.
std::string FormatLinesText(const std::vector<ReportLine>& lines);
// {"lines":[{"kind":...,key:value,...,listKey:[...]},...],"status":N}
std::string FormatLinesJson(const std::vector<ReportLine>& lines, int status);

std::string JsonString(const std::string& utf8);

}  // namespace adshost
