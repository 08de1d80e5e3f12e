// Writes one synthetic symbol file: tpygen [--preset NAME] [--option value ...] --out FILE
#include <charconv>
#include <cstdio>
#include <fstream>
#include <iostream>
#include <string>
#include <string_view>

#include "tpygen.h"

namespace {

bool ParseNumber(std::string_view text, uint64_t& value) {
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  return error == std::errc{} && end == text.data() + text.size();
}

template <typename T>
bool Assign(std::string_view text, T& field) {
  uint64_t value = 0;
  if (!ParseNumber(text, value)) return false;
  field = static_cast<T>(value);
  return true;
}

bool ApplyOption(std::string_view key, std::string_view value, tpygen::Options& o) {
  if (key == "--preset") return tpygen::PresetOptions(value, o);
  if (key == "--encoding") return tpygen::ParseEncoding(value, o.encoding);
  if (key == "--pretty") return Assign(value, o.pretty);
  if (key == "--seed") return Assign(value, o.seed);
  if (key == "--symbols") return Assign(value, o.symbols);
  if (key == "--target-bytes") return Assign(value, o.targetBytes);
  if (key == "--programs") return Assign(value, o.programs);
  if (key == "--struct-width") return Assign(value, o.structWidth);
  if (key == "--nesting-depth") return Assign(value, o.nestingDepth);
  if (key == "--struct-families") return Assign(value, o.structFamilies);
  if (key == "--array-length") return Assign(value, o.arrayLength);
  if (key == "--array-dims") return Assign(value, o.arrayDims);
  if (key == "--comment-length") return Assign(value, o.commentLength);
  if (key == "--struct-percent") return Assign(value, o.structPercent);
  if (key == "--array-percent") return Assign(value, o.arrayPercent);
  if (key == "--array-of-struct-percent") return Assign(value, o.arrayOfStructPercent);
  if (key == "--string-percent") return Assign(value, o.stringPercent);
  if (key == "--non-ascii-percent") return Assign(value, o.nonAsciiPercent);
  return false;
}

int Usage() {
  std::cerr << "usage: tpygen [--preset NAME] [--encoding utf8|utf8bom|utf16le|gbk] [--seed N]\n"
               "  [--symbols N] [--target-bytes N] [--programs N] [--struct-width N]\n"
               "  [--nesting-depth N] [--struct-families N] [--array-length N] [--array-dims N]\n"
               "  [--comment-length N] [--struct-percent N] [--array-percent N]\n"
               "  [--array-of-struct-percent N] [--string-percent N] [--non-ascii-percent N]\n"
               "  [--pretty 0|1] --out FILE\n"
               "presets: "
            << tpygen::PresetNames() << "\n";
  return 2;
}

}  // namespace

int main(int argc, char** argv) {
  tpygen::Options options;
  std::string out;
  for (int i = 1; i + 1 < argc; i += 2) {
    const std::string_view key = argv[i];
    const std::string_view value = argv[i + 1];
    if (key == "--out") {
      out = value;
    } else if (!ApplyOption(key, value, options)) {
      std::cerr << "tpygen: bad option " << key << " " << value << "\n";
      return Usage();
    }
  }
  if (out.empty() || argc % 2 == 0) return Usage();
  const tpygen::Result result = tpygen::Generate(options);
  std::ofstream file(out, std::ios::binary);
  file.write(result.bytes.data(), static_cast<std::streamsize>(result.bytes.size()));
  if (!file) {
    std::cerr << "tpygen: cannot write " << out << "\n";
    return 1;
  }
  std::printf("%s: %zu bytes, %zu symbols, %zu data types, %zu tree nodes, %zu leaves\n",
              out.c_str(), result.stats.bytes, result.stats.symbols, result.stats.dataTypes,
              result.stats.treeNodes, result.stats.leaves);
  return 0;
}
