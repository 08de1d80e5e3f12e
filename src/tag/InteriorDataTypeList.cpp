#include "tag/InteriorDataTypeList.h"

#include <unordered_set>

#include "utils/stream_io.h"

namespace {

constexpr uint8_t kTagPlain = 0;
constexpr uint8_t kTagArray = 1;
constexpr uint8_t kTagStruct = 2;

// The names an entry refers to: its element type or its member types.
std::vector<const std::string*> References(const Tag::TagDataType& entry) {
  std::vector<const std::string*> names;
  if (entry.TypeCode == Tag::kArray) {
    names.push_back(&entry.Type);
  } else if (entry.TypeCode == Tag::kStruct) {
    for (const auto& member : entry.SubItems) names.push_back(&member.Type);
  }
  return names;
}

}  // namespace

void InteriorDataTypeList::Clear() {
  nodes_.clear();
  positions_.clear();
  rootName_.clear();
}

void InteriorDataTypeList::Append(std::unique_ptr<ITagDataType> node) {
  positions_.emplace(node->GetName(), nodes_.size());
  nodes_.push_back(std::move(node));
}

ITagDataType* InteriorDataTypeList::Lookup(const std::string& name) const {
  auto it = positions_.find(name);
  return it == positions_.end() ? nullptr : nodes_[it->second].get();
}

std::unique_ptr<ITagDataType> InteriorDataTypeList::MakeNode(const Tag::TagDataType& entry) const {
  if (entry.TypeCode == Tag::kArray) {
    return std::make_unique<ArrayType>(entry.Name, entry.Comment, entry.TypeCode, entry.ByteSize,
                                       Lookup(entry.Type), entry.ArrayInfo, formatter_);
  }
  if (entry.TypeCode == Tag::kStruct) {
    auto node = std::make_unique<StructType>(entry.Name, entry.Comment, entry.TypeCode, entry.ByteSize);
    for (const auto& member : entry.SubItems) node->AddMember(member.Name, Lookup(member.Type), member.Comment);
    return node;
  }
  return std::make_unique<BasicType>(entry.Name, entry.Comment, entry.TypeCode, entry.ByteSize);
}

void InteriorDataTypeList::Build(const std::string& rootName, const Tag::DataTypeList& list) {
  Clear();
  rootName_ = rootName;
  // Depth-first over the references with an explicit stack; a type on the current path is
  // not entered again, so a cyclic reference stays unresolved instead of looping.
  std::unordered_set<const Tag::TagDataType*> onPath;
  struct Frame {
    const Tag::TagDataType* entry;
    std::vector<const std::string*> references;
    size_t next;
  };
  std::vector<Frame> stack;
  for (const auto& [name, entry] : list.Entries()) {
    if (Lookup(name)) continue;
    stack.push_back({&entry, References(entry), 0});
    onPath.insert(&entry);
    while (!stack.empty()) {
      Frame& top = stack.back();
      if (top.next < top.references.size()) {
        const std::string& reference = *top.references[top.next++];
        const Tag::TagDataType* dependency = list.Lookup(reference);
        if (dependency && !Lookup(reference) && !onPath.count(dependency)) {
          onPath.insert(dependency);
          stack.push_back({dependency, References(*dependency), 0});
        }
        continue;
      }
      if (!Lookup(top.entry->Name)) Append(MakeNode(*top.entry));
      onPath.erase(top.entry);
      stack.pop_back();
    }
  }
}

int32_t InteriorDataTypeList::Serialize(utils::imemorywrite* stream) const {
  if (!stream) return -1;
  utils::WriteString(*stream, rootName_);
  utils::WriteU32(*stream, static_cast<uint32_t>(nodes_.size()));
  for (const auto& node : nodes_) {
    const bool isArray = dynamic_cast<const ArrayType*>(node.get()) != nullptr;
    const bool isStruct = dynamic_cast<const StructType*>(node.get()) != nullptr;
    utils::WriteU8(*stream, isArray ? kTagArray : isStruct ? kTagStruct : kTagPlain);
    node->Serialize(stream);
  }
  return 0;
}

std::unique_ptr<ITagDataType> InteriorDataTypeList::ReadNode(uint8_t tag, utils::imemoryread& in) const {
  uint32_t code = 0, size = 0, mode = 0;
  std::string name, comment;
  if (!utils::ReadU32(in, code) || !utils::ReadString(in, name) || !utils::ReadString(in, comment) ||
      !utils::ReadU32(in, size) || !utils::ReadU32(in, mode))
    return nullptr;
  if (tag == kTagArray) {
    std::string element;
    uint32_t count = 0;
    if (!utils::ReadString(in, element) || !utils::ReadU32(in, count)) return nullptr;
    ArrayType::Dimensions dimensions;
    for (uint32_t d = 0; d < count; ++d) {  // each dimension consumes 8 bytes: bounded by the input
      uint32_t lower = 0, upper = 0;
      if (!utils::ReadU32(in, lower) || !utils::ReadU32(in, upper)) return nullptr;
      dimensions.emplace_back(lower, upper);
    }
    return std::make_unique<ArrayType>(std::move(name), std::move(comment), code, size,
                                       element.empty() ? nullptr : Lookup(element), std::move(dimensions),
                                       formatter_);
  }
  if (tag == kTagStruct) {
    uint32_t count = 0;
    if (!utils::ReadU32(in, count)) return nullptr;
    auto node = std::make_unique<StructType>(std::move(name), std::move(comment), code, size);
    for (uint32_t m = 0; m < count; ++m) {
      std::string memberName, typeName, memberComment;
      uint32_t index = 0;
      if (!utils::ReadString(in, memberName) || !utils::ReadString(in, typeName) ||
          !utils::ReadString(in, memberComment) || !utils::ReadU32(in, index))
        return nullptr;
      node->AddMember(std::move(memberName), typeName.empty() ? nullptr : Lookup(typeName), std::move(memberComment));
    }
    return node;
  }
  return std::make_unique<BasicType>(std::move(name), std::move(comment), code, size);
}

int32_t InteriorDataTypeList::Deserialize(utils::imemoryread* stream) {
  if (!stream) return -1;
  std::string root;
  uint32_t count = 0;
  if (!utils::ReadString(*stream, root) || !utils::ReadU32(*stream, count)) return 0;
  rootName_ = std::move(root);
  for (uint32_t i = 0; i < count; ++i) {
    uint8_t tag = 0;
    if (!utils::ReadU8(*stream, tag)) break;
    if (auto node = ReadNode(tag, *stream)) Append(std::move(node));
  }
  return 0;
}
