#pragma once
// The dialog's search pattern: shell-style wildcards on bytes. "*" matches any run, "?" one
// byte, "[...]" a set with ranges and "!" or "^" negation. Backslash is an ordinary character;
// ASCII letters compare without case.
#include <string>
#include <string_view>

namespace DEVICE {

bool MatchPattern(std::string_view pattern, std::string_view text);

// Whether two patterns as typed are the same apart from the case of ASCII letters.
bool SamePatternIgnoringCase(std::u16string_view a, std::u16string_view b);

}  // namespace DEVICE
