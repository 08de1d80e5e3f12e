#include "tag/TagParser.h"

#include <utility>

#include "platform/Text.h"

namespace Tag {
namespace {

// Lead bytes of double-byte characters in the East Asian ANSI code pages; any other code page
// is treated as single-byte.
bool IsLeadByte(unsigned codePage, unsigned char byte) {
  switch (codePage) {
    case 932:
      return (byte >= 0x81 && byte <= 0x9F) || (byte >= 0xE0 && byte <= 0xFC);
    case 936:
    case 949:
    case 950:
    case 54936:
      return byte >= 0x81 && byte <= 0xFE;
    default:
      return false;
  }
}

}  // namespace

std::string UpperCaseTypeName(std::string_view text) {
  const unsigned codePage = platform::GetAnsiCodePage();
  std::string upper(text);
  for (size_t i = 0; i < upper.size(); ++i) {
    const auto byte = static_cast<unsigned char>(upper[i]);
    if (IsLeadByte(codePage, byte)) {
      ++i;  // the trail byte belongs to the same character
      continue;
    }
    if (byte >= 'a' && byte <= 'z') upper[i] = static_cast<char>(byte - 'a' + 'A');
  }
  return upper;
}

}  // namespace Tag

namespace Beckhoff {
namespace {

// Element count of each dimension, in the unsigned 32-bit arithmetic the bounds are kept in
// (a negative lower bound wraps, and UBound - LBound + 1 still gives the count).
std::vector<uint32_t> DimensionCounts(const Tag::TagDataType& type) {
  std::vector<uint32_t> counts;
  counts.reserve(type.ArrayInfo.size());
  for (const auto& [lower, upper] : type.ArrayInfo) counts.push_back(upper - lower + 1u);
  return counts;
}

// Product of the counts, or nothing when it exceeds the limit. Each partial product stays at or
// below the limit before the next multiplication, so the 64-bit product cannot overflow.
bool CheckedElementCount(const std::vector<uint32_t>& counts, uint64_t limit, uint64_t& total) {
  total = 1;
  for (uint32_t count : counts) {
    total *= count;
    if (total > limit) return false;
  }
  return true;
}

std::string IndexName(const Tag::TagDataType& type, const std::vector<uint32_t>& offsets) {
  std::string name = "[";
  for (size_t d = 0; d < offsets.size(); ++d) {
    if (d != 0) name += ',';
    name += std::to_string(static_cast<uint32_t>(type.ArrayInfo[d].first + offsets[d]));
  }
  name += ']';
  return name;
}

// Advances the odometer, last dimension fastest; false once the first dimension carries.
bool NextOffsets(const std::vector<uint32_t>& counts, std::vector<uint32_t>& offsets) {
  for (size_t d = offsets.size(); d-- > 0;) {
    if (++offsets[d] < counts[d]) return true;
    offsets[d] = 0;
  }
  return false;
}

}  // namespace

BeckhoffTagParser::BeckhoffTagParser(std::shared_ptr<Tag::DataTypeList> list, void* store)
    : list_(std::move(list)), store_(store) {}

const Tag::TagDataType* BeckhoffTagParser::LookupType(const std::string& name) const {
  if (!list_) return nullptr;
  return list_->Lookup(Tag::UpperCaseTypeName(name));
}

bool BeckhoffTagParser::Parse(const Tag::TagDataType& type, Tag::TagVariable& variable,
                              std::vector<Tag::TagVariable>& children) {
  if (type.IsArray()) return ParseArray(type, variable, children);
  if (type.IsBasic()) return ParseBasic(type, variable, children);
  return ParseStruct(type, variable, children);
}

bool BeckhoffTagParser::ParseBasic(const Tag::TagDataType& type, Tag::TagVariable& variable,
                                   std::vector<Tag::TagVariable>& children) {
  if (type.TypeCode == Tag::kArray || type.TypeCode == Tag::kStruct || type.TypeCode == Tag::kUnknown)
    return false;
  variable.TypeCode = type.TypeCode;
  variable.ByteSize = type.ByteSize;
  children.clear();
  return true;
}

bool BeckhoffTagParser::ParseArray(const Tag::TagDataType& type, Tag::TagVariable& variable,
                                   std::vector<Tag::TagVariable>& children) {
  children.clear();
  if (type.ArrayInfo.empty()) return false;
  const std::vector<uint32_t> counts = DimensionCounts(type);
  uint64_t total = 0;
  if (!CheckedElementCount(counts, kMaxArrayElements, total)) return false;
  if (total == 0) return true;

  Tag::TagVariable element;
  element.Comment = variable.Comment;
  element.Type = type.Type;
  element.InArray = true;
  element.Mode = variable.Mode;
  if (const Tag::TagDataType* elementType = LookupType(type.Type)) {
    element.TypeCode = elementType->TypeCode;
    element.ByteSize = elementType->ByteSize;
  } else {
    element.TypeCode = Tag::kUnknown;
    element.ByteSize = 0;
  }

  children.reserve(static_cast<size_t>(total));
  std::vector<uint32_t> offsets(counts.size(), 0);
  do {
    children.push_back(element);
    children.back().Name = IndexName(type, offsets);
  } while (NextOffsets(counts, offsets));
  return true;
}

bool BeckhoffTagParser::ParseStruct(const Tag::TagDataType& type, Tag::TagVariable& variable,
                                    std::vector<Tag::TagVariable>& children) {
  children.clear();
  children.reserve(type.SubItems.size());
  for (const SubItem& member : type.SubItems) {
    const Tag::TagDataType* memberType = LookupType(member.Type);
    if (!memberType) continue;
    Tag::TagVariable child;
    child.Name = member.Name;
    child.Comment = member.Comment;
    child.Type = member.Type;
    child.TypeCode = memberType->TypeCode;
    child.ByteSize = memberType->ByteSize;
    child.InArray = memberType->IsArray() ? true : variable.InArray;
    child.Mode = variable.Mode;
    children.push_back(std::move(child));
  }
  return true;
}

}  // namespace Beckhoff
