#pragma once
// Reading whole files named by a wide (UTF-16) path.
#include <string>
#include <vector>

namespace platform {

// Why a file could not be read: the platform's error code and its message (first line only).
struct FileError {
  int code = 0;
  std::u16string message;
};

// Files larger than this are refused: element offsets in documents are 32-bit.
inline constexpr unsigned long long kMaxReadableFileSize = 0x7FFFFFFFull;

// Reads the whole file into bytes. False, with error filled, when it cannot be opened or read.
bool ReadWholeFile(const std::u16string& path, std::vector<unsigned char>& bytes, FileError& error);

}  // namespace platform
