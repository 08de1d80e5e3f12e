// The symbol-file pipeline from bytes: load, both passes, tree build; the saved type table
// read back gives a tree of the same size.
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "beckhoff/BeckhoffFileparser.h"
#include "tag/VirtualTree.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  Beckhoff::BeckhoffFileparser parser(nullptr);
  if (!parser.LoadBytes(data, size)) return 0;
  parser.ReadDataTypes();
  parser.ReadSymbols();
  auto table = std::make_shared<InteriorDataTypeList>();
  uint64_t nodes = 0, leaves = 0;
  auto tree = TreeVisitor(parser.GetDataTypes(), table).BuildTree(parser.GetSymbols(), nodes, leaves);
  utils::MemoryBuffer saved;
  table->Serialize(&saved);
  auto reloaded = std::make_shared<InteriorDataTypeList>();
  utils::memoryRef view(saved.Data(), saved.Size());
  reloaded->Deserialize(&view);
  uint64_t nodes2 = 0, leaves2 = 0;
  auto again = TreeVisitor(reloaded).CreateTree(nodes2, leaves2);
  if (static_cast<bool>(tree) != static_cast<bool>(again) || nodes != nodes2 || leaves != leaves2) std::abort();
  return 0;
}
