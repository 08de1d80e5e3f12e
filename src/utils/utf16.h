#pragma once
// Appending a Unicode code point to UTF-16 text: a surrogate pair above U+FFFF.
#include <string>

namespace utils {

inline void AppendUtf16(std::u16string& out, char32_t cp) {
  if (cp > 0xFFFF) {
    cp -= 0x10000;
    out += static_cast<char16_t>(0xD800 + (cp >> 10));
    out += static_cast<char16_t>(0xDC00 + (cp & 0x3FF));
  } else {
    out += static_cast<char16_t>(cp);
  }
}

}  // namespace utils
