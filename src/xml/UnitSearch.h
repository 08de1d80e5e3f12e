#pragma once
// Finds UTF-16 units in a text four units at a time: the reader's scans for "<" and "&", and
// for the ends of comments and character data, run over every character of a file.
#include <bit>
#include <cstdint>
#include <cstring>
#include <string_view>

namespace xml {

namespace detail {

constexpr uint64_t kOnes = 0x0001000100010001u;
constexpr uint64_t kHighs = 0x8000800080008000u;

// The high bit of each lane of `word` that holds `unit`, and perhaps of lanes above such a
// lane; the lowest flagged lane is always a match, since a borrow only reaches the lanes above.
inline uint64_t LanesHolding(uint64_t word, char16_t unit) {
  const uint64_t x = word ^ (kOnes * unit);  // a zero lane where the unit is
  return (x - kOnes) & ~x & kHighs;
}

}  // namespace detail

// The position of the first `unit` at or after `from`, or npos.
inline size_t FindUnit(std::u16string_view text, char16_t unit, size_t from = 0) {
  const char16_t* const data = text.data();
  const size_t n = text.size();
  size_t i = from;
  if constexpr (std::endian::native == std::endian::little) {
    for (; i + 4 <= n; i += 4) {
      uint64_t word;
      std::memcpy(&word, data + i, sizeof word);
      if (const uint64_t lanes = detail::LanesHolding(word, unit))
        return i + static_cast<size_t>(std::countr_zero(lanes)) / 16;
    }
  }
  for (; i < n; ++i)
    if (data[i] == unit) return i;
  return std::u16string_view::npos;
}

// Whether the text holds `a` or `b`, in one pass.
inline bool HoldsEither(std::u16string_view text, char16_t a, char16_t b) {
  const char16_t* const data = text.data();
  const size_t n = text.size();
  size_t i = 0;
  if constexpr (std::endian::native == std::endian::little) {
    for (; i + 4 <= n; i += 4) {
      uint64_t word;
      std::memcpy(&word, data + i, sizeof word);
      if (detail::LanesHolding(word, a) | detail::LanesHolding(word, b)) return true;
    }
  }
  for (; i < n; ++i)
    if (data[i] == a || data[i] == b) return true;
  return false;
}

// The position of the first `needle` (not empty) at or after `from`, or npos.
inline size_t FindText(std::u16string_view text, std::u16string_view needle, size_t from = 0) {
  for (size_t i = FindUnit(text, needle.front(), from); i != std::u16string_view::npos;
       i = FindUnit(text, needle.front(), i + 1)) {
    if (text.size() - i < needle.size()) break;
    if (text.substr(i, needle.size()) == needle) return i;
  }
  return std::u16string_view::npos;
}

}  // namespace xml
