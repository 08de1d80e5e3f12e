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

bool ReadWholeFile(const std::u16string& path, std::vector<unsigned char>& bytes, FileError& error) {
  bytes.clear();
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
  // One page beyond the size, so that the read that finds the end does not move the bytes.
  bytes.reserve(static_cast<size_t>(size) + 4096);
  bytes.resize(static_cast<size_t>(size));
  size_t used = 0;
  // The size is only a hint: a file that grows or shrinks while it is read is read to its end.
  while (true) {
    if (used == bytes.size()) {
      if (bytes.size() >= kMaxReadableFileSize) return Fail(ERROR_FILE_TOO_LARGE, error);
      bytes.resize(bytes.size() + 4096);
    }
    DWORD got = 0;
    const DWORD want = static_cast<DWORD>(bytes.size() - used);
    if (!::ReadFile(file.get(), bytes.data() + used, want, &got, nullptr)) {
      const DWORD code = ::GetLastError();
      bytes.clear();
      return Fail(code, error);
    }
    if (got == 0) break;
    used += got;
  }
  bytes.resize(used);
  return true;
}

}  // namespace platform
