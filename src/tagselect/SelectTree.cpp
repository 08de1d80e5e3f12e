#include "tagselect/SelectTree.h"

namespace DEVICE {

void SelectTree::Clear() {
  top_.clear();
  nodes_.clear();
}

void SelectTree::AddPath(ITree* tag, const ITree* root) {
  std::vector<ITree*> missing;
  Node* anchor = nullptr;
  for (ITree* at = tag; at;) {
    if ((anchor = FindNode(at))) break;
    missing.push_back(at);
    ITree* parent = at->GetParent();
    if (!parent || parent == root) break;
    at = parent;
  }
  for (auto it = missing.rbegin(); it != missing.rend(); ++it) {
    auto created = std::make_unique<Node>();
    created->tag = *it;
    Node* added = created.get();
    nodes_.emplace(*it, std::move(created));
    (anchor ? anchor->children : top_).push_back(added);
    anchor = added;
  }
}

void SelectTree::MarkSelected(const ITree* tag) {
  if (Node* node = FindNode(tag)) node->state = SelectState::Selected;
}

// Post-order over each top-level node, with an explicit stack: the tag tree may be deep.
void SelectTree::RecomputeStates() {
  struct Frame {
    Node* node;
    size_t next;
    int combined;
  };
  for (Node* top : top_) {
    std::vector<Frame> frames{{top, 0, 0}};
    while (!frames.empty()) {
      Frame& frame = frames.back();
      if (frame.next < frame.node->children.size()) {
        frames.push_back({frame.node->children[frame.next++], 0, 0});
        continue;
      }
      Node* node = frame.node;
      const int reported = node->children.empty() ? static_cast<int>(node->state) : frame.combined;
      SelectState stored = static_cast<SelectState>(reported);
      if (reported == 0 || reported == 3 || reported == 4 ||
          (reported == 2 && node->children.size() < node->tag->GetChildCount()))
        stored = SelectState::PartlySelected;
      node->state = stored;
      frames.pop_back();
      if (!frames.empty()) frames.back().combined |= reported;
    }
  }
}

const SelectTree::Node* SelectTree::Find(const ITree* tag) const { return FindNode(tag); }

SelectTree::Node* SelectTree::FindNode(const ITree* tag) const {
  auto found = nodes_.find(tag);
  return found == nodes_.end() ? nullptr : found->second.get();
}

}  // namespace DEVICE
