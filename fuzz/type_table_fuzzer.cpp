// A saved type-node table: reading never faults, a tree is built from it only within the
// node limit, and what was read saves and reads back to the same bytes.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "tag/InteriorDataTypeList.h"
#include "tag/VirtualTree.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  auto table = std::make_shared<InteriorDataTypeList>();
  utils::memoryRef view(data, size);
  table->Deserialize(&view);

  uint64_t nodes = 0, leaves = 0;
  // Keep the fuzzer fast: trees are built only when small.
  ITagDataType* root = table->Lookup(table->GetRootName());
  uint64_t planned = 0;
  if (root && CountTreeNodes(root, 100'000, planned)) {
    auto tree = TreeVisitor(table).CreateTree(nodes, leaves);
    if (!tree || nodes != planned) std::abort();
  }

  utils::MemoryBuffer saved;
  table->Serialize(&saved);
  InteriorDataTypeList again;
  utils::memoryRef savedView(saved.Data(), saved.Size());
  again.Deserialize(&savedView);
  utils::MemoryBuffer resaved;
  again.Serialize(&resaved);
  if (resaved.Size() != saved.Size() || std::memcmp(resaved.Data(), saved.Data(), saved.Size()) != 0) std::abort();
  return 0;
}
