#pragma once
// Finds UTF-16 units in a text four units at a time, and counts tag starts in bytes eight at a
// time: the reader's scans for "<" and "&", for the ends of comments and character data, and
// for the size of its element index run over every character of a file.
#include <bit>
#include <cstdint>
#include <cstring>
#include <string_view>
#include <type_traits>

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

// Whether a character may begin an element's name, as the parser decides it: a unit of a text,
// or a byte of UTF-8 (any byte above 0x7F begins or continues a character above "`").
template <typename Unit>
bool StartsTag(Unit c) {
  return (c >= 'A' && c <= 'Z') || c == '_' || c == ':' || static_cast<std::make_unsigned_t<Unit>>(c) > '`';
}

// An upper bound of the elements of a UTF-8 text: its "<" bytes followed by a byte that may
// begin a name. Decoding keeps every "<" and turns no other byte into one, so the decoded text
// has at most this many; eight bytes are looked at a time, half the memory of the decoded text.
inline size_t CountTagStartBytes(std::string_view bytes) {
  const size_t n = bytes.size();
  size_t count = 0;
  size_t i = 0;
  const auto countAt = [&](size_t at) {
    if (at + 1 < n && StartsTag(bytes[at + 1])) ++count;
  };
  if constexpr (std::endian::native == std::endian::little) {
    constexpr uint64_t kLow7 = 0x7F7F7F7F7F7F7F7Fu;
    constexpr uint64_t kPattern = 0x3C3C3C3C3C3C3C3Cu;  // "<" in every byte
    for (; i + 8 <= n; i += 8) {
      uint64_t word;
      std::memcpy(&word, bytes.data() + i, sizeof word);
      const uint64_t x = word ^ kPattern;  // a zero byte where "<" is
      uint64_t lanes = ~(((x & kLow7) + kLow7) | x) & ~kLow7;  // exactly the zero bytes
      for (; lanes; lanes &= lanes - 1) countAt(i + static_cast<size_t>(std::countr_zero(lanes)) / 8);
    }
  }
  for (; i < n; ++i)
    if (bytes[i] == '<') countAt(i);
  return count;
}

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
