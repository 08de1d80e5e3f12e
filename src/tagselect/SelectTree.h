#pragma once
// The selection tree: a shadow of the part of the tag tree that leads to the tags selected
// when the dialog opens. Each node carries a selection state, from which the dialog derives
// the check value of the node's row, and, on OK, of the children of a partly checked row
// that was never expanded.
#include <memory>
#include <unordered_map>
#include <vector>

#include "tag/ITree.h"

namespace DEVICE {

// Bit codes: a node's children combine by OR, so selected and unselected children together
// give 3, which is stored as PartlySelected.
enum class SelectState : int { NotSelected = 1, Selected = 2, PartlySelected = 4 };

class SelectTree {
 public:
  struct Node {
    ITree* tag = nullptr;
    std::vector<Node*> children;
    SelectState state = SelectState::NotSelected;
  };

  void Clear();
  // Creates the nodes on the path from the top level (the children of `root`) down to `tag`;
  // each new node is linked once under its parent's.
  void AddPath(ITree* tag, const ITree* root);
  // Marks `tag` selected when it has a node.
  void MarkSelected(const ITree* tag);
  // Recomputes the states from the bottom up. A node without children reports its own state,
  // one with children the OR of what they report; a report of 3 (or 0 or 4) is stored as
  // PartlySelected, and so is Selected when the tag has children that have no node.
  void RecomputeStates();
  const Node* Find(const ITree* tag) const;

 private:
  Node* FindNode(const ITree* tag) const;

  std::vector<Node*> top_;
  std::unordered_map<const ITree*, std::unique_ptr<Node>> nodes_;
};

}  // namespace DEVICE
