#include "platform/ProcessServices.h"

#include <dlfcn.h>
#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <filesystem>

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

// The process id in a temporary file's name ("<base>.tmp.<pid>"); 0 when the name is not of
// that form.
pid_t TemporaryOwner(const std::string& base, const std::string& name) {
  const std::string prefix = base + ".tmp.";
  if (name.size() <= prefix.size() || name.size() > prefix.size() + 9) return 0;
  if (name.compare(0, prefix.size(), prefix) != 0) return 0;
  pid_t pid = 0;
  for (size_t i = prefix.size(); i < name.size(); ++i) {
    if (name[i] < '0' || name[i] > '9') return 0;
    pid = pid * 10 + (name[i] - '0');
  }
  return pid;
}

// Removes the temporary files of `path` whose writers no longer run. A writer that still runs
// keeps its file: it may be about to rename it.
void RemoveStaleTemporaries(const std::string& path) {
  namespace fs = std::filesystem;
  const std::string base = fs::path(path).filename().string();
  if (base.empty()) return;
  std::error_code code;
  for (fs::directory_iterator it(DirectoryOf(path), code), end; !code && it != end; it.increment(code)) {
    const pid_t owner = TemporaryOwner(base, it->path().filename().string());
    if (owner <= 0 || owner == getpid()) continue;
    if (kill(owner, 0) == 0 || errno != ESRCH) continue;
    unlink(it->path().c_str());
  }
}

// The file actions of a spawn, destroyed on scope exit.
class SpawnActions {
 public:
  SpawnActions() { ok_ = posix_spawn_file_actions_init(&actions_) == 0; }
  ~SpawnActions() {
    if (ok_) posix_spawn_file_actions_destroy(&actions_);
  }
  SpawnActions(const SpawnActions&) = delete;
  SpawnActions& operator=(const SpawnActions&) = delete;
  bool Open(int fd, const std::string& path, int flags) {
    return ok_ && posix_spawn_file_actions_addopen(&actions_, fd, path.c_str(), flags, 0644) == 0;
  }
  bool ChangeDirectory(const std::string& directory) {
    return ok_ && posix_spawn_file_actions_addchdir_np(&actions_, directory.c_str()) == 0;
  }
  posix_spawn_file_actions_t* get() { return &actions_; }

 private:
  posix_spawn_file_actions_t actions_{};
  bool ok_ = false;
};

}  // namespace

extern "C" char** environ;

namespace {

// Starts the program with its standard streams on the run's files; 0 when it cannot start.
pid_t Spawn(const ProgramRun& run) {
  SpawnActions actions;
  const int writeFlags = O_WRONLY | O_CREAT | O_TRUNC;
  // The files open before the directory change: their paths mean what they mean here.
  if (!run.inputFile.empty() && !actions.Open(0, run.inputFile, O_RDONLY)) return 0;
  if (!run.outputFile.empty() && !actions.Open(1, run.outputFile, writeFlags)) return 0;
  if (!run.errorFile.empty() && !actions.Open(2, run.errorFile, writeFlags)) return 0;
  if (!run.directory.empty() && !actions.ChangeDirectory(run.directory)) return 0;
  std::vector<std::string> words{run.program};
  words.insert(words.end(), run.arguments.begin(), run.arguments.end());
  std::vector<char*> argv;
  for (auto& word : words) argv.push_back(word.data());
  argv.push_back(nullptr);
  pid_t pid = 0;
  if (posix_spawn(&pid, run.program.c_str(), actions.get(), nullptr, argv.data(), environ) != 0) return 0;
  return pid;
}

int WaitFor(pid_t pid) {
  int status = 0;
  while (waitpid(pid, &status, 0) < 0)
    if (errno != EINTR) return -1;
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

class SpawnedProgram final : public StartedProgram {
 public:
  explicit SpawnedProgram(pid_t pid) : pid_(pid) {}
  ~SpawnedProgram() override {
    if (waited_) return;
    Kill();
    Wait();
  }
  SpawnedProgram(const SpawnedProgram&) = delete;
  SpawnedProgram& operator=(const SpawnedProgram&) = delete;

  bool Kill() override { return !waited_ && kill(pid_, SIGKILL) == 0; }
  int Wait() override {
    if (waited_) return status_;
    status_ = WaitFor(pid_);
    waited_ = true;
    return status_;
  }

 private:
  pid_t pid_;
  bool waited_ = false;
  int status_ = -1;
};

}  // namespace

int RunProgram(const ProgramRun& run) {
  const pid_t pid = Spawn(run);
  return pid == 0 ? -1 : WaitFor(pid);
}

std::unique_ptr<StartedProgram> StartProgram(const ProgramRun& run) {
  const pid_t pid = Spawn(run);
  if (pid == 0) return nullptr;
  return std::make_unique<SpawnedProgram>(pid);
}

const ProcessUiServices* FindProcessUiServices() {
  static const ProcessUiServices* const services = [] {
    void* symbol = dlsym(RTLD_DEFAULT, "AdsHostUiServices");
    return symbol ? OfThisVersion(reinterpret_cast<ServicesFn>(symbol)()) : nullptr;
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

bool ExceptionsUnwindAcrossModules() { return true; }

std::string SharedModuleFileName(const std::string& name) { return "lib" + name + ".so"; }

// The arguments are bytes as the shell passed them; UTF-8 by the host's convention.
std::vector<std::string> ProgramArguments(int argc, char** argv) {
  if (argc < 1 || !argv) return {};
  return std::vector<std::string>(argv + 1, argv + argc);
}

void UseBinaryStandardStreams() {}

bool WriteFileAtomically(const std::string& path, const std::vector<uint8_t>& bytes, std::string& error) {
  RemoveStaleTemporaries(path);
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
