#pragma once
// The tag tree over the type nodes of a device: one node per structure member and array
// element, texts computed on request. TreeVisitor builds it, completely, without recursion:
// all nodes of a tree live in one block, counted before it is built, in which every parent's
// children lie side by side; the block goes with the last reference to the root.
#include <cstdint>
#include <memory>
#include <string>

#include "tag/DataTypes.h"
#include "tag/ITree.h"
#include "tag/InteriorDataTypeList.h"

// A tree larger than this is refused rather than materialised (about 50 bytes per node).
inline constexpr uint64_t kMaxTreeNodes = 20'000'000;

class VirtualTree final : public DEVICE::ITree, public DEVICE::ILabel {
 public:
  VirtualTree() = default;
  VirtualTree(ITagDataType* type, VirtualTree* parent) : type_(type), parent_(parent) {}
  ~VirtualTree() override = default;
  VirtualTree(const VirtualTree&) = delete;
  VirtualTree& operator=(const VirtualTree&) = delete;

  // ITree
  DEVICE::ILabel* GetLabel() override { return this; }
  DEVICE::ITree* GetParent() override { return parent_; }
  uint32_t GetChildCount() const override { return childCount_; }
  DEVICE::ITree* GetChild(uint32_t index) override { return index < childCount_ ? children_ + index : nullptr; }
  DEVICE::ITree* Find(const std::string& fullName) override;

  // ILabel
  std::string GetName() const override;
  std::string GetComment() const override { return type_ ? type_->GetComment() : std::string(); }
  int32_t GetDataType() const override;
  std::string GetPathName() const override { return GetFullName(); }
  std::string GetLongName() const override { return GetFullName(); }
  bool IsInArray() const override;
  std::string GetFullName() const override;
  std::string GetTypeName() const override { return type_ ? type_->GetName() : std::string(); }

  ITagDataType* Type() const { return type_; }

 private:
  friend class TreeVisitor;
  void Init(ITagDataType* type, VirtualTree* parent) {
    type_ = type;
    parent_ = parent;
  }
  bool ParentIsArray() const { return parent_ && parent_->type_ && parent_->type_->GetTypeCode() == Tag::kArray; }

  ITagDataType* type_ = nullptr;
  VirtualTree* parent_ = nullptr;
  VirtualTree* children_ = nullptr;  // in the tree's node block, which owns them
  uint32_t childCount_ = 0;
};

class TreeVisitor {
 public:
  TreeVisitor(std::shared_ptr<Tag::DataTypeList> list, std::shared_ptr<InteriorDataTypeList> table)
      : list_(std::move(list)), table_(std::move(table)) {}
  explicit TreeVisitor(std::shared_ptr<InteriorDataTypeList> table) : table_(std::move(table)) {}
  virtual ~TreeVisitor() = default;

  // The tree from the table's current content; empty without a root type, or when the tree
  // would be larger than kMaxTreeNodes or infinite (a type that contains itself).
  virtual std::shared_ptr<DEVICE::ITree> CreateTree(uint64_t& nodeCount, uint64_t& leafCount);
  // Groups the symbols into the root type, rebuilds the table from the list, then CreateTree.
  virtual std::shared_ptr<DEVICE::ITree> BuildTree(std::vector<Tag::TagVariable> symbols, uint64_t& nodeCount,
                                                   uint64_t& leafCount);

  enum class Refusal { None, TooLarge, Infinite };
  Refusal LastRefusal() const { return refusal_; }

 private:
  std::shared_ptr<Tag::DataTypeList> list_;
  std::shared_ptr<InteriorDataTypeList> table_;
  Refusal refusal_ = Refusal::None;
};

// The number of nodes of a tree over this root type; false when it exceeds the limit (nodes
// is then limit + 1) or is infinite (nodes stays 0).
bool CountTreeNodes(ITagDataType* root, uint64_t limit, uint64_t& nodes);
