#pragma once
// Reading whole files named by a wide (UTF-16) path.
#include <cstddef>
#include <functional>
#include <string>

namespace platform {

// Why a file could not be read: the platform's error code and its message (first line only).
struct FileError {
  int code = 0;
  std::u16string message;
};

// Files larger than this are refused: element offsets in documents are 32-bit.
inline constexpr unsigned long long kMaxReadableFileSize = 0x7FFFFFFFull;
// Room asked beyond a file's size, so that the read that finds its end needs no more.
inline constexpr size_t kReadSlack = 4096;

// The room asked next for a file that has filled `capacity` bytes while it was read: half as
// much again, and one byte beyond the largest readable size at most.
inline size_t GrownRoom(size_t capacity) {
  const size_t grown = capacity + (capacity / 2 > kReadSlack ? capacity / 2 : kReadSlack);
  return grown > kMaxReadableFileSize ? static_cast<size_t>(kMaxReadableFileSize) + 1 : grown;
}

// Where a file's bytes are read to: room(size) returns memory for `size` bytes that holds the
// bytes given before. It is asked once for somewhat more than the file's size when it is
// opened, and again for more only when the file grows while it is read.
using ByteRoom = std::function<unsigned char*(size_t size)>;

// Reads the whole file into the room `room` gives; `length` is the number of bytes read.
// False, with error filled, when it cannot be opened or read.
bool ReadWholeFile(const std::u16string& path, const ByteRoom& room, size_t& length, FileError& error);

}  // namespace platform
