#pragma once
// What the files of XmlDocument share: the text of a number in a note.
#include <cstddef>
#include <cstdint>
#include <string>

namespace xml {

inline std::u16string NoteNumber(uint64_t value) {
  const std::string digits = std::to_string(value);
  return std::u16string(digits.begin(), digits.end());
}

}  // namespace xml
