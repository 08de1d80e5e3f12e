// The symbol-file pipeline from bytes: load, both passes, tree build; the saved type table
// read back gives a tree of the same size, and saving that one again changes nothing.
// Only a nameless data type may lose references on the way: the saved form writes "no
// type" as an empty name.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "beckhoff/BeckhoffFileparser.h"
#include "tag/VirtualTree.h"

namespace {

struct Reloaded {
  std::shared_ptr<InteriorDataTypeList> table = std::make_shared<InteriorDataTypeList>();
  std::shared_ptr<DEVICE::ITree> tree;
  uint64_t nodes = 0, leaves = 0;
  utils::MemoryBuffer saved;
};

void SaveAndReload(const InteriorDataTypeList& source, Reloaded& out) {
  source.Serialize(&out.saved);
  utils::memoryRef view(out.saved.Data(), out.saved.Size());
  out.table->Deserialize(&view);
  out.tree = TreeVisitor(out.table).CreateTree(out.nodes, out.leaves);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  Beckhoff::BeckhoffFileparser parser(nullptr);
  if (!parser.LoadBytes(data, size)) return 0;
  parser.ReadDataTypes();
  parser.ReadSymbols();
  auto table = std::make_shared<InteriorDataTypeList>();
  uint64_t nodes = 0, leaves = 0;
  auto tree = TreeVisitor(parser.GetDataTypes(), table).BuildTree(parser.GetSymbols(), nodes, leaves);

  Reloaded once, twice;
  SaveAndReload(*table, once);
  SaveAndReload(*once.table, twice);
  if (twice.saved.Size() != once.saved.Size() ||
      !std::equal(once.saved.Data(), once.saved.Data() + once.saved.Size(), twice.saved.Data()))
    std::abort();
  if (static_cast<bool>(once.tree) != static_cast<bool>(twice.tree) || once.nodes != twice.nodes ||
      once.leaves != twice.leaves)
    std::abort();
  if (table->Lookup("")) return 0;
  if (static_cast<bool>(tree) != static_cast<bool>(once.tree) || nodes != once.nodes || leaves != once.leaves)
    std::abort();
  return 0;
}
