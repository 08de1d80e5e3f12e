#include "platform/ProcessServices.h"

#include <dlfcn.h>
#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace platform {
namespace {

using ServicesFn = const ProcessUiServices* (*)();

class DlModule final : public LoadedModule {
 public:
  explicit DlModule(void* handle) : handle_(handle) {}
  ~DlModule() override { dlclose(handle_); }
  DlModule(const DlModule&) = delete;
  DlModule& operator=(const DlModule&) = delete;
  void* Symbol(const char* name) const override { return dlsym(handle_, name); }

 private:
  void* handle_;
};

std::string ErrnoText(const std::string& what) { return what + ": " + std::strerror(errno); }

bool WriteAll(int fd, const std::vector<uint8_t>& bytes) {
  size_t done = 0;
  while (done < bytes.size()) {
    const ssize_t n = write(fd, bytes.data() + done, bytes.size() - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    done += static_cast<size_t>(n);
  }
  return true;
}

std::string DirectoryOf(const std::string& path) {
  const size_t slash = path.find_last_of('/');
  if (slash == std::string::npos) return ".";
  return slash == 0 ? "/" : path.substr(0, slash);
}

void SyncDirectory(const std::string& directory) {
  const int fd = open(directory.c_str(), O_RDONLY | O_DIRECTORY);
  if (fd < 0) return;
  fsync(fd);
  close(fd);
}

}  // namespace

const ProcessUiServices* FindProcessUiServices() {
  static const ProcessUiServices* const services = [] {
    void* symbol = dlsym(RTLD_DEFAULT, "AdsHostUiServices");
    return symbol ? reinterpret_cast<ServicesFn>(symbol)() : nullptr;
  }();
  return services;
}

std::unique_ptr<LoadedModule> LoadModule(const std::string& path, std::string& error) {
  void* handle = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
  if (!handle) {
    const char* message = dlerror();
    error = message ? message : "cannot load " + path;
    return nullptr;
  }
  return std::make_unique<DlModule>(handle);
}

bool WriteFileAtomically(const std::string& path, const std::vector<uint8_t>& bytes, std::string& error) {
  const std::string temporary = path + ".tmp." + std::to_string(getpid());
  const int fd = open(temporary.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
  if (fd < 0) {
    error = ErrnoText("cannot create " + temporary);
    return false;
  }
  const bool written = WriteAll(fd, bytes) && fsync(fd) == 0;
  const std::string writeError = written ? std::string() : ErrnoText("cannot write " + temporary);
  if (close(fd) != 0 && written) {
    error = ErrnoText("cannot close " + temporary);
    unlink(temporary.c_str());
    return false;
  }
  if (!written) {
    error = writeError;
    unlink(temporary.c_str());
    return false;
  }
  if (rename(temporary.c_str(), path.c_str()) != 0) {
    error = ErrnoText("cannot replace " + path);
    unlink(temporary.c_str());
    return false;
  }
  SyncDirectory(DirectoryOf(path));
  return true;
}

}  // namespace platform
