// Whole-file reading through CreateFileW/ReadFile with the wide path as given.
#include "platform/File.h"
#include "platform/win32/WideWin32.h"

namespace platform {
namespace {

class FileHandle {
 public:
  explicit FileHandle(HANDLE handle) : handle_(handle) {}
  ~FileHandle() {
    if (ok()) ::CloseHandle(handle_);
  }
  FileHandle(const FileHandle&) = delete;
  FileHandle& operator=(const FileHandle&) = delete;
  bool ok() const { return handle_ != INVALID_HANDLE_VALUE; }
  HANDLE get() const { return handle_; }

 private:
  HANDLE handle_;
};

bool Fail(DWORD code, FileError& error) {
  error.code = static_cast<int>(code);
  error.message = win32::ErrorMessage(code);
  return false;
}

}  // namespace

bool ReadWholeFile(const std::u16string& path, const ByteRoom& room, size_t& length, FileError& error) {
  length = 0;
  error = FileError{};
  if (path.empty() || path.find(u'\0') != std::u16string::npos) return Fail(ERROR_FILE_NOT_FOUND, error);
  // Backup semantics let a directory open, so that it is reported as one rather than as
  // an access failure.
  FileHandle file(::CreateFileW(win32::AsWide(path), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL | FILE_FLAG_BACKUP_SEMANTICS, nullptr));
  if (!file.ok()) return Fail(::GetLastError(), error);
  BY_HANDLE_FILE_INFORMATION info{};
  if (!::GetFileInformationByHandle(file.get(), &info)) return Fail(::GetLastError(), error);
  if (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) return Fail(ERROR_DIRECTORY, error);
  const unsigned long long size = (static_cast<unsigned long long>(info.nFileSizeHigh) << 32) | info.nFileSizeLow;
  if (size > kMaxReadableFileSize) return Fail(ERROR_FILE_TOO_LARGE, error);
  // A page beyond the size, so that the read that finds the end needs no more room.
  size_t capacity = static_cast<size_t>(size) + kReadSlack;
  unsigned char* bytes = room(capacity);
  size_t used = 0;
  // The size is only a hint: a file that grows or shrinks while it is read is read to its end.
  while (true) {
    if (used == capacity) {
      if (capacity > kMaxReadableFileSize) return Fail(ERROR_FILE_TOO_LARGE, error);
      capacity = GrownRoom(capacity);
      bytes = room(capacity);
    }
    DWORD got = 0;
    const DWORD want = static_cast<DWORD>(capacity - used);
    if (!::ReadFile(file.get(), bytes + used, want, &got, nullptr)) return Fail(::GetLastError(), error);
    if (got == 0) break;
    used += got;
  }
  if (used > kMaxReadableFileSize) return Fail(ERROR_FILE_TOO_LARGE, error);
  length = used;
  return true;
}

}  // namespace platform
