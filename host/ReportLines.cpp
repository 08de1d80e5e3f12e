#include "ReportLines.h"

#include <cstdio>

namespace adshost {

std::string FormatLinesText(const std::vector<ReportLine>& lines) {
  std::string out;
  for (const auto& line : lines) {
    out += line.kind;
    for (const auto& field : line.fields) out += '\t' + field.second;
    for (const auto& value : line.list) out += '\t' + value;
    out += '\n';
  }
  return out;
}

std::string FormatLinesJson(const std::vector<ReportLine>& lines, int status) {
  std::string out = "{\"lines\":[";
  for (size_t i = 0; i < lines.size(); ++i) {
    const auto& line = lines[i];
    out += i ? ",\n{\"kind\":" : "\n{\"kind\":";
    out += JsonString(line.kind);
    for (const auto& [key, value] : line.fields) {
      out += ',';
      out += JsonString(key);
      out += ':';
      out += JsonString(value);
    }
    if (!line.listKey.empty()) {
      out += ',';
      out += JsonString(line.listKey);
      out += ":[";
      for (size_t k = 0; k < line.list.size(); ++k) {
        if (k) out += ',';
        out += JsonString(line.list[k]);
      }
      out += ']';
    }
    out += '}';
  }
  return out + "\n],\"status\":" + std::to_string(status) + "}\n";
}

std::string JsonString(const std::string& utf8) {
  std::string out = "\"";
  for (unsigned char c : utf8) {
    if (c == '"' || c == '\\') {
      out += '\\';
      out += static_cast<char>(c);
    } else if (c < 0x20) {
      char buffer[8];
      std::snprintf(buffer, sizeof buffer, "\\u%04x", c);
      out += buffer;
    } else {
      out += static_cast<char>(c);
    }
  }
  return out + "\"";
}

}  // namespace adshost
