#pragma once
// Walks of the tag tree for the benchmarks, without recursion (the tree may be deep).
#include <cstddef>
#include <string>
#include <vector>

#include "tag/ITree.h"

namespace bench {

inline size_t CountNodes(DEVICE::ITree* root) {
  size_t count = 0;
  std::vector<DEVICE::ITree*> pending;
  if (root) pending.push_back(root);
  while (!pending.empty()) {
    DEVICE::ITree* node = pending.back();
    pending.pop_back();
    ++count;
    for (uint32_t i = node->GetChildCount(); i > 0; --i) {
      if (DEVICE::ITree* child = node->GetChild(i - 1)) pending.push_back(child);
    }
  }
  return count;
}

// Full names of the selectable leaves, in row order (depth first, children in order), at most
// `limit` of them.
inline std::vector<std::string> LeafNames(DEVICE::ITree* root, size_t limit) {
  std::vector<std::string> names;
  std::vector<DEVICE::ITree*> pending;
  if (root) pending.push_back(root);
  while (!pending.empty() && names.size() < limit) {
    DEVICE::ITree* node = pending.back();
    pending.pop_back();
    const uint32_t children = node->GetChildCount();
    if (children == 0 && node->GetLabel()->GetDataType() != -1) {
      names.push_back(node->GetLabel()->GetFullName());
    }
    for (uint32_t i = children; i > 0; --i) {
      if (DEVICE::ITree* child = node->GetChild(i - 1)) pending.push_back(child);
    }
  }
  return names;
}

}  // namespace bench
