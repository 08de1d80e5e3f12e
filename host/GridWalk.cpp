#include "GridWalk.h"

#include <set>
#include <unordered_set>

namespace adshost {
namespace {

// The full names of a tag's ancestors end before a member dot or an index bracket.
std::unordered_set<std::u16string> AncestorNames(const std::vector<std::u16string>& fullNames) {
  std::unordered_set<std::u16string> ancestors;
  for (const auto& name : fullNames)
    for (size_t i = 1; i < name.size(); ++i)
      if (name[i] == u'.' || name[i] == u'[') ancestors.insert(name.substr(0, i));
  return ancestors;
}

}  // namespace

std::map<std::u16string, std::u16string> RevealTypes(grid::GridView& grid,
                                                     const std::vector<std::u16string>& fullNames) {
  const std::unordered_set<std::u16string> wanted(fullNames.begin(), fullNames.end());
  const std::unordered_set<std::u16string> ancestors = AncestorNames(fullNames);
  std::map<std::u16string, std::u16string> types;
  const int tree = grid.TreeColumn();
  // Expanding a row inserts its children right below it, so one pass down the rows sees them.
  for (int row = grid.FixedRowCount(); row < grid.RowCount(); ++row) {
    if (grid.IsRowHidden(row)) continue;
    const std::u16string name = grid.AccessibleName(row);
    if (wanted.count(name)) types.emplace(name, grid.CellText(row, tree + 1));
    if (ancestors.count(name) && grid.RowHasChildren(row) && !grid.IsRowExpanded(row)) grid.Expand(row);
  }
  return types;
}

std::vector<TagRow> SearchTags(ProbeDialog& dialog, const std::u16string& text) {
  std::vector<TagRow> found;
  grid::GridView* grid = dialog.Grid();
  if (!grid || text.empty()) return found;
  std::set<std::u16string> seen;
  std::u16string first, previous;
  grid->SelectRow(-1);
  // Each press shows the next result; after the last one nothing is shown (the selection stays
  // where it was) and the following press starts again from the first.
  for (;;) {
    dialog.Find(text);
    const int row = grid->SelectedRow();
    if (row < 0) break;
    std::u16string name = grid->AccessibleName(row);
    if (name == previous || name == first) break;
    if (first.empty()) first = name;
    previous = name;
    if (seen.insert(name).second) found.push_back({std::move(name), grid->CellText(row, grid->TreeColumn())});
  }
  return found;
}

std::u16string LastSegment(const std::u16string& fullName) {
  int depth = 0;
  size_t start = 0;
  for (size_t i = 0; i < fullName.size(); ++i) {
    if (fullName[i] == u'[') ++depth;
    if (fullName[i] == u']' && depth > 0) --depth;
    if (fullName[i] == u'.' && depth == 0) start = i + 1;
  }
  return fullName.substr(start);
}

}  // namespace adshost
