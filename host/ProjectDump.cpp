#include "ProjectDump.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "platform/Text.h"

namespace adshost {
namespace {

constexpr uint32_t kMagic = 40000;
constexpr uint64_t kRunBufferHeader = 16;
constexpr uint64_t kBlockHeader = 20;
constexpr uint64_t kSectionEntry = 12;
constexpr uint64_t kPropertyRecordHeader = 16;

// A bounded view of the file: every read checks against the end of its region.
class Region {
 public:
  Region(const std::vector<uint8_t>& bytes, uint64_t begin, uint64_t end) : bytes_(bytes), begin_(begin), end_(end) {}
  uint64_t begin() const { return begin_; }
  uint64_t end() const { return end_; }
  uint64_t size() const { return end_ - begin_; }
  bool Has(uint64_t at, uint64_t n) const { return at >= begin_ && at <= end_ && n <= end_ - at; }
  bool U32(uint64_t at, uint32_t& value) const {
    if (!Has(at, 4)) return false;
    const uint8_t* p = bytes_.data() + at;
    value = static_cast<uint32_t>(p[0]) | static_cast<uint32_t>(p[1]) << 8 | static_cast<uint32_t>(p[2]) << 16 |
            static_cast<uint32_t>(p[3]) << 24;
    return true;
  }
  bool Bytes(uint64_t at, uint64_t n, std::string& text) const {
    if (!Has(at, n)) return false;
    text.assign(reinterpret_cast<const char*>(bytes_.data() + at), n);
    return true;
  }
  // A zero-terminated text within [at, at + limit).
  bool ZeroText(uint64_t at, uint64_t limit, std::string& text) const {
    if (!Has(at, 0)) return false;
    const uint64_t stop = at + std::min(limit, end_ - at);
    for (uint64_t i = at; i < stop; ++i)
      if (bytes_[i] == 0) return Bytes(at, i - at, text);
    return false;
  }
  const std::vector<uint8_t>& bytes() const { return bytes_; }

 private:
  const std::vector<uint8_t>& bytes_;
  uint64_t begin_;
  uint64_t end_;
};

// A reader that moves forward through a region (for the type-node table).
class Cursor {
 public:
  explicit Cursor(const Region& region) : region_(region), at_(region.begin()) {}
  uint64_t at() const { return at_; }
  bool U8(uint8_t& value) {
    if (!region_.Has(at_, 1)) return false;
    value = region_.bytes()[at_++];
    return true;
  }
  bool U32(uint32_t& value) {
    if (!region_.U32(at_, value)) return false;
    at_ += 4;
    return true;
  }
  bool Text(std::string& text) {
    uint32_t count = 0;
    if (!region_.U32(at_, count) || !region_.Bytes(at_ + 4, count, text)) return false;
    at_ += 4 + static_cast<uint64_t>(count);
    return true;
  }

 private:
  const Region& region_;
  uint64_t at_;
};

std::string Utf8(const std::string& ansi) { return platform::WideToUtf8(platform::AnsiToWide(ansi)); }

class Decoder {
 public:
  explicit Decoder(const std::vector<uint8_t>& bytes) : bytes_(bytes) {}

  DumpReport Run() {
    RunBuffer();
    return std::move(report_);
  }

 private:
  DumpEntry& Add(std::string kind, uint64_t offset) {
    report_.entries.push_back({std::move(kind), offset, {}});
    return report_.entries.back();
  }
  bool Damage(uint64_t offset, std::string what) {
    if (!report_.damage) report_.damage = DumpDamage{offset, std::move(what)};
    return false;
  }
  static void Field(DumpEntry& entry, std::string key, std::string value) {
    entry.fields.emplace_back(std::move(key), std::move(value));
  }

  void RunBuffer() {
    const Region file(bytes_, 0, bytes_.size());
    if (bytes_.empty()) {
      Add("empty", 0);
      return;
    }
    uint32_t payload = 0, format = 0, deviceLength = 0, namesLength = 0;
    if (!file.U32(0, payload) || !file.U32(4, format) || !file.U32(8, deviceLength) || !file.U32(12, namesLength)) {
      Damage(0, "run-buffer header needs 16 bytes, the file has " + std::to_string(bytes_.size()));
      return;
    }
    auto& header = Add("run-buffer", 0);
    Field(header, "payload", std::to_string(payload));
    Field(header, "format", std::to_string(format));
    Field(header, "deviceData", std::to_string(deviceLength));
    Field(header, "tagNames", std::to_string(namesLength));
    if (format != 2) return void(Damage(4, "format word is " + std::to_string(format) + ", not 2"));
    if (static_cast<uint64_t>(payload) != static_cast<uint64_t>(deviceLength) + namesLength)
      return void(Damage(0, "payload length is not device data + tag-name block"));
    if (!file.Has(kRunBufferHeader, deviceLength))
      return void(Damage(kRunBufferHeader, "device data of " + std::to_string(deviceLength) + " bytes runs past the end"));
    if (deviceLength != 0 && !DeviceData(Region(bytes_, kRunBufferHeader, kRunBufferHeader + deviceLength))) return;
    const uint64_t namesAt = kRunBufferHeader + deviceLength;
    if (!TagNames(file, namesAt, namesLength)) return;
    Surplus(namesAt + 4 + namesLength);
  }

  bool DeviceData(const Region& block) {
    const uint64_t b = block.begin();
    uint32_t magic = 0, total = 0, reserved = 0, count = 0, tableOffset = 0;
    if (!block.U32(b, magic) || !block.U32(b + 4, total) || !block.U32(b + 8, reserved) ||
        !block.U32(b + 12, count) || !block.U32(b + 16, tableOffset))
      return Damage(b, "device data needs a 20-byte header");
    auto& header = Add("device-data", b);
    Field(header, "magic", std::to_string(magic));
    Field(header, "size", std::to_string(total));
    Field(header, "sections", std::to_string(count));
    Field(header, "table", std::to_string(tableOffset));
    if (magic != kMagic) return Damage(b, "device data magic is " + std::to_string(magic) + ", not 40000");
    if (total != block.size()) return Damage(b + 4, "device data size field differs from its length");
    if (static_cast<uint64_t>(tableOffset) + kSectionEntry * count != total || tableOffset < kBlockHeader)
      return Damage(b + 16, "section table does not end at the block's end");
    for (uint32_t i = 0; i < count; ++i)
      if (!Section(block, b + tableOffset + kSectionEntry * i, b + tableOffset)) return false;
    return true;
  }

  bool Section(const Region& block, uint64_t entryAt, uint64_t tableAt) {
    uint32_t number = 0, offset = 0, length = 0;
    block.U32(entryAt, number);
    block.U32(entryAt + 4, offset);
    block.U32(entryAt + 8, length);
    auto& entry = Add("section", entryAt);
    Field(entry, "number", std::to_string(number));
    Field(entry, "offset", std::to_string(offset));
    Field(entry, "length", std::to_string(length));
    const uint64_t begin = block.begin() + offset;
    if (offset < kBlockHeader || begin > tableAt || length > tableAt - begin)
      return Damage(entryAt, "section " + std::to_string(number) + " lies outside the section data");
    const Region section(bytes_, begin, begin + length);
    if (number == 1) return Properties(section);
    if (number == 99) return VersionWords(section);
    if (number == 100) return TypeNodes(section);
    return true;
  }

  bool VersionWords(const Region& section) {
    uint32_t reserved = 0, version = 0;
    if (!section.U32(section.begin(), reserved) || !section.U32(section.begin() + 4, version))
      return Damage(section.begin(), "section 99 needs two words");
    auto& entry = Add("data-version", section.begin());
    Field(entry, "reserved", std::to_string(reserved));
    Field(entry, "dataVersion", std::to_string(version));
    return true;
  }

  bool Properties(const Region& section) {
    const uint64_t b = section.begin();
    uint32_t magic = 0, count = 0, total = 0, reserved = 0, tableOffset = 0;
    if (!section.U32(b, magic) || !section.U32(b + 4, count) || !section.U32(b + 8, total) ||
        !section.U32(b + 12, reserved) || !section.U32(b + 16, tableOffset))
      return Damage(b, "property data needs a 20-byte header");
    auto& header = Add("property-data", b);
    Field(header, "magic", std::to_string(magic));
    Field(header, "records", std::to_string(count));
    Field(header, "size", std::to_string(total));
    Field(header, "table", std::to_string(tableOffset));
    if (magic != kMagic) return Damage(b, "property data magic is " + std::to_string(magic) + ", not 40000");
    if (total > section.size()) return Damage(b + 8, "property data size runs past its section");
    const Region data(bytes_, b, b + total);
    if (!data.Has(b + tableOffset, 4ull * count)) return Damage(b + 16, "record table runs past the property data");
    for (uint32_t i = 0; i < count; ++i) {
      uint32_t recordOffset = 0;
      data.U32(b + tableOffset + 4ull * i, recordOffset);
      if (!PropertyRecord(data, b + recordOffset)) return false;
    }
    return true;
  }

  bool PropertyRecord(const Region& data, uint64_t r) {
    uint32_t length = 0, tag = 0, version = 0, valueOffset = 0;
    if (!data.U32(r, length) || !data.U32(r + 4, tag) || !data.U32(r + 8, version) ||
        !data.U32(r + 12, valueOffset))
      return Damage(r, "property record header runs past the property data");
    std::string name;
    if (valueOffset < kPropertyRecordHeader || !data.ZeroText(r + 16, valueOffset - kPropertyRecordHeader, name))
      return Damage(r + 16, "property name is not terminated before its value");
    std::string value;
    if (!PropertyValue(data, r, tag, length, valueOffset, value)) return false;
    auto& entry = Add("property", r);
    Field(entry, "name", Utf8(name));
    Field(entry, "tag", std::to_string(tag));
    Field(entry, "version", std::to_string(version));
    Field(entry, "value", value);
    return true;
  }

  bool PropertyValue(const Region& data, uint64_t r, uint32_t tag, uint32_t length, uint32_t valueOffset,
                     std::string& value) {
    const uint64_t at = r + valueOffset;
    if (tag == 0 || tag == 1 || tag == 4) {
      uint32_t number = 0;
      if (!data.U32(at, number)) return Damage(at, "property value runs past the property data");
      value = std::to_string(number);
      return true;
    }
    if (tag == 2) {
      std::string raw;
      if (!data.Bytes(at, 8, raw)) return Damage(at, "property value runs past the property data");
      double number = 0;
      std::memcpy(&number, raw.data(), 8);
      char buffer[64];
      std::snprintf(buffer, sizeof buffer, "%.17g", number);
      value = buffer;
      return true;
    }
    if (tag == 3) {
      if (length < valueOffset || !data.ZeroText(at, length - valueOffset, value))
        return Damage(at, "property text is not terminated inside its record");
      value = Utf8(value);
      return true;
    }
    return Damage(r + 4, "unknown property value tag " + std::to_string(tag));
  }

  bool TypeNodes(const Region& section) {
    Cursor in(section);
    std::string root;
    uint32_t count = 0;
    if (!in.Text(root) || !in.U32(count)) return Damage(section.begin(), "type-node table needs a root name and a count");
    auto& header = Add("type-table", section.begin());
    Field(header, "root", Utf8(root));
    Field(header, "nodes", std::to_string(count));
    for (uint32_t i = 0; i < count; ++i)
      if (!TypeNode(in)) return false;
    return true;
  }

  bool TypeNode(Cursor& in) {
    const uint64_t at = in.at();
    uint8_t tag = 0;
    uint32_t code = 0, size = 0, mode = 0;
    std::string name, comment;
    if (!in.U8(tag) || !in.U32(code) || !in.Text(name) || !in.Text(comment) || !in.U32(size) || !in.U32(mode))
      return Damage(at, "type node is cut off");
    auto& entry = Add(tag == 1 ? "array-type" : tag == 2 ? "struct-type" : "type", at);
    Field(entry, "code", std::to_string(code));
    Field(entry, "name", Utf8(name));
    Field(entry, "size", std::to_string(size));
    Field(entry, "mode", std::to_string(mode));
    Field(entry, "comment", Utf8(comment));
    if (tag == 1) return ArrayPart(in, entry);
    if (tag == 2) return StructPart(in);
    return true;
  }

  bool ArrayPart(Cursor& in, DumpEntry& entry) {
    const uint64_t at = in.at();
    std::string element;
    uint32_t dimensions = 0;
    if (!in.Text(element) || !in.U32(dimensions)) return Damage(at, "array type is cut off");
    Field(entry, "element", Utf8(element));
    std::string bounds;
    for (uint32_t d = 0; d < dimensions; ++d) {
      uint32_t lower = 0, upper = 0;
      if (!in.U32(lower) || !in.U32(upper)) return Damage(in.at(), "array bounds are cut off");
      bounds += (d ? "," : "") + std::to_string(lower) + ".." + std::to_string(upper);
    }
    Field(entry, "bounds", bounds);
    return true;
  }

  bool StructPart(Cursor& in) {
    uint32_t members = 0;
    if (!in.U32(members)) return Damage(in.at(), "member count is cut off");
    for (uint32_t m = 0; m < members; ++m) {
      const uint64_t at = in.at();
      std::string name, type, comment;
      uint32_t index = 0;
      if (!in.Text(name) || !in.Text(type) || !in.Text(comment) || !in.U32(index))
        return Damage(at, "structure member is cut off");
      auto& entry = Add("member", at);
      Field(entry, "index", std::to_string(index));
      Field(entry, "name", Utf8(name));
      Field(entry, "type", Utf8(type));
      Field(entry, "comment", Utf8(comment));
    }
    return true;
  }

  bool TagNames(const Region& file, uint64_t at, uint32_t blockLength) {
    uint32_t count = 0;
    if (!file.U32(at, count)) return Damage(at, "tag-name count runs past the end");
    if (!file.Has(at + 4, blockLength)) return Damage(at + 4, "tag-name block runs past the end");
    auto& header = Add("channels", at);
    Field(header, "count", std::to_string(count));
    const Region block(bytes_, at + 4, at + 4 + blockLength);
    uint64_t p = block.begin();
    for (uint32_t i = 0; i < count; ++i) {
      uint32_t length = 0;
      std::string name;
      if (!block.U32(p, length) || !block.Bytes(p + 4, length, name))
        return Damage(p, "tag name " + std::to_string(i) + " runs past the tag-name block");
      auto& entry = Add("channel", p);
      Field(entry, "index", std::to_string(i));
      Field(entry, "name", Utf8(name));
      p += 4 + static_cast<uint64_t>(length);
    }
    if (p != block.end()) return Damage(p, "tag-name block has bytes after its last name");
    return true;
  }

  void Surplus(uint64_t at) {
    if (at >= bytes_.size()) return;
    uint64_t nonZero = 0;
    for (uint64_t i = at; i < bytes_.size(); ++i) nonZero += bytes_[i] != 0;
    auto& entry = Add("surplus", at);
    Field(entry, "bytes", std::to_string(bytes_.size() - at));
    Field(entry, "nonZero", std::to_string(nonZero));
  }

  const std::vector<uint8_t>& bytes_;
  DumpReport report_;
};

std::string JsonString(const std::string& text) {
  std::string out = "\"";
  for (unsigned char c : text) {
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

}  // namespace

DumpReport DecodeProject(const std::vector<uint8_t>& bytes) { return Decoder(bytes).Run(); }

std::string FormatText(const DumpReport& report) {
  std::string out;
  for (const auto& entry : report.entries) {
    out += entry.kind + '\t' + std::to_string(entry.offset);
    for (const auto& [key, value] : entry.fields) out += '\t' + key + '=' + value;
    out += '\n';
  }
  if (report.damage) out += "DAMAGE\t" + std::to_string(report.damage->offset) + '\t' + report.damage->what + '\n';
  return out;
}

std::string FormatJson(const DumpReport& report) {
  std::string out = "{\"entries\":[";
  for (size_t i = 0; i < report.entries.size(); ++i) {
    const auto& entry = report.entries[i];
    out += (i ? ",\n" : "\n") + std::string("{\"kind\":") + JsonString(entry.kind) +
           ",\"offset\":" + std::to_string(entry.offset);
    for (const auto& [key, value] : entry.fields) out += ',' + JsonString(key) + ':' + JsonString(value);
    out += '}';
  }
  out += "\n],\"damage\":";
  if (report.damage) {
    out += "{\"offset\":" + std::to_string(report.damage->offset) + ",\"what\":" + JsonString(report.damage->what) + '}';
  } else {
    out += "null";
  }
  return out + "}\n";
}

}  // namespace adshost
