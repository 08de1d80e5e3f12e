#pragma once
// The type nodes of one device, built from a parsed file's data types or read back from the
// device's saved data, looked up by name.
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

#include "device/SavedFormat.h"
#include "tag/DataTypes.h"
#include "tag/TypeNodes.h"

class InteriorDataTypeList {
 public:
  // Clears the table, then creates one node per entry of the list, each after the types it
  // refers to, so that references resolve by name at creation.
  void Build(const std::string& rootName, const Tag::DataTypeList& list);
  ITagDataType* Lookup(const std::string& name) const;
  // The saved form: root name, node count, then per node a tag byte and the node.
  int32_t Serialize(utils::imemorywrite* stream) const;
  // Reads the saved form into a cleared table; keeps every node it could read.
  int32_t Deserialize(utils::imemoryread* stream);
  void Clear();

  const std::string& GetRootName() const { return rootName_; }
  size_t Size() const { return nodes_.size(); }
  ITagDataType* Node(size_t position) const { return nodes_[position].get(); }

 private:
  void Append(std::unique_ptr<ITagDataType> node);
  std::unique_ptr<ITagDataType> MakeNode(const Tag::TagDataType& entry) const;
  // A node read back from the saved form; its references resolve among the nodes read so far.
  std::unique_ptr<ITagDataType> MakeNode(saved::TypeNodeRecord&& record) const;

  std::string rootName_;
  std::vector<std::unique_ptr<ITagDataType>> nodes_;
  std::unordered_map<std::string, size_t> positions_;
};
