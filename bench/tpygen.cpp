#include "tpygen.h"

#include <algorithm>
#include <array>
#include <vector>

#include "platform/Text.h"

namespace tpygen {
namespace {

constexpr unsigned kGbkCodePage = 936;

// splitmix64: fully specified, so a seed gives the same file with every standard library.
class Rng {
 public:
  explicit Rng(uint64_t seed) : state_(seed) {}
  uint64_t Next() {
    uint64_t z = (state_ += 0x9E3779B97F4A7C15ull);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    return z ^ (z >> 31);
  }
  size_t Below(size_t bound) { return bound ? static_cast<size_t>(Next() % bound) : 0; }

 private:
  uint64_t state_;
};

struct Elementary {
  const char* name;
  unsigned bits;
  const char* prefix;  // the naming convention's prefix for variables of the type
};

constexpr std::array<Elementary, 15> kElementary{{
    {"BOOL", 8, "b"},   {"SINT", 8, "n"},   {"USINT", 8, "n"},  {"INT", 16, "n"},
    {"UINT", 16, "n"},  {"DINT", 32, "n"},  {"UDINT", 32, "n"}, {"LINT", 64, "n"},
    {"ULINT", 64, "n"}, {"REAL", 32, "f"},  {"LREAL", 64, "f"}, {"BYTE", 8, "by"},
    {"WORD", 16, "w"},  {"DWORD", 32, "dw"}, {"LWORD", 64, "lw"},
}};

constexpr std::array<const char*, 16> kWords{
    "Motor", "Valve", "Sensor", "Drive", "Pump",  "Axis",   "Conveyor", "Heater",
    "Level", "Flow",  "Speed",  "Alarm", "Limit", "Torque", "Feeder",   "Mixer"};

// Every one of these is a GBK character sequence.
constexpr std::array<const char*, 10> kChineseWords{
    "电机", "温度", "压力", "阀门", "报警", "启动", "停止", "速度", "设定值", "实际值"};

constexpr std::array<const char*, 8> kAsciiWords{
    "value", "of the", "setpoint", "actual", "input", "output", "state", "counter"};

constexpr const char* kAliasName = "T_Counter";
constexpr const char* kAliasTarget = "UDINT";

struct StringType {
  const char* name;
  unsigned bits;
};
constexpr std::array<StringType, 4> kStringTypes{{
    {"STRING(80)", 81 * 8}, {"STRING(20)", 21 * 8}, {"WSTRING(40)", 82 * 8}, {"STRING(255)", 256 * 8}}};

// Shape counts of one type: tree nodes below a node of the type, leaves among them, its bits.
struct Shape {
  size_t nodesBelow = 0;
  size_t leaves = 1;
  size_t bits = 0;
};

class XmlWriter {
 public:
  explicit XmlWriter(bool pretty) : pretty_(pretty) {}

  void Open(const char* name, int level, std::string_view attributes = {}) {
    Indent(level);
    out_ += '<';
    out_ += name;
    out_ += attributes;
    out_ += '>';
    EndLine();
  }
  void Close(const char* name, int level) {
    Indent(level);
    out_ += "</";
    out_ += name;
    out_ += '>';
    EndLine();
  }
  void Leaf(const char* name, int level, std::string_view text, std::string_view attributes = {}) {
    Indent(level);
    out_ += '<';
    out_ += name;
    out_ += attributes;
    out_ += '>';
    out_ += text;
    out_ += "</";
    out_ += name;
    out_ += '>';
    EndLine();
  }
  void Raw(std::string_view text) { out_ += text; }
  std::string& Text() { return out_; }
  size_t Size() const { return out_.size(); }

 private:
  void Indent(int level) {
    if (pretty_) out_.append(static_cast<size_t>(level), '\t');
  }
  void EndLine() {
    if (pretty_) out_ += "\r\n";
  }

  bool pretty_;
  std::string out_;
};

std::string EscapeText(std::string_view text) {
  std::string out;
  out.reserve(text.size() + 8);
  for (char c : text) {
    if (c == '&') out += "&amp;";
    else if (c == '<') out += "&lt;";
    else if (c == '>') out += "&gt;";
    else out += c;
  }
  return out;
}

class Generator {
 public:
  explicit Generator(const Options& options)
      : o_(options), rng_(options.seed), xml_(options.pretty) {
    o_.structWidth = std::max(1u, o_.structWidth);
    o_.nestingDepth = std::max(1u, o_.nestingDepth);
    o_.structFamilies = std::max(1u, o_.structFamilies);
    o_.arrayLength = std::max(1u, o_.arrayLength);
    o_.arrayDims = std::clamp(o_.arrayDims, 1u, 3u);
    o_.programs = std::max<size_t>(1, o_.programs);
  }

  Result Run() {
    WriteHeader();
    WriteDataTypes();
    WriteSymbols();
    xml_.Close("PlcProjectInfo", 0);
    Result result;
    result.stats = stats_;
    result.bytes = Encode(std::move(xml_.Text()));
    result.stats.bytes = result.bytes.size();
    return result;
  }

 private:
  std::string StructName(unsigned family, unsigned level) const {
    return std::string("ST_") + kWords[family % kWords.size()] + std::to_string(family) + "_L" +
           std::to_string(level);
  }

  std::string Bounds() const {
    std::string bounds;
    for (unsigned d = 0; d < o_.arrayDims; ++d) {
      if (d) bounds += ',';
      bounds += "0.." + std::to_string(o_.arrayLength - 1);
    }
    return bounds;
  }
  size_t ArrayElements() const {
    size_t n = 1;
    for (unsigned d = 0; d < o_.arrayDims; ++d) n *= o_.arrayLength;
    return n;
  }
  std::string ArrayName(const std::string& element) const {
    return "ARRAY [" + Bounds() + "] OF " + element;
  }

  std::string Comment() {
    std::string text;
    const bool chinese = rng_.Below(100) < o_.nonAsciiPercent;
    size_t characters = 0;
    while (characters < o_.commentLength) {
      if (!text.empty()) {
        text += ' ';
        ++characters;
      }
      if (chinese && rng_.Below(2) == 0) {
        const std::string_view word = kChineseWords[rng_.Below(kChineseWords.size())];
        text += word;
        characters += word.size() / 3;  // three UTF-8 bytes per character
      } else {
        const std::string_view word = kAsciiWords[rng_.Below(kAsciiWords.size())];
        text += word;
        characters += word.size();
      }
      if (rng_.Below(16) == 0) {
        text += " & <";
        characters += 4;
      }
    }
    return text;
  }

  // Half of the comments as character data sections, as the programming system writes them.
  void WriteComment(int level) {
    if (o_.commentLength == 0) return;
    const std::string text = Comment();
    if (rng_.Below(2) == 0) {
      xml_.Leaf("Comment", level, "<![CDATA[ " + text + " ]]>");
    } else {
      xml_.Leaf("Comment", level, EscapeText(text));
    }
  }

  void WriteHeader() {
    const char* declared = "UTF-8";
    if (o_.encoding == Encoding::Utf16Le) declared = "UTF-16";
    if (o_.encoding == Encoding::Gbk) declared = "GBK";
    xml_.Raw(std::string("<?xml version=\"1.0\" encoding=\"") + declared +
             "\" standalone=\"no\"?>");
    xml_.Raw(o_.pretty ? "\r\n" : "");
    xml_.Raw("<!--Written by the benchmark generator-->");
    xml_.Raw(o_.pretty ? "\r\n" : "");
    xml_.Open("PlcProjectInfo", 0, " xmlns:p=\"http://www.example.com/2002/01/PlcProjectDesc\"");
    xml_.Open("ProjectInfo", 1);
    xml_.Leaf("Path", 2, "C:\\Projects\\Synthetic\\seed" + std::to_string(o_.seed) + ".pro");
    xml_.Leaf("ChangeDate", 2, "2026-01-01T00:00:00");
    xml_.Close("ProjectInfo", 1);
    xml_.Open("RoutingInfo", 1);
    xml_.Open("AdsInfo", 2);
    xml_.Leaf("NetId", 3, "192.168.1.10.1.1");
    xml_.Leaf("Port", 3, "851");
    xml_.Close("AdsInfo", 2);
    xml_.Close("RoutingInfo", 1);
  }

  void WriteStructType(unsigned family, unsigned level) {
    Shape shape;
    shape.nodesBelow = 0;
    shape.leaves = 0;
    struct Member {
      std::string name, type;
      size_t bits;
    };
    std::vector<Member> members;
    for (unsigned j = 0; j < o_.structWidth; ++j) {
      const std::string word = kWords[(family + j) % kWords.size()];
      if (level < o_.nestingDepth && j + 1 == o_.structWidth) {
        const Shape& inner = structShapes_[family][level + 1];
        members.push_back({"st" + word + std::to_string(j), StructName(family, level + 1), inner.bits});
        shape.nodesBelow += 1 + inner.nodesBelow;
        shape.leaves += inner.leaves;
      } else if (j == 1) {
        members.push_back({"n" + word + "Count", kAliasName, 32});
        shape.nodesBelow += 1;
        shape.leaves += 1;
      } else if (j == 2) {
        const StringType& s = kStringTypes[family % kStringTypes.size()];
        members.push_back({"s" + word + "Text", s.name, s.bits});
        shape.nodesBelow += 1;
        shape.leaves += 1;
      } else {
        const Elementary& e = kElementary[(family * 7 + level * 3 + j) % kElementary.size()];
        members.push_back({std::string(e.prefix) + word + std::to_string(j), e.name, e.bits});
        shape.nodesBelow += 1;
        shape.leaves += 1;
      }
      shape.bits += members.back().bits;
    }
    structShapes_[family][level] = shape;

    xml_.Open("DataType", 2);
    xml_.Leaf("Name", 3, StructName(family, level), " Decoration=\"10081EA8\"");
    WriteComment(3);
    xml_.Leaf("BitSize", 3, std::to_string(shape.bits));
    size_t offset = 0;
    for (const Member& m : members) {
      xml_.Open("SubItem", 3);
      xml_.Leaf("Name", 4, m.name);
      xml_.Leaf("Type", 4, m.type);
      xml_.Leaf("BitSize", 4, std::to_string(m.bits));
      xml_.Leaf("BitOffs", 4, std::to_string(offset));
      xml_.Close("SubItem", 3);
      offset += m.bits;
    }
    xml_.Close("DataType", 2);
    ++stats_.dataTypes;
  }

  void WriteArrayType(const std::string& element, size_t elementBits) {
    xml_.Open("DataType", 2);
    xml_.Leaf("Name", 3, ArrayName(element), " Decoration=\"20014695\"");
    xml_.Leaf("Type", 3, element);
    xml_.Leaf("BitSize", 3, std::to_string(elementBits * ArrayElements()));
    for (unsigned d = 0; d < o_.arrayDims; ++d) {
      xml_.Open("ArrayInfo", 3);
      xml_.Leaf("LBound", 4, "0");
      xml_.Leaf("Elements", 4, std::to_string(o_.arrayLength));
      xml_.Close("ArrayInfo", 3);
    }
    xml_.Close("DataType", 2);
    ++stats_.dataTypes;
  }

  void WriteDataTypes() {
    xml_.Open("DataTypes", 1);
    xml_.Open("DataType", 2);
    xml_.Leaf("Name", 3, kAliasName);
    xml_.Leaf("Type", 3, kAliasTarget);
    xml_.Leaf("BitSize", 3, "32");
    xml_.Close("DataType", 2);
    ++stats_.dataTypes;

    structShapes_.assign(o_.structFamilies, std::vector<Shape>(o_.nestingDepth + 1));
    for (unsigned f = 0; f < o_.structFamilies; ++f) {
      for (unsigned level = o_.nestingDepth; level >= 1; --level) WriteStructType(f, level);
    }
    for (const Elementary& e : kElementary) WriteArrayType(e.name, e.bits);
    for (unsigned f = 0; f < o_.structFamilies; ++f) {
      WriteArrayType(StructName(f, 1), structShapes_[f][1].bits);
    }
    xml_.Close("DataTypes", 1);
  }

  enum class Kind { Elementary, Struct, Array, ArrayOfStruct, String };

  Kind PickKind() {
    size_t roll = rng_.Below(100);
    const std::array<std::pair<unsigned, Kind>, 4> shares{{{o_.structPercent, Kind::Struct},
                                                           {o_.arrayPercent, Kind::Array},
                                                           {o_.arrayOfStructPercent, Kind::ArrayOfStruct},
                                                           {o_.stringPercent, Kind::String}}};
    for (const auto& [share, kind] : shares) {
      if (roll < share) return kind;
      roll -= share;
    }
    return Kind::Elementary;
  }

  void WriteSymbol(size_t index) {
    const size_t program = index % o_.programs;
    if (program >= programsUsed_) programsUsed_ = program + 1;
    const std::string word = kWords[rng_.Below(kWords.size())];
    std::string name = "PRG_" + std::string(kWords[program % kWords.size()]) + std::to_string(program) + ".";
    std::string type;
    size_t bits = 0;
    Shape shape;
    switch (PickKind()) {
      case Kind::Elementary: {
        const Elementary& e = kElementary[rng_.Below(kElementary.size())];
        name += e.prefix;
        type = e.name;
        bits = e.bits;
        break;
      }
      case Kind::String: {
        const StringType& s = kStringTypes[rng_.Below(kStringTypes.size())];
        name += "s";
        type = s.name;
        bits = s.bits;
        break;
      }
      case Kind::Struct: {
        const unsigned family = static_cast<unsigned>(rng_.Below(o_.structFamilies));
        name += "fb";
        type = StructName(family, 1);
        shape = structShapes_[family][1];
        bits = shape.bits;
        break;
      }
      case Kind::Array: {
        const Elementary& e = kElementary[rng_.Below(kElementary.size())];
        name += "a";
        type = ArrayName(e.name);
        shape.nodesBelow = ArrayElements();
        shape.leaves = ArrayElements();
        bits = e.bits * ArrayElements();
        break;
      }
      case Kind::ArrayOfStruct: {
        const unsigned family = static_cast<unsigned>(rng_.Below(o_.structFamilies));
        const Shape& element = structShapes_[family][1];
        name += "ast";
        type = ArrayName(StructName(family, 1));
        shape.nodesBelow = ArrayElements() * (1 + element.nodesBelow);
        shape.leaves = ArrayElements() * element.leaves;
        bits = element.bits * ArrayElements();
        break;
      }
    }
    name += word + std::to_string(index);

    xml_.Open("Symbol", 2);
    xml_.Leaf("Name", 3, name);
    xml_.Leaf("Type", 3, type);
    WriteComment(3);
    xml_.Leaf("IGroup", 3, "16448");
    xml_.Leaf("IOffset", 3, std::to_string(offset_));
    xml_.Leaf("BitSize", 3, std::to_string(bits));
    xml_.Close("Symbol", 2);
    offset_ += (bits + 7) / 8;

    ++stats_.symbols;
    stats_.treeNodes += 1 + shape.nodesBelow;
    stats_.leaves += shape.leaves;
  }

  void WriteSymbols() {
    xml_.Open("Symbols", 1);
    size_t index = 0;
    while (index < o_.symbols || (o_.targetBytes && xml_.Size() < o_.targetBytes)) {
      WriteSymbol(index++);
    }
    xml_.Close("Symbols", 1);
    stats_.treeNodes += 1 + programsUsed_;  // the root and one node per program
  }

  std::string Encode(std::string utf8) const {
    switch (o_.encoding) {
      case Encoding::Utf8:
        return utf8;
      case Encoding::Utf8Bom:
        return "\xEF\xBB\xBF" + utf8;
      case Encoding::Utf16Le: {
        const std::u16string wide = platform::Utf8ToWide(utf8);
        std::string out("\xFF\xFE", 2);
        out.reserve(2 + wide.size() * 2);
        for (char16_t unit : wide) {
          out += static_cast<char>(unit & 0xFF);
          out += static_cast<char>(unit >> 8);
        }
        return out;
      }
      case Encoding::Gbk:
        return platform::WideToMultiByte(kGbkCodePage, platform::Utf8ToWide(utf8));
    }
    return utf8;
  }

  Options o_;
  Rng rng_;
  XmlWriter xml_;
  Stats stats_;
  std::vector<std::vector<Shape>> structShapes_;  // [family][level]
  size_t programsUsed_ = 0;
  size_t offset_ = 0;
};

struct Preset {
  std::string_view name;
  void (*apply)(Options&);
};

constexpr size_t kMegabyte = 1000 * 1000;

const std::array<Preset, 8> kPresets{{
    // Typical project files of 1, 10 and 100 MB.
    {"xml-1mb", [](Options& o) { o.symbols = 0; o.targetBytes = 1 * kMegabyte; }},
    {"xml-10mb", [](Options& o) { o.symbols = 0; o.targetBytes = 10 * kMegabyte; }},
    {"xml-100mb", [](Options& o) { o.symbols = 0; o.targetBytes = 100 * kMegabyte; }},
    // 100,000 symbols, mostly elementary, a few structures.
    {"symbols-100k",
     [](Options& o) {
       o.symbols = 100000;
       o.programs = 50;
       o.structPercent = 2;
       o.arrayPercent = 0;
       o.arrayOfStructPercent = 0;
       o.stringPercent = 5;
       o.commentLength = 30;
     }},
    // One symbol: an array of 10,000 structures of 10 members.
    {"array-10k-structs",
     [](Options& o) {
       o.symbols = 1;
       o.programs = 1;
       o.structWidth = 10;
       o.nestingDepth = 1;
       o.structFamilies = 1;
       o.arrayLength = 10000;
       o.arrayDims = 1;
       o.structPercent = 0;
       o.arrayPercent = 0;
       o.arrayOfStructPercent = 100;
       o.stringPercent = 0;
     }},
    // About 100 MB that yield about 1,000,000 tree nodes.
    {"tree-1m",
     [](Options& o) {
       o.symbols = 0;
       o.targetBytes = 100 * kMegabyte;
       o.programs = 100;
       o.structWidth = 6;
       o.nestingDepth = 2;
       o.arrayLength = 8;
       o.structPercent = 12;
       o.arrayPercent = 13;
       o.arrayOfStructPercent = 0;
       o.stringPercent = 10;
       o.commentLength = 120;
     }},
    // Small shapes for tests and quick runs.
    {"small", [](Options& o) { o.symbols = 200; }},
    {"deep",
     [](Options& o) {
       o.symbols = 2000;
       o.structWidth = 4;
       o.nestingDepth = 12;
       o.arrayDims = 3;
       o.arrayLength = 4;
     }},
}};

}  // namespace

Result Generate(const Options& options) { return Generator(options).Run(); }

bool PresetOptions(std::string_view name, Options& options) {
  for (const Preset& preset : kPresets) {
    if (preset.name == name) {
      preset.apply(options);
      return true;
    }
  }
  return false;
}

std::string_view PresetNames() {
  return "xml-1mb xml-10mb xml-100mb symbols-100k array-10k-structs tree-1m small deep";
}

bool ParseEncoding(std::string_view text, Encoding& encoding) {
  if (text == "utf8") encoding = Encoding::Utf8;
  else if (text == "utf8bom") encoding = Encoding::Utf8Bom;
  else if (text == "utf16le") encoding = Encoding::Utf16Le;
  else if (text == "gbk") encoding = Encoding::Gbk;
  else return false;
  return true;
}

std::string_view EncodingName(Encoding encoding) {
  switch (encoding) {
    case Encoding::Utf8: return "utf8";
    case Encoding::Utf8Bom: return "utf8bom";
    case Encoding::Utf16Le: return "utf16le";
    case Encoding::Gbk: return "gbk";
  }
  return "utf8";
}

}  // namespace tpygen
