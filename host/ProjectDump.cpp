#include "ProjectDump.h"

#include <algorithm>
#include <cstdio>
#include <unordered_map>

#include "device/SavedFormat.h"
#include "ReportLines.h"
#include "platform/Text.h"

namespace adshost {
namespace {

using Region = utils::ByteSpan;
using Cursor = utils::ByteCursor;

std::string Utf8(const std::string& ansi) { return platform::WideToUtf8(platform::AnsiToWide(ansi)); }

// What the device does when it loads the file, per kind of damage.
constexpr const char* kNothingLoads = "the device starts with default properties, no data types and no channels";
constexpr const char* kDefaultProperties = "the device applies no property record: every property keeps its default";
constexpr const char* kRecordSkipped = "the device skips this record: its property keeps its default value";
constexpr const char* kTextCut = "the device takes the text only up to the record's end";
constexpr const char* kReimport = "the device asks for the tags to be imported again; generate is refused until then";
constexpr const char* kNoTypes =
    "the device starts with no data types: no channel names a known tag until the tags are imported again";
constexpr const char* kTypesCut =
    "the device loses the data types from this node on: channels whose tags need them name no known tag until the "
    "tags are imported again";

std::string Names(uint64_t count) { return std::to_string(count) + (count == 1 ? " channel name" : " channel names"); }

// How many names the device reads after the device data: it reads none when the tag-name
// block length is 0, else the counted names from the file as far as they go.
uint64_t NamesTheDeviceReads(const Region& file, const saved::RunBufferHeader& run) {
  uint64_t at = saved::RunBufferNamesAt(run);
  uint32_t count = 0;
  if (run.namesLength == 0 || !file.U32(at, count)) return 0;
  at += 4;
  uint64_t read = 0;
  saved::ReadTagNames(file, at, count, [&read](uint64_t, std::string) { ++read; });
  return read;
}

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
  // Damage that costs the device data: decoding stops here.
  bool Damage(uint64_t offset, std::string what, std::string consequence) {
    report_.damage.push_back({offset, std::move(what), std::move(consequence)});
    return false;
  }
  // Damage that the device reads past as the data stands: decoding goes on.
  bool Note(uint64_t offset, std::string what) {
    report_.damage.push_back({offset, std::move(what), {}});
    return true;
  }
  std::string Refused() const {
    std::string text = std::string("device data refused: ") + kNothingLoads;
    if (namesAfter_) text += ", losing the " + Names(namesAfter_) + " after it";
    return text;
  }
  std::string NoSections() const {
    std::string text = "the device reads no section: it starts with default properties and no data types and asks "
                       "for the tags to be imported again";
    if (namesAfter_) text += "; the " + Names(namesAfter_) + " name no known tag";
    return text;
  }
  static void Field(DumpEntry& entry, std::string key, std::string value) {
    entry.fields.emplace_back(std::move(key), std::move(value));
  }

  void RunBuffer() {
    const Region file(bytes_.data(), bytes_.size());
    if (bytes_.empty()) {
      Add("empty", 0);
      return;
    }
    saved::RunBufferHeader run;
    if (!saved::ReadRunBufferHeader(file, run)) {
      Damage(0, "run-buffer header needs 16 bytes, the file has " + std::to_string(bytes_.size()), kNothingLoads);
      return;
    }
    auto& header = Add("run-buffer", 0);
    Field(header, "payload", std::to_string(run.payload));
    Field(header, "format", std::to_string(run.format));
    Field(header, "deviceData", std::to_string(run.deviceLength));
    Field(header, "tagNames", std::to_string(run.namesLength));
    if (run.format != saved::kRunBufferFormat) Note(4, "format word is " + std::to_string(run.format) + ", not 2");
    if (uint64_t{run.payload} != uint64_t{run.deviceLength} + run.namesLength)
      Note(0, "payload length is not device data + tag-name block");
    if (!file.Has(saved::kRunBufferHeaderSize, run.deviceLength))
      return void(Damage(saved::kRunBufferHeaderSize,
                         "device data of " + std::to_string(run.deviceLength) + " bytes runs past the end",
                         kNothingLoads));
    namesAfter_ = NamesTheDeviceReads(file, run);
    if (run.deviceLength != 0 && !DeviceData(file.Sub(saved::kRunBufferHeaderSize, run.deviceLength))) return;
    TagNames(file, saved::RunBufferNamesAt(run), run.namesLength);
  }

  bool DeviceData(const Region& block) {
    const uint64_t b = block.begin();
    saved::DeviceDataHeader data;
    if (!saved::ReadDeviceDataHeader(block, data)) return Damage(b, "device data needs a 20-byte header", Refused());
    auto& header = Add("device-data", b);
    Field(header, "magic", std::to_string(data.magic));
    Field(header, "size", std::to_string(data.totalSize));
    Field(header, "sections", std::to_string(data.sectionCount));
    Field(header, "table", std::to_string(data.tableOffset));
    if (data.magic != saved::kMagic)
      return Damage(b, "device data magic is " + std::to_string(data.magic) + ", not 40000", Refused());
    if (data.totalSize != block.size()) return Damage(b + 4, "device data size field differs from its length", Refused());
    if (!saved::SectionTableFits(data) || data.tableOffset < saved::kBlockHeaderSize)
      return Damage(b + 16, "section table does not end at the block's end", NoSections());
    const uint64_t tableAt = b + data.tableOffset;
    const auto entries = saved::ReadSectionTable(block, data);
    // The device's section directory is keyed by number: of two entries with one number, the
    // later replaces the earlier, which the device never reads.
    std::unordered_map<uint32_t, size_t> last;
    for (size_t i = 0; i < entries.size(); ++i) last[entries[i].number] = i;
    for (size_t i = 0; i < entries.size(); ++i) {
      const uint64_t entryAt = tableAt + saved::kSectionEntrySize * i;
      if (const size_t used = last[entries[i].number]; used != i) {
        ListSection(entries[i], entryAt);
        Note(entryAt, "section " + std::to_string(entries[i].number) + " appears again in the section table at " +
                          std::to_string(tableAt + saved::kSectionEntrySize * used) +
                          ": the device reads only that last entry");
      } else if (!Section(block, entries[i], entryAt, tableAt)) {
        return false;
      }
    }
    return true;
  }

  void ListSection(const saved::SectionEntry& section, uint64_t entryAt) {
    auto& entry = Add("section", entryAt);
    Field(entry, "number", std::to_string(section.number));
    Field(entry, "offset", std::to_string(section.offset));
    Field(entry, "length", std::to_string(section.length));
  }

  bool Section(const Region& block, const saved::SectionEntry& section, uint64_t entryAt, uint64_t tableAt) {
    ListSection(section, entryAt);
    const uint64_t begin = block.begin() + section.offset;
    if (section.offset < saved::kBlockHeaderSize || begin > tableAt || section.length > tableAt - begin) {
      const std::string what = "section " + std::to_string(section.number) + " lies outside the section data";
      if (section.number == saved::kSectionProperties) return Damage(entryAt, what, kDefaultProperties);
      if (section.number == saved::kSectionVersion) return Damage(entryAt, what, kReimport);
      if (section.number == saved::kSectionDataTypes) return Damage(entryAt, what, kNoTypes);
      return Note(entryAt, what);  // the device reads no other section
    }
    const Region bytes = block.Sub(begin, section.length);
    if (section.number == saved::kSectionProperties) return Properties(bytes);
    if (section.number == saved::kSectionVersion) return VersionWords(bytes);
    if (section.number == saved::kSectionDataTypes) return TypeNodes(bytes);
    return true;
  }

  bool VersionWords(const Region& section) {
    uint32_t reserved = 0, version = 0;
    if (!section.U32(section.begin(), reserved) || !section.U32(section.begin() + 4, version))
      return Damage(section.begin(), "section 99 needs two words", kReimport);
    auto& entry = Add("data-version", section.begin());
    Field(entry, "reserved", std::to_string(reserved));
    Field(entry, "dataVersion", std::to_string(version));
    return true;
  }

  bool Properties(const Region& section) {
    const uint64_t b = section.begin();
    saved::PropertyDataHeader data;
    if (!saved::ReadPropertyDataHeader(section, data))
      return Damage(b, "property data needs a 20-byte header", kDefaultProperties);
    auto& header = Add("property-data", b);
    Field(header, "magic", std::to_string(data.magic));
    Field(header, "records", std::to_string(data.recordCount));
    Field(header, "size", std::to_string(data.totalSize));
    Field(header, "table", std::to_string(data.tableOffset));
    if (data.magic != saved::kMagic)
      return Damage(b, "property data magic is " + std::to_string(data.magic) + ", not 40000", kDefaultProperties);
    if (data.totalSize > section.size())
      return Damage(b + 8, "property data size runs past its section", kDefaultProperties);
    const Region block = section.Sub(b, data.totalSize);
    if (!block.Has(b + data.tableOffset, 4ull * data.recordCount))
      return Damage(b + 16, "record table runs past the property data", kDefaultProperties);
    for (uint32_t i = 0; i < data.recordCount; ++i) {
      uint32_t recordOffset = 0;
      block.U32(b + data.tableOffset + 4ull * i, recordOffset);
      if (!PropertyRecord(block, b + recordOffset)) return false;
    }
    return true;
  }

  bool PropertyRecord(const Region& data, uint64_t r) {
    saved::PropertyRecord record;
    const saved::RecordFault fault = saved::ReadPropertyRecord(data, r, record);
    const uint32_t tag = record.header.valueTag;
    const uint64_t value = r + record.header.valueOffset;
    if (fault == saved::RecordFault::Header)
      return Damage(r, "property record header runs past the property data", kRecordSkipped);
    if (fault == saved::RecordFault::Name || !record.nameTerminated)
      return Damage(r + saved::kRecordHeaderSize, "property name is not terminated before its value", kRecordSkipped);
    if (fault == saved::RecordFault::UnknownTag)
      return Damage(r + 4, "unknown property value tag " + std::to_string(tag), kRecordSkipped);
    if (tag == saved::kTagString && fault == saved::RecordFault::Value)
      return Damage(value, "property text lies outside its record", kRecordSkipped);
    if (tag == saved::kTagString && !record.textTerminated)
      return Damage(value, "property text is not terminated inside its record", kTextCut);
    if (fault == saved::RecordFault::Value)
      return Damage(value, "property value runs past the property data", kRecordSkipped);
    if (record.header.version != saved::kPropertyVersion)
      return Damage(r + 8, "property record version is " + std::to_string(record.header.version) + ", not 20000",
                    "the device ignores this record: " + Utf8(record.name) + " keeps its default value");
    auto& entry = Add("property", r);
    Field(entry, "name", Utf8(record.name));
    Field(entry, "tag", std::to_string(tag));
    Field(entry, "version", std::to_string(record.header.version));
    Field(entry, "value", ValueText(record));
    return true;
  }

  static std::string ValueText(const saved::PropertyRecord& record) {
    if (record.header.valueTag == saved::kTagString) return Utf8(record.text);
    if (record.header.valueTag != saved::kTagDouble) return std::to_string(record.number);
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "%.17g", record.real);
    return buffer;
  }

  bool TypeNodes(const Region& section) {
    Cursor in(section);
    std::string root;
    uint32_t count = 0;
    if (!saved::ReadTypeTableHead(in, root, count))
      return Damage(section.begin(), "type-node table needs a root name and a count", kNoTypes);
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
    saved::TypeNodeRecord node;
    const bool whole = in.U8(tag) && saved::ReadTypeNode(in, tag, node);
    if (!whole && (node.cut == saved::NodeCut::None || node.cut == saved::NodeCut::Head))
      return Damage(at, "type node is cut off", kTypesCut);
    auto& entry = Add(tag == saved::kNodeArray ? "array-type" : tag == saved::kNodeStruct ? "struct-type" : "type", at);
    Field(entry, "code", std::to_string(node.code));
    Field(entry, "name", Utf8(node.name));
    Field(entry, "size", std::to_string(node.size));
    Field(entry, "mode", std::to_string(node.mode));
    Field(entry, "comment", Utf8(node.comment));
    if (tag == saved::kNodeArray) {
      if (node.cut == saved::NodeCut::ArrayHead) return Damage(node.cutAt, "array type is cut off", kTypesCut);
      Field(entry, "element", Utf8(node.element));
      if (node.cut == saved::NodeCut::Bounds) return Damage(node.cutAt, "array bounds are cut off", kTypesCut);
      std::string bounds;
      for (const auto& [lower, upper] : node.bounds)
        bounds += (bounds.empty() ? "" : ",") + std::to_string(lower) + ".." + std::to_string(upper);
      Field(entry, "bounds", bounds);
    }
    for (const auto& member : node.members) {
      auto& row = Add("member", member.at);
      Field(row, "index", std::to_string(member.index));
      Field(row, "name", Utf8(member.name));
      Field(row, "type", Utf8(member.type));
      Field(row, "comment", Utf8(member.comment));
    }
    if (node.cut == saved::NodeCut::MemberCount) return Damage(node.cutAt, "member count is cut off", kTypesCut);
    if (node.cut == saved::NodeCut::Member) return Damage(node.cutAt, "structure member is cut off", kTypesCut);
    return true;
  }

  // Lists the names as the device reads them: `count` names from the file, whatever the
  // tag-name block length says, except that a length of 0 means no names at all.
  void TagNames(const Region& file, uint64_t at, uint32_t blockLength) {
    const uint64_t blockEnd = at + 4 + uint64_t{blockLength};
    uint32_t count = 0;
    if (!file.U32(at, count)) {
      if (blockLength == 0) return;
      return void(Damage(at, "tag-name count runs past the end", "the device starts with no channels"));
    }
    auto& header = Add("channels", at);
    Field(header, "count", std::to_string(count));
    if (blockLength == 0 && count != 0)
      return void(Damage(12, "tag-name block length is 0 but " + Names(count) + " are counted",
                         "the device reads no channel names"));
    uint64_t p = at + 4;
    uint32_t index = 0;
    const bool whole = saved::ReadTagNames(file, p, count, [&](uint64_t nameAt, std::string name) {
      auto& entry = Add("channel", nameAt);
      Field(entry, "index", std::to_string(index++));
      Field(entry, "name", Utf8(name));
    });
    if (!whole)
      return void(Damage(p, "tag name " + std::to_string(index) + " runs past the end of the file",
                         "the device keeps the first " + Names(index) + " of " + std::to_string(count)));
    if (p < blockEnd && blockEnd <= bytes_.size())
      return void(Damage(p, "tag-name block has bytes after its last name",
                         count == 0 ? "the device reads no channel names"
                                    : "the device reads only the first " + Names(count) + " and ignores the rest"));
    if (p != blockEnd) Note(p, "the names end at " + std::to_string(p) + ", the tag-name block at " + std::to_string(blockEnd));
    Surplus(std::max(p, blockEnd));
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
  uint64_t namesAfter_ = 0;  // the names the device reads after the device data
};

}  // namespace

DumpReport DecodeProject(const std::vector<uint8_t>& bytes) { return Decoder(bytes).Run(); }

std::optional<DumpDamage> DeviceLoss(const DumpReport& report) {
  for (const auto& damage : report.damage)
    if (!damage.consequence.empty()) return damage;
  return std::nullopt;
}

std::string FormatText(const DumpReport& report) {
  std::string out;
  for (const auto& entry : report.entries) {
    out += entry.kind + '\t' + std::to_string(entry.offset);
    for (const auto& [key, value] : entry.fields) out += '\t' + key + '=' + value;
    out += '\n';
  }
  for (const auto& damage : report.damage) {
    out += "DAMAGE\t" + std::to_string(damage.offset) + '\t' + damage.what;
    out += (damage.consequence.empty() ? "" : '\t' + damage.consequence) + '\n';
  }
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
  out += "\n],\"damage\":[";
  for (size_t i = 0; i < report.damage.size(); ++i) {
    const auto& damage = report.damage[i];
    out += (i ? ",{" : "{") + std::string("\"offset\":") + std::to_string(damage.offset) +
           ",\"what\":" + JsonString(damage.what) + ",\"device\":" + JsonString(damage.consequence) + '}';
  }
  return out + "]}\n";
}

}  // namespace adshost
