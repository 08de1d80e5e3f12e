#pragma once
// The integer and string conventions of all saved data: unsigned 32-bit integers least
// significant byte first, strings as a 32-bit byte count followed by the bytes.
#include <cstdint>
#include <string>
#include <string_view>

#include "utils/memory.h"

namespace utils {

inline void WriteU32(imemorywrite& out, uint32_t value) {
  const unsigned char bytes[4] = {static_cast<unsigned char>(value), static_cast<unsigned char>(value >> 8),
                                  static_cast<unsigned char>(value >> 16), static_cast<unsigned char>(value >> 24)};
  out.Write(bytes, 4);
}

inline void WriteU8(imemorywrite& out, uint8_t value) { out.Write(&value, 1); }

inline void WriteString(imemorywrite& out, std::string_view text) {
  WriteU32(out, static_cast<uint32_t>(text.size()));
  out.Write(text.data(), text.size());
}

inline uint32_t LoadU32(const unsigned char* at) {
  return static_cast<uint32_t>(at[0]) | static_cast<uint32_t>(at[1]) << 8 | static_cast<uint32_t>(at[2]) << 16 |
         static_cast<uint32_t>(at[3]) << 24;
}

inline void StoreU32(unsigned char* at, uint32_t value) {
  at[0] = static_cast<unsigned char>(value);
  at[1] = static_cast<unsigned char>(value >> 8);
  at[2] = static_cast<unsigned char>(value >> 16);
  at[3] = static_cast<unsigned char>(value >> 24);
}

inline bool ReadU32(imemoryread& in, uint32_t& value) {
  unsigned char bytes[4];
  if (!in.Read(bytes, 4)) return false;
  value = LoadU32(bytes);
  return true;
}

inline bool ReadU8(imemoryread& in, uint8_t& value) { return in.Read(&value, 1); }

// Reads a counted string; a count that runs past the end fails before anything is allocated.
inline bool ReadString(imemoryread& in, std::string& text) {
  uint32_t count = 0;
  if (!ReadU32(in, count)) return false;
  if (count > in.Size() - in.ReadPos()) return false;
  text.resize(count);
  return in.Read(text.data(), count);
}

}  // namespace utils
