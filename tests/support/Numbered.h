#pragma once
// A name with a number appended ("m" and 12 make "m12"), for tests that make many nodes.
#include <string>

inline std::string Numbered(const char* prefix, int number) {
  // Appended rather than `prefix + std::to_string(number)`, which GCC 12 at -O3 warns about
  // wrongly (-Wrestrict on the inlined insert at the front).
  std::string name = prefix;
  name += std::to_string(number);
  return name;
}
