#pragma once
// Encoding names as they appear in XML declarations and HTML meta elements, mapped to the
// platform's code page numbers.
#include <cstddef>
#include <span>
#include <string_view>

namespace xml {

// Code pages with a meaning of their own to the document reader.
inline constexpr int kCodePageDefault = 0;  // the platform's ANSI code page
inline constexpr int kCodePageUnknown = -1;
inline constexpr int kCodePageUtf32 = 65005;  // any name starting with "UTF-32"
inline constexpr int kCodePageUtf8 = 65001;   // decoded by the reader itself

struct EncodingName {
  std::string_view name;  // lower case
  int codePage;
};

// Every known name, in byte order of the names.
std::span<const EncodingName> EncodingNames();

// Empty → kCodePageDefault; a name starting with "UTF-32" (any case) → kCodePageUtf32;
// too long or not known → kCodePageUnknown; otherwise the code page of the name, compared
// after folding A–Z to lower case.
int LookupCodePage(std::u16string_view name);

}  // namespace xml
