#pragma once
// Reading the tag tree through the selection dialog's grid, the way a user would: expanding
// rows and searching by name.
#include <map>
#include <string>
#include <vector>

#include "DialogProbe.h"

namespace adshost {

// The type text shown for each of the full names that has a row, expanding only the rows on
// the way to them.
std::map<std::u16string, std::u16string> RevealTypes(grid::GridView& grid,
                                                     const std::vector<std::u16string>& fullNames);

struct TagRow {
  std::u16string fullName;
  std::u16string shownName;  // an array element shows as its array's name and the index
};

// Every tag that the dialog's search finds for the text, in the order the search shows them.
std::vector<TagRow> SearchTags(ProbeDialog& dialog, const std::u16string& text);

// The last segment of a full name ("MAIN.fb.a[3]" gives "a[3]"), as the dialog shows that tag.
std::u16string LastSegment(const std::u16string& fullName);

}  // namespace adshost
