#pragma once
// Named character references: the HTML 4.01 character entities plus "apos".
#include <string>
#include <string_view>

namespace xml {

struct NamedReference {
  std::string_view name;
  char32_t codePoint;
};

// The code point of a reference name, or 0 when the name is not known. Names match ignoring
// ASCII case, except that an exact match wins where two names differ only in case (Delta and
// delta).
char32_t LookupNamedReference(std::u16string_view name);

// Appends text with its character and named references decoded: "&", up to nine characters
// below 128 and ";". Anything that is not a reference, or names the code point 0, stays literal.
void AppendWithReferencesDecoded(std::u16string& out, std::u16string_view text);

}  // namespace xml
