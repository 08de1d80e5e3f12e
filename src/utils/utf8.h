#pragma once
// UTF-8 to and from UTF-16 without failing: invalid input is replaced by U+FFFD (the XML reader
// asks for "?"). Both platform backends and the XML reader decode UTF-8 through these, so that
// invalid input gives the same text everywhere.
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>

#include "utils/utf16.h"

namespace utils {

inline void AppendUtf8(std::string& out, char32_t cp) {
  if (cp < 0x80) {
    out += static_cast<char>(cp);
  } else if (cp < 0x800) {
    out += static_cast<char>(0xC0 | (cp >> 6));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  } else if (cp < 0x10000) {
    out += static_cast<char>(0xE0 | (cp >> 12));
    out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (cp >> 18));
    out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  }
}

// Each lone surrogate becomes U+FFFD.
inline std::string EncodeUtf8Replacing(std::u16string_view text) {
  std::string out;
  out.reserve(text.size());
  ForEachCodePoint(text, [&out](char32_t cp) {
    AppendUtf8(out, cp);
    return true;
  });
  return out;
}

// Decodes `n` bytes at `bytes` into `out`, which has room for `n` units (never more are
// written); returns the units written. Each maximal invalid subpart (the longest start of a
// well-formed sequence, or else a single byte) becomes one `replacement`. Runs of ASCII, the
// bulk of a symbol file, are widened eight bytes at a time. A unit is written only after the
// bytes it comes from are read, so the bytes may lie in `out`'s own room, `n` bytes or more
// after its start: the units never catch up with them.
inline size_t DecodeUtf8Into(char16_t* const out, const unsigned char* const bytes, const size_t n,
                             char16_t replacement) {
  char16_t* o = out;
  size_t i = 0;
  while (i < n) {
    while (i + 8 <= n) {
      uint64_t word;
      std::memcpy(&word, bytes + i, sizeof word);
      if (word & 0x8080808080808080u) break;
      for (size_t k = 0; k < 8; ++k) o[k] = bytes[i + k];
      o += 8;
      i += 8;
    }
    if (i >= n) break;
    const unsigned char lead = bytes[i];
    if (lead < 0x80) {
      *o++ = lead;
      ++i;
      continue;
    }
    size_t length = 0;
    char32_t cp = 0;
    // The range of the second byte: narrower after the leads that could start an overlong
    // form, a surrogate or a code point beyond U+10FFFF.
    unsigned char low = 0x80, high = 0xBF;
    if (lead >= 0xC2 && lead <= 0xDF) {
      length = 2;
      cp = lead & 0x1F;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
      length = 3;
      cp = lead & 0x0F;
      if (lead == 0xE0) low = 0xA0;
      if (lead == 0xED) high = 0x9F;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
      length = 4;
      cp = lead & 0x07;
      if (lead == 0xF0) low = 0x90;
      if (lead == 0xF4) high = 0x8F;
    }
    size_t taken = 1;
    while (taken < length && i + taken < n) {
      const unsigned char next = bytes[i + taken];
      if (taken == 1 ? next < low || next > high : next < 0x80 || next > 0xBF) break;
      cp = cp << 6 | (next & 0x3F);
      ++taken;
    }
    if (length != 0 && taken == length) {
      o = WriteUtf16(o, cp);  // four bytes give two units, never more units than bytes
    } else {
      *o++ = replacement;
    }
    i += taken;
  }
  return static_cast<size_t>(o - out);
}

// Appends `text` decoded as DecodeUtf8Into does.
inline void AppendUtf8Decoded(std::u16string& out, std::string_view text, char16_t replacement) {
  const size_t start = out.size();
  out.resize(start + text.size());
  const auto* const bytes = reinterpret_cast<const unsigned char*>(text.data());
  out.resize(start + DecodeUtf8Into(out.data() + start, bytes, text.size(), replacement));
}

inline std::u16string DecodeUtf8Replacing(std::string_view text) {
  std::u16string out;
  out.reserve(text.size());
  AppendUtf8Decoded(out, text, u'\uFFFD');
  return out;
}

}  // namespace utils
