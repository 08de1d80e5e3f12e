#pragma once
// The byte layouts a device saves, described once: the run buffer, the device data with its
// section table, and the property data with its records. The device's writer and reader and
// the project dump all go through these, so they cannot drift apart. Header-only over byte
// spans: a tool that reaches the device only through the module's exports decodes with it.
// All integers are unsigned 32-bit, least significant byte first.
#include <cstdint>
#include <algorithm>
#include <bit>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "utils/stream_io.h"

namespace saved {

inline constexpr uint32_t kMagic = 40000;            // property data and device data
inline constexpr uint32_t kPropertyVersion = 20000;  // version of every property record
inline constexpr uint32_t kRunBufferFormat = 2;

// Sections of the device data.
inline constexpr uint32_t kSectionProperties = 1;
inline constexpr uint32_t kSectionVersion = 99;  // reserved word, data version
inline constexpr uint32_t kSectionDataTypes = 100;

// --- Run buffer: header, device data, name count, counted tag names. ---

inline constexpr uint64_t kRunBufferHeaderSize = 16;

struct RunBufferHeader {
  uint32_t payload = 0;       // device data + tag-name block
  uint32_t format = 0;        // kRunBufferFormat
  uint32_t deviceLength = 0;  // D
  uint32_t namesLength = 0;   // N
};

inline bool ReadRunBufferHeader(const utils::ByteSpan& file, RunBufferHeader& header) {
  const uint64_t b = file.begin();
  return file.U32(b, header.payload) && file.U32(b + 4, header.format) && file.U32(b + 8, header.deviceLength) &&
         file.U32(b + 12, header.namesLength);
}

inline void StoreRunBufferHeader(unsigned char* at, const RunBufferHeader& header) {
  utils::StoreU32(at, header.payload);
  utils::StoreU32(at + 4, header.format);
  utils::StoreU32(at + 8, header.deviceLength);
  utils::StoreU32(at + 12, header.namesLength);
}

// The offset of the name count: right after the device data.
inline uint64_t RunBufferNamesAt(const RunBufferHeader& header) {
  return kRunBufferHeaderSize + header.deviceLength;
}

// --- Device data: header, sections in ascending number, section table. ---

inline constexpr uint64_t kBlockHeaderSize = 20;
inline constexpr uint64_t kSectionEntrySize = 12;

struct DeviceDataHeader {
  uint32_t magic = 0;
  uint32_t totalSize = 0;
  uint32_t reserved = 0;
  uint32_t sectionCount = 0;
  uint32_t tableOffset = 0;
};

struct SectionEntry {
  uint32_t number = 0;
  uint32_t offset = 0;  // from the start of the device data
  uint32_t length = 0;
};

inline bool ReadDeviceDataHeader(const utils::ByteSpan& block, DeviceDataHeader& header) {
  const uint64_t b = block.begin();
  return block.U32(b, header.magic) && block.U32(b + 4, header.totalSize) && block.U32(b + 8, header.reserved) &&
         block.U32(b + 12, header.sectionCount) && block.U32(b + 16, header.tableOffset);
}

inline void StoreDeviceDataHeader(unsigned char* at, const DeviceDataHeader& header) {
  utils::StoreU32(at, header.magic);
  utils::StoreU32(at + 4, header.totalSize);
  utils::StoreU32(at + 8, header.reserved);
  utils::StoreU32(at + 12, header.sectionCount);
  utils::StoreU32(at + 16, header.tableOffset);
}

// The device takes a block whose magic is right and whose size field is its length.
inline bool DeviceDataAccepted(const DeviceDataHeader& header, uint64_t blockLength) {
  return header.magic == kMagic && header.totalSize == blockLength;
}

// The section table is read only when it ends exactly at the block's end.
inline bool SectionTableFits(const DeviceDataHeader& header) {
  return uint64_t{header.tableOffset} + kSectionEntrySize * header.sectionCount == header.totalSize;
}

// The table's entries; call only when the header was accepted and the table fits.
inline std::vector<SectionEntry> ReadSectionTable(const utils::ByteSpan& block, const DeviceDataHeader& header) {
  std::vector<SectionEntry> entries;
  for (uint64_t i = 0; i < header.sectionCount; ++i) {
    const uint64_t at = block.begin() + header.tableOffset + kSectionEntrySize * i;
    SectionEntry entry;
    if (!block.U32(at, entry.number) || !block.U32(at + 4, entry.offset) || !block.U32(at + 8, entry.length)) break;
    entries.push_back(entry);
  }
  return entries;
}

inline void StoreSectionEntry(unsigned char* at, const SectionEntry& entry) {
  utils::StoreU32(at, entry.number);
  utils::StoreU32(at + 4, entry.offset);
  utils::StoreU32(at + 8, entry.length);
}

// --- Property data: header, records, record table (one offset per record). ---

struct PropertyDataHeader {
  uint32_t magic = 0;
  uint32_t recordCount = 0;
  uint32_t totalSize = 0;
  uint32_t reserved = 0;
  uint32_t tableOffset = 0;
};

inline bool ReadPropertyDataHeader(const utils::ByteSpan& data, PropertyDataHeader& header) {
  const uint64_t b = data.begin();
  return data.U32(b, header.magic) && data.U32(b + 4, header.recordCount) && data.U32(b + 8, header.totalSize) &&
         data.U32(b + 12, header.reserved) && data.U32(b + 16, header.tableOffset);
}

inline void StorePropertyDataHeader(unsigned char* at, const PropertyDataHeader& header) {
  utils::StoreU32(at, header.magic);
  utils::StoreU32(at + 4, header.recordCount);
  utils::StoreU32(at + 8, header.totalSize);
  utils::StoreU32(at + 12, header.reserved);
  utils::StoreU32(at + 16, header.tableOffset);
}

// Value tags of a property record; a tag of 1 is read as an unsigned integer too.
enum ValueTag : uint32_t { kTagUnsigned = 0, kTagUnsignedAlt = 1, kTagDouble = 2, kTagString = 3, kTagEnum = 4 };

inline constexpr uint64_t kRecordHeaderSize = 16;

// A record: header, name and zero byte at 16, value at valueOffset (name length + 17).
struct PropertyRecordHeader {
  uint32_t length = 0;
  uint32_t valueTag = 0;
  uint32_t version = 0;
  uint32_t valueOffset = 0;
};

inline bool ReadPropertyRecordHeader(const utils::ByteSpan& data, uint64_t at, PropertyRecordHeader& header) {
  return data.Has(at, kRecordHeaderSize) && data.U32(at, header.length) && data.U32(at + 4, header.valueTag) &&
         data.U32(at + 8, header.version) && data.U32(at + 12, header.valueOffset);
}

// A record as read: the value in the member its tag uses. The device skips a record with a
// fault and takes unterminated texts as they are; the dump reports both.
struct PropertyRecord {
  PropertyRecordHeader header;
  std::string name;
  bool nameTerminated = false;
  uint32_t number = 0;  // tags 0, 1 and 4
  double real = 0;      // tag 2
  std::string text;     // tag 3
  bool textTerminated = false;
};

enum class RecordFault { None, Header, Name, UnknownTag, Value };

// Reads the record at `at`: header, the name (zero-terminated, before the value offset), then
// the value by its tag; every read stays inside `data`.
inline RecordFault ReadPropertyRecord(const utils::ByteSpan& data, uint64_t at, PropertyRecord& record) {
  const PropertyRecordHeader& header = record.header;
  if (!ReadPropertyRecordHeader(data, at, record.header)) return RecordFault::Header;
  if (header.valueOffset < kRecordHeaderSize ||
      !data.ZeroText(at + kRecordHeaderSize, header.valueOffset - kRecordHeaderSize, record.name,
                     &record.nameTerminated))
    return RecordFault::Name;
  const uint64_t value = at + header.valueOffset;
  switch (header.valueTag) {
    case kTagUnsigned:
    case kTagUnsignedAlt:
    case kTagEnum:
      return data.U32(value, record.number) ? RecordFault::None : RecordFault::Value;
    case kTagDouble: {
      uint32_t low = 0, high = 0;
      if (!data.U32(value, low) || !data.U32(value + 4, high)) return RecordFault::Value;
      record.real = std::bit_cast<double>(uint64_t{high} << 32 | low);
      return RecordFault::None;
    }
    case kTagString:
      if (header.length < header.valueOffset ||
          !data.ZeroText(value, header.length - header.valueOffset, record.text, &record.textTerminated))
        return RecordFault::Value;
      return RecordFault::None;
    default:
      return RecordFault::UnknownTag;
  }
}

inline void StorePropertyRecordHeader(unsigned char* at, const PropertyRecordHeader& header) {
  utils::StoreU32(at, header.length);
  utils::StoreU32(at + 4, header.valueTag);
  utils::StoreU32(at + 8, header.version);
  utils::StoreU32(at + 12, header.valueOffset);
}

// --- Type-node table (section 100): root name, node count, then per node a tag byte and
// the node: code, name, comment, size, mode; an array adds its element type's name and its
// (lower, upper) bounds per dimension; a structure adds its members (name, type name,
// comment, index). Strings are counted. ---

enum NodeTag : uint8_t { kNodePlain = 0, kNodeArray = 1, kNodeStruct = 2 };

struct TypeMember {
  uint64_t at = 0;  // offset of the member's first byte
  std::string name;
  std::string type;
  std::string comment;
  uint32_t index = 0;
};

// Where a node's bytes ran out, if they did.
enum class NodeCut { None, Head, ArrayHead, Bounds, MemberCount, Member };

struct TypeNodeRecord {
  uint8_t tag = kNodePlain;
  uint32_t code = 0;
  std::string name;
  std::string comment;
  uint32_t size = 0;
  uint32_t mode = 0;
  std::string element;                                // arrays
  std::vector<std::pair<uint32_t, uint32_t>> bounds;  // arrays
  std::vector<TypeMember> members;                    // structures
  NodeCut cut = NodeCut::None;
  uint64_t cutAt = 0;  // the head, array head or member that was cut; the position reached otherwise
};

inline void WriteTypeTableHead(utils::imemorywrite& out, std::string_view root, uint32_t count) {
  utils::WriteString(out, root);
  utils::WriteU32(out, count);
}

inline void WriteTypeNodeHead(utils::imemorywrite& out, uint32_t code, std::string_view name, std::string_view comment,
                              uint32_t size, uint32_t mode) {
  utils::WriteU32(out, code);
  utils::WriteString(out, name);
  utils::WriteString(out, comment);
  utils::WriteU32(out, size);
  utils::WriteU32(out, mode);
}

inline void WriteArrayPart(utils::imemorywrite& out, std::string_view element,
                           const std::vector<std::pair<uint32_t, uint32_t>>& bounds) {
  utils::WriteString(out, element);
  utils::WriteU32(out, static_cast<uint32_t>(bounds.size()));
  for (const auto& [lower, upper] : bounds) {
    utils::WriteU32(out, lower);
    utils::WriteU32(out, upper);
  }
}

inline void WriteStructMember(utils::imemorywrite& out, std::string_view name, std::string_view type,
                              std::string_view comment, uint32_t index) {
  utils::WriteString(out, name);
  utils::WriteString(out, type);
  utils::WriteString(out, comment);
  utils::WriteU32(out, index);
}

// The readers below take any `In` with at(), U8, U32 and Text (a counted string) that fail
// without allocating more than the input holds: a ByteCursor, or the device's stream.
template <typename In>
bool ReadTypeTableHead(In& in, std::string& root, uint32_t& count) {
  return in.Text(root) && in.U32(count);
}

// Reads the node after its tag byte. Every element read is bounded by the input: a count
// never sizes an allocation.
template <typename In>
bool ReadTypeNode(In& in, uint8_t tag, TypeNodeRecord& node) {
  auto cut = [&](NodeCut where, uint64_t at) {
    node.cut = where;
    node.cutAt = at;
    return false;
  };
  node.tag = tag;
  const uint64_t head = in.at();
  if (!in.U32(node.code) || !in.Text(node.name) || !in.Text(node.comment) || !in.U32(node.size) || !in.U32(node.mode))
    return cut(NodeCut::Head, head);
  if (tag == kNodeArray) {
    const uint64_t arrayHead = in.at();
    uint32_t dimensions = 0;
    if (!in.Text(node.element) || !in.U32(dimensions)) return cut(NodeCut::ArrayHead, arrayHead);
    for (uint32_t d = 0; d < dimensions; ++d) {
      uint32_t lower = 0, upper = 0;
      if (!in.U32(lower) || !in.U32(upper)) return cut(NodeCut::Bounds, in.at());
      node.bounds.emplace_back(lower, upper);
    }
  } else if (tag == kNodeStruct) {
    uint32_t count = 0;
    if (!in.U32(count)) return cut(NodeCut::MemberCount, in.at());
    for (uint32_t m = 0; m < count; ++m) {
      TypeMember member;
      member.at = in.at();
      if (!in.Text(member.name) || !in.Text(member.type) || !in.Text(member.comment) || !in.U32(member.index))
        return cut(NodeCut::Member, member.at);
      node.members.push_back(std::move(member));
    }
  }
  return true;
}

}  // namespace saved

namespace saved {

// --- Run buffer writer and tag-name reader. ---

// The bytes of the counted names, and of the whole run buffer around device data of that length.
inline uint64_t TagNamesLength(const std::vector<std::string>& names) {
  uint64_t length = 0;
  for (const auto& name : names) length += 4 + name.size();
  return length;
}

inline uint64_t RunBufferSize(uint64_t deviceLength, const std::vector<std::string>& names) {
  return kRunBufferHeaderSize + deviceLength + 4 + TagNamesLength(names);
}

// Lays out the run buffer: header, the device data, the name count, each name counted.
inline void ComposeRunBuffer(std::vector<uint8_t>& out, const utils::ByteSpan& deviceData,
                             const std::vector<std::string>& names) {
  const uint64_t namesLength = TagNamesLength(names);
  const uint64_t d = deviceData.size();
  out.assign(RunBufferSize(d, names), 0);
  unsigned char* at = out.data();
  StoreRunBufferHeader(at, {static_cast<uint32_t>(d + namesLength), kRunBufferFormat, static_cast<uint32_t>(d),
                            static_cast<uint32_t>(namesLength)});
  at = std::copy(deviceData.data(), deviceData.data() + d, at + kRunBufferHeaderSize);
  utils::StoreU32(at, static_cast<uint32_t>(names.size()));
  at += 4;
  for (const auto& name : names) {
    utils::StoreU32(at, static_cast<uint32_t>(name.size()));
    at = std::copy(name.begin(), name.end(), at + 4);
  }
}

// Reads `count` counted names from `at` on inside `span`, handing each (offset, name) to
// `take`; `at` ends after the last name read. False when a name runs past the span.
template <typename Take>
bool ReadTagNames(const utils::ByteSpan& span, uint64_t& at, uint32_t count, Take&& take) {
  for (uint32_t i = 0; i < count; ++i) {
    uint32_t length = 0;
    std::string name;
    if (!span.U32(at, length) || !span.Bytes(at + 4, length, name)) return false;
    take(at, std::move(name));
    at += 4 + uint64_t{length};
  }
  return true;
}

}  // namespace saved
