#pragma once
// The integer and string conventions of all saved data: unsigned 32-bit integers least
// significant byte first, strings as a 32-bit byte count followed by the bytes. Every
// little-endian load and store of the project goes through here.
#include <algorithm>
#include <cstdint>
#include <string>
#include <string_view>

#include "utils/memory.h"

namespace utils {

inline uint16_t LoadU16(const unsigned char* at) {
  return static_cast<uint16_t>(static_cast<uint32_t>(at[0]) | static_cast<uint32_t>(at[1]) << 8);
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

inline void WriteU32(imemorywrite& out, uint32_t value) {
  unsigned char bytes[4];
  StoreU32(bytes, value);
  out.Write(bytes, 4);
}

inline void WriteU8(imemorywrite& out, uint8_t value) { out.Write(&value, 1); }

inline void WriteString(imemorywrite& out, std::string_view text) {
  WriteU32(out, static_cast<uint32_t>(text.size()));
  out.Write(text.data(), text.size());
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

// A bounds-checked view of bytes owned elsewhere. Offsets are counted from `origin`, the
// offset of the first byte in an enclosing file, so that a part of a file keeps the file's
// offsets; every read checks that it lies completely inside [origin, origin + size).
class ByteSpan {
 public:
  ByteSpan() = default;
  ByteSpan(const unsigned char* data, uint64_t size, uint64_t origin = 0)
      : data_(data), size_(size), origin_(origin) {}

  uint64_t begin() const { return origin_; }
  uint64_t end() const { return origin_ + size_; }
  uint64_t size() const { return size_; }
  const unsigned char* data() const { return data_; }

  bool Has(uint64_t at, uint64_t n) const { return at >= origin_ && at - origin_ <= size_ && n <= end() - at; }
  // The part [at, at + n); empty when it does not lie inside.
  ByteSpan Sub(uint64_t at, uint64_t n) const { return Has(at, n) ? ByteSpan(data_ + (at - origin_), n, at) : ByteSpan(); }

  bool U8(uint64_t at, uint8_t& value) const {
    if (!Has(at, 1)) return false;
    value = data_[at - origin_];
    return true;
  }
  bool U32(uint64_t at, uint32_t& value) const {
    if (!Has(at, 4)) return false;
    value = LoadU32(data_ + (at - origin_));
    return true;
  }
  bool Bytes(uint64_t at, uint64_t n, std::string& text) const {
    if (!Has(at, n)) return false;
    text.assign(reinterpret_cast<const char*>(data_ + (at - origin_)), n);
    return true;
  }
  // The text at `at` up to its zero byte, at most `limit` bytes and never past the end. False
  // when `at` lies outside; `terminated` tells whether the zero byte was found.
  bool ZeroText(uint64_t at, uint64_t limit, std::string& text, bool* terminated = nullptr) const {
    if (!Has(at, 0)) return false;
    const uint64_t available = std::min<uint64_t>(limit, end() - at);
    const auto* start = reinterpret_cast<const char*>(data_ + (at - origin_));
    const uint64_t length = std::find(start, start + available, '\0') - start;
    text.assign(start, length);
    if (terminated) *terminated = length < available;
    return true;
  }

 private:
  const unsigned char* data_ = nullptr;
  uint64_t size_ = 0;
  uint64_t origin_ = 0;
};

// Reads forward through a span: counted strings, words and tag bytes.
class ByteCursor {
 public:
  explicit ByteCursor(const ByteSpan& span) : span_(span), at_(span.begin()) {}
  uint64_t at() const { return at_; }
  bool U8(uint8_t& value) { return span_.U8(at_, value) && Advance(1); }
  bool U32(uint32_t& value) { return span_.U32(at_, value) && Advance(4); }
  bool Text(std::string& text) {
    uint32_t count = 0;
    return span_.U32(at_, count) && span_.Bytes(at_ + 4, count, text) && Advance(4 + uint64_t{count});
  }

 private:
  bool Advance(uint64_t n) {
    at_ += n;
    return true;
  }
  const ByteSpan& span_;
  uint64_t at_;
};

// The same reading operations over a stream: a failed read leaves the stream where the
// stream's own Read leaves it.
class StreamCursor {
 public:
  explicit StreamCursor(imemoryread& stream) : stream_(stream) {}
  uint64_t at() const { return stream_.ReadPos(); }
  bool U8(uint8_t& value) { return ReadU8(stream_, value); }
  bool U32(uint32_t& value) { return ReadU32(stream_, value); }
  bool Text(std::string& text) { return ReadString(stream_, text); }

 private:
  imemoryread& stream_;
};

}  // namespace utils
