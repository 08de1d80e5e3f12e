#pragma once
// Synthetic PLC symbol files for the benchmarks: data types (nested structures, arrays,
// aliases, string types) and symbols spread over programs, written the way the PLC
// programming system writes them, in one of four encodings. The output depends only on the
// options, the seed included.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace tpygen {

enum class Encoding { Utf8, Utf8Bom, Utf16Le, Gbk };

struct Options {
  uint64_t seed = 1;
  size_t symbols = 1000;        // Symbol elements; with targetBytes, the minimum
  size_t targetBytes = 0;       // when set, symbols are added until the UTF-8 text reaches it
  size_t programs = 10;         // symbols are named "P<i>.<name>", spread over this many programs
  unsigned structWidth = 8;     // members of every structure type (at least 1)
  unsigned nestingDepth = 2;    // structure levels; level d < depth holds one level d+1 member
  unsigned structFamilies = 8;  // distinct structure type families of that shape
  unsigned arrayLength = 10;    // elements per array dimension
  unsigned arrayDims = 1;       // dimensions of every array type (1..3)
  unsigned commentLength = 40;  // characters of each symbol's and structure's comment; 0 = none
  // Shares of the symbols, in percent; the rest are of an elementary type.
  unsigned structPercent = 20;
  unsigned arrayPercent = 10;         // arrays of an elementary type
  unsigned arrayOfStructPercent = 5;  // arrays of a structure
  unsigned stringPercent = 10;        // STRING(n) and WSTRING(n)
  unsigned nonAsciiPercent = 20;      // comments with Chinese words
  bool pretty = true;                 // indented with tabs, CR LF line ends
  Encoding encoding = Encoding::Utf8;
};

// What a reader of the file should find; tree counts follow the tag tree's rules: the root,
// one node per program, per symbol, per structure member and per array element.
struct Stats {
  size_t symbols = 0;
  size_t dataTypes = 0;
  size_t treeNodes = 0;
  size_t leaves = 0;
  size_t bytes = 0;  // of the encoded output
};

struct Result {
  std::string bytes;
  Stats stats;
};

Result Generate(const Options& options);

// Named shapes used by the benchmarks; false for an unknown name.
bool PresetOptions(std::string_view name, Options& options);
// The names PresetOptions knows, separated by spaces.
std::string_view PresetNames();

bool ParseEncoding(std::string_view text, Encoding& encoding);
std::string_view EncodingName(Encoding encoding);

}  // namespace tpygen
