#include "tag/RootType.h"

#include <algorithm>
#include <string_view>
#include <vector>

#include "platform/System.h"
#include "utils/NameIndex.h"

namespace Tag {
namespace {

// Keys and symbols point into the symbol list, which outlives the grouping.
struct Group {
  std::string_view key;
  const TagVariable* first;
  bool isArray = false;
  bool isLeaf = false;
  // The symbols under a group that becomes a type; a leaf needs only its first symbol.
  std::vector<const TagVariable*> symbols;
};

// Groups in the order their keys were first seen.
class GroupMap {
 public:
  explicit GroupMap(size_t symbols) { index_.Reserve(symbols); }
  Group& At(std::string_view key, const TagVariable& first, bool& created) {
    const auto keyAt = [this](uint32_t position) { return groups_[position].key; };
    const auto [position, added] = index_.Add(key, static_cast<uint32_t>(groups_.size()), keyAt);
    created = added;
    if (created) groups_.push_back(Group{key, &first, false, false, {}});
    return groups_[position];
  }
  std::vector<Group>& All() { return groups_; }

 private:
  std::vector<Group> groups_;
  utils::NameIndex index_;
};

std::string_view DropLeadingDot(std::string_view text) {
  if (!text.empty() && text.front() == '.') text.remove_prefix(1);
  return text;
}

// The part of a symbol's name below the prefix.
std::string_view RestOf(const TagVariable& symbol, const std::string& prefix) {
  std::string_view name = DropLeadingDot(symbol.Name);
  name.remove_prefix(std::min(prefix.size(), name.size()));
  return DropLeadingDot(name);
}

struct Key {
  std::string_view text;
  bool indexed;
  bool deeper;  // the rest goes on below the key
};

Key KeyOf(std::string_view rest) {
  const size_t dot = rest.find('.');
  std::string_view key = rest.substr(0, dot);
  const size_t bracket = key.find('[');
  const bool indexed = bracket != std::string_view::npos && bracket > 0;
  if (indexed) key = key.substr(0, bracket);
  return {key, indexed, dot != std::string_view::npos};
}

// Texts this many entries ahead are fetched early: names and comments lie all over the heap,
// and on large files waiting for each one costs more than the grouping itself.
constexpr size_t kFetchAhead = 8;

GroupMap GroupSymbols(const std::vector<const TagVariable*>& symbols, const std::string& prefix) {
  GroupMap groups(symbols.size());
  for (size_t i = 0; i < symbols.size(); ++i) {
    if (i + kFetchAhead < symbols.size()) platform::PrefetchForRead(symbols[i + kFetchAhead]->Name.data());
    const TagVariable* const symbol = symbols[i];
    const Key key = KeyOf(RestOf(*symbol, prefix));
    bool created = false;
    Group& group = groups.At(key.text, *symbol, created);
    if (created) group.isLeaf = !key.indexed && !key.deeper;
    group.isArray = group.isArray || key.indexed;
    if (!group.isLeaf) group.symbols.push_back(symbol);
  }
  return groups;
}

// Reads the index list of an indexed name part such as "[1,2]".
std::vector<uint32_t> IndicesOf(std::string_view text) {
  std::vector<uint32_t> indices;
  const size_t open = text.find('[');
  if (open == std::string_view::npos) return indices;
  const size_t close = text.find(']', open);
  std::string_view inside = text.substr(open + 1, close == std::string_view::npos ? std::string_view::npos : close - open - 1);
  while (true) {
    const size_t comma = inside.find(',');
    std::string_view part = inside.substr(0, comma);
    while (!part.empty() && part.front() == ' ') part.remove_prefix(1);
    bool negative = !part.empty() && part.front() == '-';
    if (negative) part.remove_prefix(1);
    uint32_t value = 0;
    for (char c : part) {
      if (c < '0' || c > '9') break;
      value = value * 10 + static_cast<uint32_t>(c - '0');
    }
    indices.push_back(negative ? 0u - value : value);
    if (comma == std::string_view::npos) break;
    inside.remove_prefix(comma + 1);
  }
  return indices;
}

std::string LastSegment(const std::string& path) {
  const size_t dot = path.rfind('.');
  return dot == std::string::npos ? path : path.substr(dot + 1);
}

class RootBuilder {
 public:
  explicit RootBuilder(DataTypeList& list) : list_(list) {}

  TagDataType BuildStruct(const std::vector<const TagVariable*>& symbols, const std::string& prefix, size_t depth);

 private:
  void AddLeaf(TagDataType& parent, const Group& group);
  void AddGenerated(TagDataType& parent, std::string_view key, std::string typeName, uint32_t typeSize);
  // Adds the type under a name made unique against differing entries; returns that name.
  std::string AddUnique(TagDataType type);
  bool BuildArray(const Group& group, const std::string& path, size_t depth, TagDataType& array);

  DataTypeList& list_;
};

std::string RootBuilder::AddUnique(TagDataType type) {
  std::string name = type.Name;
  int counter = 1;
  bool appended = false;
  while (true) {
    const TagDataType* existing = list_.Lookup(name);
    type.Name = name;
    if (!existing) break;
    if (*existing == type) return name;  // an identical entry is reused
    if (!appended) {
      name += std::to_string(counter);
      appended = true;
    } else {
      ++counter;
      name.pop_back();
      name += std::to_string(counter);
    }
  }
  list_.Add(name, std::move(type));
  return name;
}

void RootBuilder::AddLeaf(TagDataType& parent, const Group& group) {
  parent.SubItems.push_back(SubItem{std::string(group.key), group.first->Type, group.first->Comment});
  if (const TagDataType* type = list_.Lookup(group.first->Type)) {
    parent.ByteSize += type->ByteSize;
    parent.TypeCode = kStruct;
  } else {
    parent.TypeCode = kUnknown;
  }
}

void RootBuilder::AddGenerated(TagDataType& parent, std::string_view key, std::string typeName, uint32_t typeSize) {
  parent.SubItems.push_back(SubItem{std::string(key), std::move(typeName), {}});
  parent.ByteSize += typeSize;
  parent.TypeCode = kStruct;
}

bool RootBuilder::BuildArray(const Group& group, const std::string& path, size_t depth, TagDataType& array) {
  GroupMap elements = GroupSymbols(group.symbols, path);
  if (elements.All().empty()) return false;

  // Bounds from the indices of every symbol of the array. The symbols of a leaf share its key,
  // and so their indices, with its first one.
  std::vector<std::pair<uint32_t, uint32_t>> bounds;
  const auto widenBounds = [&](const TagVariable& symbol) {
    const auto indices = IndicesOf(KeyOf(RestOf(symbol, path)).text);
    for (size_t d = 0; d < indices.size(); ++d) {
      if (d == bounds.size()) {
        bounds.emplace_back(indices[d], indices[d]);
      } else {
        bounds[d].first = std::min(bounds[d].first, indices[d]);
        bounds[d].second = std::max(bounds[d].second, indices[d]);
      }
    }
  };
  for (const Group& element : elements.All()) {
    if (element.isLeaf) widenBounds(*element.first);
    for (const TagVariable* symbol : element.symbols) widenBounds(*symbol);
  }

  // The element type comes from the first key that begins with an index; keys of member names
  // (from hand-made names such as "v.x" beside "v[0]") are passed over. Without such a key
  // the first key is used.
  const auto& all = elements.All();
  const auto indexed = std::find_if(all.begin(), all.end(), [](const Group& g) { return g.key.starts_with('['); });
  const Group& first = indexed == all.end() ? all.front() : *indexed;
  std::string elementName;
  if (first.isLeaf) {
    elementName = first.first->Type;
  } else {
    TagDataType element = BuildStruct(first.symbols, path + std::string(first.key), depth + 1);
    element.Name = LastSegment(path);
    elementName = AddUnique(std::move(element));
  }
  const TagDataType* elementType = list_.Lookup(elementName);

  uint32_t count = 1;
  std::string name = "array [";
  for (size_t d = 0; d < bounds.size(); ++d) {
    if (d) name += ',';
    name += std::to_string(bounds[d].first) + ".." + std::to_string(bounds[d].second);
    count *= bounds[d].second - bounds[d].first + 1;
  }
  name += "] OF " + elementName;

  array = TagDataType{};
  array.Name = name;
  array.TypeCode = kArray;
  array.Type = elementName;
  array.ArrayInfo = std::move(bounds);
  array.ByteSize = (elementType ? elementType->ByteSize : 0) * count;
  array.Name = AddUnique(array);
  return true;
}

TagDataType RootBuilder::BuildStruct(const std::vector<const TagVariable*>& symbols, const std::string& prefix,
                                     size_t depth) {
  TagDataType result;
  if (depth > kMaxGroupingDepth) return result;
  GroupMap groups = GroupSymbols(symbols, prefix);
  const std::vector<Group>& all = groups.All();
  result.SubItems.reserve(all.size());
  for (size_t i = 0; i < all.size(); ++i) {
    // A leaf's comment is copied from the heap, where it lies apart from every other one.
    if (i + kFetchAhead < all.size()) platform::PrefetchForRead(all[i + kFetchAhead].first->Comment.data());
    const Group& group = all[i];
    if (group.isLeaf) {
      AddLeaf(result, group);
      continue;
    }
    const std::string path = prefix.empty() ? std::string(group.key) : prefix + "." + std::string(group.key);
    if (group.isArray) {
      TagDataType array;
      if (BuildArray(group, path, depth, array)) AddGenerated(result, group.key, array.Name, array.ByteSize);
      continue;
    }
    if (depth + 1 > kMaxGroupingDepth) continue;
    TagDataType nested = BuildStruct(group.symbols, path, depth + 1);
    nested.Name = group.key;
    const uint32_t size = nested.ByteSize;
    AddGenerated(result, group.key, AddUnique(std::move(nested)), size);
  }
  return result;
}

}  // namespace

std::string BuildRootType(DataTypeList& list, std::vector<TagVariable>& symbols) {
  std::vector<const TagVariable*> all;
  all.reserve(symbols.size());
  for (const auto& symbol : symbols) all.push_back(&symbol);
  RootBuilder builder(list);
  const TagDataType top = builder.BuildStruct(all, "", 0);

  std::vector<TagVariable> members;
  members.reserve(top.SubItems.size());
  for (const SubItem& member : top.SubItems) {
    const TagDataType* type = list.Lookup(member.Type);
    if (!type) continue;
    TagVariable variable;
    variable.Name = variable.FullName = member.Name;
    variable.Type = member.Type;
    variable.TypeCode = type->TypeCode;
    variable.ByteSize = type->ByteSize;
    if (type->IsArray()) {
      variable.TypeCode = kArray;
      variable.InArray = true;
    }
    variable.Mode = 2;
    members.push_back(std::move(variable));
  }
  symbols = std::move(members);

  TagDataType root;
  root.Name = kRootName;
  root.TypeCode = kStruct;
  root.SubItems.reserve(symbols.size());
  for (const TagVariable& member : symbols) root.SubItems.push_back(SubItem{member.Name, member.Type, {}});
  list.Add(kRootName, std::move(root));
  return kRootName;
}

}  // namespace Tag
