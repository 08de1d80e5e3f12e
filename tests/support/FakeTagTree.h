#pragma once
// A tag tree built in a line per node, for the tests of the tag selection. Nodes live in a
// deque so that their addresses stay put; a data type of -1 marks an unselectable label.
#include <deque>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

#include "tag/ITree.h"

namespace testing_support {

class FakeTagTree final {
 public:
  struct Node final : DEVICE::ITree, DEVICE::ILabel {
    FakeTagTree* owner = nullptr;
    Node* parent = nullptr;
    std::vector<Node*> children;
    std::string name, type, comment;
    int32_t dataType = -1;
    bool labelled = true;

    DEVICE::ILabel* GetLabel() override { return labelled ? this : nullptr; }
    DEVICE::ITree* GetParent() override { return parent; }
    uint32_t GetChildCount() const override { return static_cast<uint32_t>(children.size()); }
    DEVICE::ITree* GetChild(uint32_t i) override { return i < children.size() ? children[i] : nullptr; }
    DEVICE::ITree* Find(const std::string& fullName) override { return owner->Find(fullName); }
    std::string GetName() const override { return name; }
    std::string GetComment() const override { return comment; }
    int32_t GetDataType() const override { return dataType; }
    std::string GetPathName() const override { return GetFullName(); }
    std::string GetLongName() const override { return GetFullName(); }
    bool IsInArray() const override { return !name.empty() && name[0] == '['; }
    // Built from the top down without recursion: trees of the tests nest 20,000 levels.
    std::string GetFullName() const override {
      std::vector<const Node*> path;
      for (const Node* at = this; at->parent; at = at->parent) path.push_back(at);
      std::string full;
      for (auto it = path.rbegin(); it != path.rend(); ++it) {
        if (!full.empty() && !(*it)->IsInArray()) full += '.';
        full += (*it)->name;
      }
      return full;
    }
    std::string GetTypeName() const override { return type; }
  };

  FakeTagTree() { root_.owner = this; }
  FakeTagTree(const FakeTagTree&) = delete;
  FakeTagTree& operator=(const FakeTagTree&) = delete;

  Node* Root() { return &root_; }
  Node* Add(Node* parent, std::string name, int32_t dataType, std::string type = "T", std::string comment = "") {
    Node& node = nodes_.emplace_back();
    node.owner = this;
    node.parent = parent;
    node.name = std::move(name);
    node.dataType = dataType;
    node.type = std::move(type);
    node.comment = std::move(comment);
    parent->children.push_back(&node);
    index_.clear();
    return &node;
  }
  DEVICE::ITree* Find(const std::string& fullName) {
    if (index_.empty())
      for (auto& node : nodes_) index_.emplace(node.GetFullName(), &node);
    auto found = index_.find(fullName);
    return found == index_.end() ? nullptr : found->second;
  }
  Node* At(const std::string& fullName) { return static_cast<Node*>(Find(fullName)); }

 private:
  Node root_;
  std::deque<Node> nodes_;
  std::unordered_map<std::string, Node*> index_;
};

// A: x, y, bad(-1) | B: arr[0], arr[1], z | C | N: n1(-1) | a node without label
inline std::unique_ptr<FakeTagTree> SampleTree() {
  auto tree = std::make_unique<FakeTagTree>();
  auto* a = tree->Add(tree->Root(), "A", -1, "ST_A", "struct a");
  tree->Add(a, "x", 2, "INT", "the x");
  tree->Add(a, "y", 2, "INT");
  tree->Add(a, "bad", -1, "");
  auto* b = tree->Add(tree->Root(), "B", -1, "ST_B");
  auto* arr = tree->Add(b, "arr", -1, "ARRAY [0..1] OF INT");
  tree->Add(arr, "[0]", 2, "INT");
  tree->Add(arr, "[1]", 2, "INT");
  tree->Add(b, "z", 0, "BOOL");
  tree->Add(tree->Root(), "C", 0, "BOOL");
  auto* n = tree->Add(tree->Root(), "N", -1, "ST_N");
  tree->Add(n, "n1", -1, "");
  tree->Add(tree->Root(), "hidden", 0)->labelled = false;
  return tree;
}

}  // namespace testing_support
