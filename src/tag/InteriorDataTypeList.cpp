#include "tag/InteriorDataTypeList.h"

#include <unordered_set>

#include "platform/System.h"
#include "utils/stream_io.h"

namespace {

// Members whose texts are fetched ahead of their copy.
constexpr size_t kTextLookahead = 4;

using saved::kNodeArray;
using saved::kNodePlain;
using saved::kNodeStruct;

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
                                       Lookup(entry.Type), entry.ArrayInfo);
  }
  if (entry.TypeCode == Tag::kStruct) {
    auto node = std::make_unique<StructType>(entry.Name, entry.Comment, entry.TypeCode, entry.ByteSize);
    const auto& members = entry.SubItems;
    node->ReserveMembers(members.size());
    for (size_t i = 0; i < members.size(); ++i) {
      // The texts of a generated root's members lie all over the heap: fetch them early.
      if (i + kTextLookahead < members.size()) {
        platform::PrefetchForRead(members[i + kTextLookahead].Name.data());
        platform::PrefetchForRead(members[i + kTextLookahead].Comment.data());
      }
      node->AddMember(members[i].Name, Lookup(members[i].Type), members[i].Comment);
    }
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
  saved::WriteTypeTableHead(*stream, rootName_, static_cast<uint32_t>(nodes_.size()));
  for (const auto& node : nodes_) {
    const bool isArray = dynamic_cast<const ArrayType*>(node.get()) != nullptr;
    const bool isStruct = dynamic_cast<const StructType*>(node.get()) != nullptr;
    utils::WriteU8(*stream, isArray ? kNodeArray : isStruct ? kNodeStruct : kNodePlain);
    node->Serialize(stream);
  }
  return 0;
}

std::unique_ptr<ITagDataType> InteriorDataTypeList::MakeNode(saved::TypeNodeRecord&& record) const {
  auto lookup = [this](const std::string& name) { return name.empty() ? nullptr : Lookup(name); };
  if (record.tag == kNodeArray) {
    return std::make_unique<ArrayType>(std::move(record.name), std::move(record.comment), record.code, record.size,
                                       lookup(record.element), std::move(record.bounds));
  }
  if (record.tag == kNodeStruct) {
    auto node = std::make_unique<StructType>(std::move(record.name), std::move(record.comment), record.code, record.size);
    node->ReserveMembers(record.members.size());
    for (auto& member : record.members)
      node->AddMember(std::move(member.name), lookup(member.type), std::move(member.comment));
    return node;
  }
  return std::make_unique<BasicType>(std::move(record.name), std::move(record.comment), record.code, record.size);
}

int32_t InteriorDataTypeList::Deserialize(utils::imemoryread* stream) {
  if (!stream) return -1;
  utils::StreamCursor in(*stream);
  std::string root;
  uint32_t count = 0;
  if (!saved::ReadTypeTableHead(in, root, count)) return 0;
  rootName_ = std::move(root);
  for (uint32_t i = 0; i < count; ++i) {
    uint8_t tag = 0;
    if (!in.U8(tag)) break;
    saved::TypeNodeRecord record;
    if (saved::ReadTypeNode(in, tag, record)) Append(MakeNode(std::move(record)));
  }
  return 0;
}
