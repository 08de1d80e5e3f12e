#include "tag/TypeNodes.h"

#include <array>
#include <charconv>

#include "device/SavedFormat.h"

namespace {

uint32_t DimensionSize(const std::pair<uint32_t, uint32_t>& bounds) {
  return bounds.second - bounds.first + 1;  // unsigned: negative bounds wrap
}

std::string NameOf(const ITagDataType* type) { return type ? type->GetName() : std::string(); }

}  // namespace

int32_t BasicType::Serialize(utils::imemorywrite* stream) const {
  if (!stream) return -1;
  saved::WriteTypeNodeHead(*stream, code_, name_, comment_, size_, mode_);
  return 0;
}

uint32_t ArrayType::GetChildCount() const {
  uint32_t count = 1;
  for (const auto& bounds : dimensions_) count *= DimensionSize(bounds);
  return count;
}

std::string ArrayType::GetChildName(uint32_t index) const {
  // Called for the array step of every full name the dialog yields: the indices of the
  // usual few dimensions stay on the stack and the digits go straight into the name.
  constexpr size_t kInlineDimensions = 8;
  const size_t rank = dimensions_.size();
  std::array<uint32_t, kInlineDimensions> inlineIndices;
  std::vector<uint32_t> manyIndices(rank > kInlineDimensions ? rank : 0);
  uint32_t* indices = rank > kInlineDimensions ? manyIndices.data() : inlineIndices.data();
  for (size_t d = rank; d-- > 0;) {
    const uint32_t count = DimensionSize(dimensions_[d]);
    if (count == 0) return {};
    indices[d] = dimensions_[d].first + index % count;
    index /= count;
  }
  std::string name;
  name.reserve(2 + 11 * rank);
  name += '[';
  for (size_t d = 0; d < rank; ++d) {
    if (d) name += ',';
    char digits[10];
    const auto end = std::to_chars(digits, digits + sizeof digits, indices[d]).ptr;
    name.append(digits, end);
  }
  name += ']';
  return name;
}

int64_t ArrayType::FindChild(const std::string& text) const {
  if (text.empty()) return dimensions_.empty() ? 0 : -1;
  // Every run of digits followed by another character is one index; a run that ends the
  // text is not read.
  size_t found = 0;
  uint64_t linear = 0;
  size_t i = 0;
  while (i < text.size()) {
    if (text[i] < '0' || text[i] > '9') {
      ++i;
      continue;
    }
    uint32_t value = 0;
    while (i < text.size() && text[i] >= '0' && text[i] <= '9') value = value * 10 + static_cast<uint32_t>(text[i++] - '0');
    if (i == text.size()) break;
    if (found >= dimensions_.size()) return -1;
    const auto& bounds = dimensions_[found];
    if (value < bounds.first || value > bounds.second) return -1;
    uint64_t stride = 1;
    for (size_t d = found + 1; d < dimensions_.size(); ++d) stride *= DimensionSize(dimensions_[d]);
    linear += uint64_t{value - bounds.first} * stride;
    ++found;
  }
  if (found != dimensions_.size()) return -1;
  return static_cast<int64_t>(linear);
}

int32_t ArrayType::Serialize(utils::imemorywrite* stream) const {
  if (BasicType::Serialize(stream) != 0) return -1;
  saved::WriteArrayPart(*stream, NameOf(element_), dimensions_);
  return 0;
}

void StructType::AddMember(std::string name, ITagDataType* type, std::string comment) {
  const uint32_t index = static_cast<uint32_t>(members_.size());
  byName_.Add(name, index, [this](uint32_t at) -> std::string_view { return members_[at].Name; });
  members_.push_back({std::move(name), type, std::move(comment), index});
}

int64_t StructType::FindChild(const std::string& text) const {
  return byName_.Find(text, [this](uint32_t at) -> std::string_view { return members_[at].Name; });
}

std::string StructType::GetChildName(uint32_t index) const {
  return index < members_.size() ? members_[index].Name : std::string();
}

ITagDataType* StructType::GetChildType(uint32_t index) const {
  return index < members_.size() ? members_[index].Type : nullptr;
}

int32_t StructType::Serialize(utils::imemorywrite* stream) const {
  if (BasicType::Serialize(stream) != 0) return -1;
  utils::WriteU32(*stream, static_cast<uint32_t>(members_.size()));
  for (const auto& member : members_)
    saved::WriteStructMember(*stream, member.Name, NameOf(member.Type), member.Comment, member.Index);
  return 0;
}
