#include "tag/VirtualTree.h"

#include <array>
#include <memory>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "platform/System.h"
#include "tag/RootType.h"

namespace {

bool HasChildren(const ITagDataType* type) {
  if (!type) return false;
  const uint32_t code = type->GetTypeCode();
  return (code == Tag::kArray || code == Tag::kStruct) && type->GetChildCount() > 0;
}

// What a node of this type is in the tree: a parent of children, a leaf, or neither (no type,
// or an array or structure without members).
enum class NodeKind { Nothing, Parent, Leaf };

NodeKind KindOf(const ITagDataType* type) {
  if (!type) return NodeKind::Nothing;
  if (HasChildren(type)) return NodeKind::Parent;
  const uint32_t code = type->GetTypeCode();
  return code != Tag::kArray && code != Tag::kStruct ? NodeKind::Leaf : NodeKind::Nothing;
}

int32_t LabelDataType(uint32_t code) {
  switch (code) {
    case Tag::kBool: case Tag::kBit: return 0;
    case Tag::kUsint: case Tag::kByte: return 1;
    case Tag::kSint: return 2;
    case Tag::kUint: case Tag::kWord: return 3;
    case Tag::kInt: return 4;
    case Tag::kUdint: case Tag::kDword: return 5;
    case Tag::kDint: return 6;
    case Tag::kUlint: case Tag::kLword: return 7;
    case Tag::kLint: return 8;
    case Tag::kReal: return 9;
    case Tag::kLreal: return 10;
    case 11: return 11;
    case Tag::kWstring: return 12;
    case Tag::kString: return 13;
    case 13: return 14;
    default: return -1;
  }
}

// The nodes of one tree, default-constructed in one allocation that is offered for large
// pages before it is written.
class NodeBlock {
 public:
  explicit NodeBlock(size_t count) : count_(count), nodes_(std::allocator<VirtualTree>().allocate(count)) {
    platform::AdviseBulkFill(nodes_, count * sizeof(VirtualTree));
    std::uninitialized_default_construct_n(nodes_, count);
  }
  ~NodeBlock() {
    std::destroy_n(nodes_, count_);
    std::allocator<VirtualTree>().deallocate(nodes_, count_);
  }
  NodeBlock(const NodeBlock&) = delete;
  NodeBlock& operator=(const NodeBlock&) = delete;
  VirtualTree* Nodes() const { return nodes_; }

 private:
  size_t count_;
  VirtualTree* nodes_;
};

}  // namespace

std::string VirtualTree::GetName() const {
  if (!parent_ || !parent_->type_) return {};
  const uint32_t position = static_cast<uint32_t>(this - parent_->children_);
  if (position >= parent_->childCount_) return {};
  return parent_->type_->GetChildName(position);
}

std::string VirtualTree::GetFullName() const {
  // Called for every leaf the dialog yields: the path of a usual depth lives on the stack.
  constexpr size_t kInlineDepth = 32;
  size_t depth = 0;
  for (const VirtualTree* node = this; node->parent_; node = node->parent_) ++depth;
  std::array<const VirtualTree*, kInlineDepth> inlineChain;
  std::vector<const VirtualTree*> deepChain(depth > kInlineDepth ? depth : 0);
  const VirtualTree** chain = depth > kInlineDepth ? deepChain.data() : inlineChain.data();
  size_t at = 0;
  for (const VirtualTree* node = this; node->parent_; node = node->parent_) chain[at++] = node;
  std::string full;
  full.reserve(16 * depth);  // most names then fit without growing
  for (size_t i = depth; i-- > 0;) {
    const VirtualTree* node = chain[i];
    if (!full.empty() && !node->ParentIsArray()) full += '.';
    full += node->GetName();
  }
  return full;
}

int32_t VirtualTree::GetDataType() const { return type_ ? LabelDataType(type_->GetTypeCode()) : -1; }

bool VirtualTree::IsInArray() const {
  for (const VirtualTree* node = this; node; node = node->parent_)
    if (node->type_ && node->type_->GetTypeCode() == Tag::kArray) return true;
  return false;
}

DEVICE::ITree* VirtualTree::Find(const std::string& fullName) {
  if (!type_ || fullName.empty()) return nullptr;
  // A depth-first search with backtracking over where each step's head ends (member names
  // may contain "."), kept on an explicit stack.
  struct Frame {
    VirtualTree* node;
    size_t start;  // the path of this frame is fullName.substr(start)
    size_t dot;    // end of the current head, relative to start; npos = whole path
    bool started;
  };
  const std::string_view whole(fullName);
  std::vector<Frame> stack{{this, 0, std::string_view::npos, false}};
  // Member names with dots let every level retry longer heads, which on a hostile table and
  // name multiplies from level to level; past this many key characters tried the name counts
  // as not found. Real names need their own length.
  uint64_t keyBudget = uint64_t{1} << 26;
  while (!stack.empty()) {
    Frame& frame = stack.back();
    const std::string_view path = whole.substr(frame.start);
    if (!frame.started) {
      frame.started = true;
      frame.dot = path.find('.');
    } else if (frame.dot == std::string_view::npos) {
      stack.pop_back();
      continue;
    } else {
      frame.dot = path.find('.', frame.dot + 1);
    }
    const std::string_view head = path.substr(0, frame.dot);
    std::string_view key = head;
    size_t restStart = frame.dot == std::string_view::npos ? path.size() : frame.dot + 1;
    if (!head.empty() && head.back() == ']' && head.front() != '[') {
      const size_t bracket = head.find('[');
      key = head.substr(0, bracket);
      restStart = bracket;
    }
    if (key.size() >= keyBudget) return nullptr;
    keyBudget -= key.size() + 1;
    const int64_t index = frame.node->type_->FindChild(std::string(key));
    if (index < 0 || index >= frame.node->childCount_) continue;
    VirtualTree* child = frame.node->children_ + index;
    if (restStart >= path.size()) return child;
    if (child->type_) stack.push_back({child, frame.start + restStart, std::string_view::npos, false});
  }
  return nullptr;
}

bool CountTreeNodes(ITagDataType* root, uint64_t limit, uint64_t& nodes) {
  // Subtree sizes per type node, memoised, computed depth first with an explicit stack; a
  // type met again on its own path makes the tree infinite.
  std::unordered_map<const ITagDataType*, uint64_t> sizes;
  std::unordered_map<const ITagDataType*, bool> onPath;
  struct Frame {
    ITagDataType* type;
    uint32_t next;
    uint64_t total;
  };
  auto saturatingAdd = [limit](uint64_t a, uint64_t b) { return a > limit || b > limit - a ? limit + 1 : a + b; };
  auto sizeOf = [&](const ITagDataType* type) -> uint64_t* {
    if (!HasChildren(type)) return nullptr;
    auto it = sizes.find(type);
    return it == sizes.end() ? nullptr : &it->second;
  };
  std::vector<Frame> stack{{root, 0, 1}};
  onPath[root] = true;
  while (!stack.empty()) {
    Frame& top = stack.back();
    ITagDataType* type = top.type;
    const bool isArray = type->GetTypeCode() == Tag::kArray;
    const uint32_t count = HasChildren(type) ? type->GetChildCount() : 0;
    const uint32_t distinct = isArray ? std::min<uint32_t>(count, 1) : count;
    if (top.next < distinct) {
      ITagDataType* child = type->GetChildType(top.next);
      uint64_t childSize = 1;
      if (HasChildren(child)) {
        if (onPath[child]) return false;  // infinite
        if (uint64_t* known = sizeOf(child)) {
          childSize = *known;
        } else {
          onPath[child] = true;
          stack.push_back({child, 0, 1});
          continue;
        }
      }
      const uint64_t add = isArray ? std::min<uint64_t>(childSize * count, limit + 1) : childSize;
      top.total = saturatingAdd(top.total, add);
      ++top.next;
      // A subtree over the limit puts the whole tree over it. Stopping here also bounds the
      // walk of a saved node that is an array with a structure's code: its billions of
      // elements are visited one by one.
      if (top.total > limit) {
        nodes = limit + 1;
        return false;
      }
      continue;
    }
    const uint64_t total = top.total;
    sizes[type] = total;
    onPath[type] = false;
    stack.pop_back();
    if (stack.empty()) {
      nodes = total;
      return total <= limit;
    }
  }
  return false;
}

std::shared_ptr<DEVICE::ITree> TreeVisitor::CreateTree(uint64_t& nodeCount, uint64_t& leafCount) {
  nodeCount = 0;
  leafCount = 0;
  refusal_ = Refusal::None;
  if (!table_) return nullptr;
  ITagDataType* rootType = table_->Lookup(table_->GetRootName());
  if (!rootType) return nullptr;
  uint64_t planned = 0;
  if (!CountTreeNodes(rootType, kMaxTreeNodes, planned)) {
    refusal_ = planned > kMaxTreeNodes ? Refusal::TooLarge : Refusal::Infinite;
    return nullptr;
  }

  // Every node comes from one block of the counted size, the root first: no allocation per
  // parent, and the whole tree is freed at once.
  auto block = std::make_shared<NodeBlock>(static_cast<size_t>(planned));
  VirtualTree* const nodes = block->Nodes();
  // Only nodes with children go on the stack: the leaves, most of a tree, are counted where
  // they are made. An array's elements share one type, which is looked at once.
  std::vector<VirtualTree*> work;
  const auto place = [&work, &leafCount](VirtualTree& node, NodeKind kind) {
    if (kind == NodeKind::Parent) work.push_back(&node);
    if (kind == NodeKind::Leaf) ++leafCount;
  };
  nodes[0].Init(rootType, nullptr);
  place(nodes[0], KindOf(rootType));
  size_t used = 1;
  while (!work.empty()) {
    VirtualTree* node = work.back();
    work.pop_back();
    ITagDataType* type = node->type_;
    const uint32_t count = type->GetChildCount();
    if (count > planned - used) return nullptr;  // cannot happen: counted by the same rules
    node->children_ = nodes + used;
    node->childCount_ = count;
    used += count;
    ITagDataType* const element = type->GetTypeCode() == Tag::kArray ? type->GetChildType(0) : nullptr;
    const NodeKind elementKind = element ? KindOf(element) : NodeKind::Nothing;
    for (uint32_t i = count; i-- > 0;) {
      VirtualTree& child = node->children_[i];
      if (element) {
        child.Init(element, node);
        place(child, elementKind);
      } else {
        child.Init(type->GetChildType(i), node);
        place(child, KindOf(child.type_));
      }
    }
  }
  nodeCount = used;
  return std::shared_ptr<DEVICE::ITree>(std::move(block), nodes);
}

std::shared_ptr<DEVICE::ITree> TreeVisitor::BuildTree(std::vector<Tag::TagVariable> symbols, uint64_t& nodeCount,
                                                      uint64_t& leafCount) {
  nodeCount = 0;
  leafCount = 0;
  if (!list_ || !table_) return nullptr;
  const std::string root = Tag::BuildRootType(*list_, symbols);
  table_->Build(root, *list_);
  return CreateTree(nodeCount, leafCount);
}
