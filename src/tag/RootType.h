#pragma once
// Groups the flat, dotted symbol names of a symbol file into generated structure and array
// types under one synthetic root structure.
#include <string>
#include <vector>

#include "tag/DataTypes.h"

namespace Tag {

inline constexpr char kRootName[] = "QORV_ROOT";
// Symbol paths deeper than this are not grouped further (their groups are dropped): real PLC
// paths are a few levels deep, and the grouping recurses once per level.
inline constexpr size_t kMaxGroupingDepth = 512;

// Adds the generated types and "QORV_ROOT" to the list, replaces the symbols by the root's
// members and returns the root name.
std::string BuildRootType(DataTypeList& list, std::vector<TagVariable>& symbols);

}  // namespace Tag
