#pragma once
// What the files of XmlDocument share: the text of a number in a note, and room reserved for
// a buffer that is about to be filled from start to end.
#include <cstddef>
#include <cstdint>
#include <string>

#include "platform/System.h"

namespace xml {

inline std::u16string NoteNumber(uint64_t value) {
  const std::string digits = std::to_string(value);
  return std::u16string(digits.begin(), digits.end());
}

// Reserves room for `count` elements that are about to be written one after the other.
template <class Container>
void ReserveForFill(Container& container, size_t count) {
  container.reserve(count);
  platform::AdviseBulkFill(container.data(), container.capacity() * sizeof(*container.data()));
}

}  // namespace xml
