#pragma once
// UTF-16 code points: appending one (a surrogate pair above U+FFFF), removing the last one and
// walking them.
#include <string>
#include <string_view>

namespace utils {

// Writes the code point's one or two units at `at`; returns the position after them.
inline char16_t* WriteUtf16(char16_t* at, char32_t cp) {
  if (cp > 0xFFFF) {
    cp -= 0x10000;
    *at++ = static_cast<char16_t>(0xD800 + (cp >> 10));
    *at++ = static_cast<char16_t>(0xDC00 + (cp & 0x3FF));
  } else {
    *at++ = static_cast<char16_t>(cp);
  }
  return at;
}

inline void AppendUtf16(std::u16string& out, char32_t cp) {
  char16_t units[2];
  out.append(units, static_cast<size_t>(WriteUtf16(units, cp) - units));
}

// Removes the last character, a surrogate pair being one.
inline void PopCodePoint(std::u16string& text) {
  if (text.empty()) return;
  const bool pair = text.size() >= 2 && text.back() >= 0xDC00 && text.back() < 0xE000 &&
                    text[text.size() - 2] >= 0xD800 && text[text.size() - 2] < 0xDC00;
  text.resize(text.size() - (pair ? 2 : 1));
}

// Calls f(code point) for each character of the text, a lone surrogate being U+FFFD, until f
// returns false.
template <typename F>
void ForEachCodePoint(std::u16string_view text, F f) {
  for (size_t i = 0; i < text.size(); ++i) {
    char32_t cp = text[i];
    if (cp >= 0xD800 && cp < 0xDC00 && i + 1 < text.size() && text[i + 1] >= 0xDC00 && text[i + 1] < 0xE000) {
      cp = 0x10000 + ((cp - 0xD800) << 10) + (text[i + 1] - 0xDC00);
      ++i;
    } else if (cp >= 0xD800 && cp < 0xE000) {
      cp = 0xFFFD;
    }
    if (!f(cp)) return;
  }
}

}  // namespace utils
