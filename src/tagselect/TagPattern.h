#pragma once
// The dialog's search: shell-style wildcards on bytes, and the tags they find. "*" matches any run, "?" one
// byte, "[...]" a set with ranges and "!" or "^" negation. Backslash is an ordinary character;
// ASCII letters compare without case.
#include <string>
#include <string_view>
#include <vector>

#include "tag/ITree.h"

namespace DEVICE {

bool MatchPattern(std::string_view pattern, std::string_view text);

// Appends the leaves found below `node` by name, depth first in child order: a node whose own
// name matches gives every leaf of its subtree (itself when it has no children); a node that
// does not match is searched in turn. A node without label does not match.
void FindLeavesByPattern(ITree* node, std::string_view pattern, std::vector<ITree*>& leaves);

// Whether two patterns as typed are the same apart from the case of ASCII letters.
bool SamePatternIgnoringCase(std::u16string_view a, std::u16string_view b);

}  // namespace DEVICE
