#pragma once
// Data types, symbols and saved type tables built in a line, for the tag and parser tests.
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include <gtest/gtest.h>

#include "tag/DataTypes.h"
#include "tag/InteriorDataTypeList.h"
#include "utils/memory.h"

namespace tag_tests {

inline std::shared_ptr<Tag::DataTypeList> Elementary() {
  auto list = std::make_shared<Tag::DataTypeList>();
  list->ResetToElementary();
  return list;
}

inline Tag::TagDataType Array(const std::string& name, const std::string& element,
                              std::vector<std::pair<uint32_t, uint32_t>> bounds, uint32_t size = 0) {
  Tag::TagDataType type;
  type.Name = name;
  type.TypeCode = Tag::kArray;
  type.Type = element;
  type.ArrayInfo = std::move(bounds);
  type.ByteSize = size;
  return type;
}

inline Tag::TagDataType Struct(const std::string& name, std::vector<SubItem> members, uint32_t size = 0) {
  Tag::TagDataType type;
  type.Name = name;
  type.TypeCode = Tag::kStruct;
  type.SubItems = std::move(members);
  type.ByteSize = size;
  return type;
}

// Adds `type` to `list` under its own name.
inline void Add(Tag::DataTypeList& list, const Tag::TagDataType& type) { list.Add(type.Name, type); }

// The entry of `list` under `name`; a failure when there is none.
inline Tag::TagDataType Listed(const Tag::DataTypeList& list, const std::string& name) {
  Tag::TagDataType type;
  EXPECT_TRUE(list.Find(name, type)) << name;
  return type;
}

inline Tag::TagVariable Symbol(const std::string& name, const std::string& type, const std::string& comment = "") {
  Tag::TagVariable v;
  v.Name = v.FullName = name;
  v.Type = type;
  v.Comment = comment;
  return v;
}

inline std::string Bytes(const utils::MemoryBuffer& buffer) {
  return {reinterpret_cast<const char*>(buffer.Data()), static_cast<size_t>(buffer.Size())};
}

// A table loaded from `bytes`, as a saved device loads it.
inline std::shared_ptr<InteriorDataTypeList> Loaded(const std::string& bytes) {
  auto table = std::make_shared<InteriorDataTypeList>();
  utils::memoryRef view(bytes.data(), bytes.size());
  table->Deserialize(&view);
  return table;
}

// The table saved and loaded again.
inline std::shared_ptr<InteriorDataTypeList> Reloaded(const InteriorDataTypeList& table) {
  utils::MemoryBuffer saved;
  table.Serialize(&saved);
  return Loaded(Bytes(saved));
}

}  // namespace tag_tests
