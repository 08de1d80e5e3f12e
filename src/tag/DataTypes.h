#pragma once
// The records that a symbol file is read into: data types with their members, variables
// (symbols and expanded tags), and the name-keyed list of data types.
#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <utility>
#include <vector>

namespace Tag {

// Type codes carried by every type and variable.
enum TypeCode : uint32_t {
  kBool = 0,
  kSint = 1,
  kUsint = 2,
  kInt = 3,
  kUint = 4,
  kDint = 5,
  kUdint = 6,
  kLint = 7,
  kUlint = 8,
  kReal = 9,
  kLreal = 10,
  kWstring = 12,
  kString = 14,
  kByte = 15,
  kWord = 16,
  kDword = 17,
  kLword = 18,
  kArray = 19,
  kStruct = 20,
  kUnknown = 21,
  kBit = 22,
};

}  // namespace Tag

// A structure member as read from the file (or made from a symbol by the grouping).
struct SubItem {
  std::string Name;
  std::string Type;
  std::string Comment;
  bool operator==(const SubItem&) const = default;
};

namespace Tag {

class TagDataType {
 public:
  virtual ~TagDataType() = default;
  TagDataType() = default;
  TagDataType(const TagDataType&) = default;
  TagDataType& operator=(const TagDataType&) = default;
  TagDataType(TagDataType&&) noexcept = default;
  TagDataType& operator=(TagDataType&&) noexcept = default;

  virtual bool IsArray() const { return !ArrayInfo.empty(); }
  virtual bool IsStruct() const { return !SubItems.empty(); }
  virtual bool IsBasic() const { return ArrayInfo.empty() && SubItems.empty(); }

  bool operator==(const TagDataType& other) const {
    return Name == other.Name && Comment == other.Comment && TypeCode == other.TypeCode &&
           ByteSize == other.ByteSize && Type == other.Type && ArrayInfo == other.ArrayInfo &&
           SubItems == other.SubItems;
  }

  std::string Name;
  std::string Comment;
  uint32_t TypeCode = kUnknown;
  uint32_t ByteSize = 0;
  std::string Type;
  std::vector<std::pair<uint32_t, uint32_t>> ArrayInfo;  // (LBound, UBound) per dimension
  std::vector<SubItem> SubItems;
};

struct TagVariable {
  std::string Name;
  std::string FullName;
  std::string Comment;
  std::string Type;
  uint32_t TypeCode = kUnknown;
  uint32_t ByteSize = 0;
  bool InArray = false;
  uint32_t Mode = 2;
  bool operator==(const TagVariable&) const = default;
};

// Data types by name; adding under a name already present keeps the first entry. The entries
// are kept in name order; a hash index beside them answers the lookups, which the grouping
// makes once per symbol.
class DataTypeList {
 public:
  DataTypeList() = default;
  DataTypeList(const DataTypeList& other) : entries_(other.entries_) { Reindex(); }
  DataTypeList& operator=(const DataTypeList& other) {
    if (this != &other) {
      entries_ = other.entries_;
      Reindex();
    }
    return *this;
  }
  // A move keeps the map's nodes, and so the index's views of them.
  DataTypeList(DataTypeList&&) noexcept = default;
  DataTypeList& operator=(DataTypeList&&) noexcept = default;
  ~DataTypeList() = default;

  bool Add(const std::string& name, const TagDataType& type) { return Insert(name, type); }
  // Moves the type in only when the name is new.
  bool Add(const std::string& name, TagDataType&& type) { return Insert(name, std::move(type)); }
  bool Find(const std::string& name, TagDataType& type) const {
    const TagDataType* found = Lookup(name);
    if (!found) return false;
    type = *found;
    return true;
  }
  const TagDataType* Lookup(std::string_view name) const {
    auto it = index_.find(name);
    return it == index_.end() ? nullptr : it->second;
  }
  bool Contains(std::string_view name) const { return index_.count(name) != 0; }
  void Clear() {
    index_.clear();
    entries_.clear();
  }
  size_t Size() const { return entries_.size(); }
  const std::map<std::string, TagDataType>& Entries() const { return entries_; }
  // Lets `change` alter every type in place; the names stay as they are.
  template <typename Change>
  void ChangeEach(Change change) {
    for (auto& entry : entries_) change(entry.second);
  }

  // Empties the list and fills it with the elementary types every symbol file starts with.
  void ResetToElementary();

 private:
  template <typename Type>
  bool Insert(const std::string& name, Type&& type) {
    if (Contains(name)) return false;
    auto it = entries_.try_emplace(name, std::forward<Type>(type)).first;
    index_.emplace(it->first, &it->second);  // map nodes stay where they are
    return true;
  }
  void Reindex() {
    index_.clear();
    for (auto& [name, type] : entries_) index_.emplace(name, &type);
  }

  std::map<std::string, TagDataType> entries_;
  std::unordered_map<std::string_view, TagDataType*> index_;  // views of the keys above
};

}  // namespace Tag
