// Whole-file reading through POSIX open/read; wide paths are converted to UTF-8.
#include "platform/File.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "platform/Text.h"

namespace platform {
namespace {

class FileDescriptor {
 public:
  explicit FileDescriptor(int fd) : fd_(fd) {}
  ~FileDescriptor() {
    if (fd_ >= 0) ::close(fd_);
  }
  FileDescriptor(const FileDescriptor&) = delete;
  FileDescriptor& operator=(const FileDescriptor&) = delete;
  int get() const { return fd_; }

 private:
  int fd_;
};

bool Fail(int code, FileError& error) {
  error.code = code;
  std::string text = std::strerror(code);
  size_t lineEnd = text.find_first_of("\r\n");
  if (lineEnd != std::string::npos) text.resize(lineEnd);
  error.message = Utf8ToWide(text);
  return false;
}

}  // namespace

bool ReadWholeFile(const std::u16string& path, const ByteRoom& room, size_t& length, FileError& error) {
  length = 0;
  error = FileError{};
  std::string utf8Path = WideToUtf8(path);
  if (utf8Path.empty() || utf8Path.find('\0') != std::string::npos) return Fail(ENOENT, error);
  FileDescriptor file(::open(utf8Path.c_str(), O_RDONLY | O_CLOEXEC));
  if (file.get() < 0) return Fail(errno, error);
  struct stat info {};
  if (::fstat(file.get(), &info) != 0) return Fail(errno, error);
  if (S_ISDIR(info.st_mode)) return Fail(EISDIR, error);
  if (info.st_size < 0 || static_cast<unsigned long long>(info.st_size) > kMaxReadableFileSize)
    return Fail(EFBIG, error);
  // A page beyond the size, so that the read that finds the end needs no more room.
  size_t capacity = static_cast<size_t>(info.st_size) + kReadSlack;
  unsigned char* bytes = room(capacity);
  size_t used = 0;
  // The size is only a hint: a file that grows or shrinks while it is read is read to its end.
  while (true) {
    if (used == capacity) {
      if (capacity > kMaxReadableFileSize) return Fail(EFBIG, error);
      capacity = GrownRoom(capacity);
      bytes = room(capacity);
    }
    ssize_t got = ::read(file.get(), bytes + used, capacity - used);
    if (got < 0) {
      if (errno == EINTR) continue;
      return Fail(errno, error);
    }
    if (got == 0) break;
    used += static_cast<size_t>(got);
  }
  if (used > kMaxReadableFileSize) return Fail(EFBIG, error);
  length = used;
  return true;
}

}  // namespace platform
