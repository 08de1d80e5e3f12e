#pragma once
// Turning a tag's full name into a variable name the host can use as an identifier.
#include <string>

namespace driver {

// Replaces separators and punctuation of a full name by underscores, in a fixed order (the
// order matters: a pair of underscores is merged once, before blanks become underscores).
// An empty path name falls back to the tag name with only its dots replaced.
std::u16string MakeVarName(const std::u16string& pathName, const std::u16string& tagName);

// Replaces every occurrence of `from`, scanning left to right without rescanning replacements.
std::u16string ReplaceAll(const std::u16string& text, const std::u16string& from, const std::u16string& to);

}  // namespace driver
