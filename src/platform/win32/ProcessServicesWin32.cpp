// The process's services, module loading and atomic file replacement on the desktop platform.
#include "platform/ProcessServices.h"
#include "platform/Text.h"
#include "platform/win32/WideWin32.h"

#include <fcntl.h>
#include <io.h>
#include <shellapi.h>

#include <cstdio>
#include <filesystem>

namespace platform {
namespace {

using ServicesFn = const ProcessUiServices* (*)();

class LibraryModule final : public LoadedModule {
 public:
  explicit LibraryModule(HMODULE handle) : handle_(handle) {}
  ~LibraryModule() override { ::FreeLibrary(handle_); }
  LibraryModule(const LibraryModule&) = delete;
  LibraryModule& operator=(const LibraryModule&) = delete;
  void* Symbol(const char* name) const override { return reinterpret_cast<void*>(::GetProcAddress(handle_, name)); }

 private:
  HMODULE handle_;
};

std::string LastErrorText(const std::string& what) {
  return what + ": " + WideToUtf8(win32::ErrorMessage(::GetLastError()));
}

class FileHandle {
 public:
  explicit FileHandle(HANDLE handle) : handle_(handle) {}
  ~FileHandle() { Close(); }
  FileHandle(const FileHandle&) = delete;
  FileHandle& operator=(const FileHandle&) = delete;
  bool ok() const { return handle_ != INVALID_HANDLE_VALUE; }
  HANDLE get() const { return handle_; }
  bool Close() {
    if (!ok() || !handle_) return true;
    const bool closed = ::CloseHandle(handle_) != 0;
    handle_ = INVALID_HANDLE_VALUE;
    return closed;
  }

 private:
  HANDLE handle_;
};

bool WriteAll(HANDLE file, const std::vector<uint8_t>& bytes) {
  size_t done = 0;
  while (done < bytes.size()) {
    const size_t left = bytes.size() - done;
    const DWORD chunk = left > 0x40000000u ? 0x40000000u : static_cast<DWORD>(left);
    DWORD written = 0;
    if (!::WriteFile(file, bytes.data() + done, chunk, &written, nullptr) || written == 0) return false;
    done += written;
  }
  return true;
}

// The process id in a temporary file's name ("<base>.tmp.<pid>"); 0 when the name is not of
// that form.
DWORD TemporaryOwner(const std::u16string& base, const std::u16string& name) {
  const std::u16string prefix = base + u".tmp.";
  if (name.size() <= prefix.size() || name.size() > prefix.size() + 10) return 0;
  if (name.compare(0, prefix.size(), prefix) != 0) return 0;
  uint64_t pid = 0;
  for (size_t i = prefix.size(); i < name.size(); ++i) {
    if (name[i] < u'0' || name[i] > u'9') return 0;
    pid = pid * 10 + static_cast<uint64_t>(name[i] - u'0');
  }
  return pid > 0xFFFFFFFFu ? 0 : static_cast<DWORD>(pid);
}

bool ProcessRuns(DWORD pid) {
  HANDLE process = ::OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, pid);
  if (!process) return ::GetLastError() != ERROR_INVALID_PARAMETER;  // no such process
  DWORD status = 0;
  const bool runs = !::GetExitCodeProcess(process, &status) || status == STILL_ACTIVE;
  ::CloseHandle(process);
  return runs;
}

// Removes the temporary files of `path` whose writers no longer run. A writer that still runs
// keeps its file: it may be about to rename it.
void RemoveStaleTemporaries(const std::string& path) {
  namespace fs = std::filesystem;
  const fs::path target(Utf8ToWide(path));
  const std::u16string base = target.filename().u16string();
  if (base.empty()) return;
  const fs::path directory = target.has_parent_path() ? target.parent_path() : fs::path(u".");
  std::error_code code;
  for (fs::directory_iterator it(directory, code), end; !code && it != end; it.increment(code)) {
    const DWORD owner = TemporaryOwner(base, it->path().filename().u16string());
    if (owner == 0 || owner == ::GetCurrentProcessId() || ProcessRuns(owner)) continue;
    std::error_code ignored;
    fs::remove(it->path(), ignored);
  }
}

// One argument as the C runtime's command-line parser reads it back: quoted when it has
// spaces, tabs or quotes, with the backslashes before a quote doubled.
std::u16string QuoteArgument(const std::u16string& argument) {
  if (!argument.empty() && argument.find_first_of(u" \t\n\v\"") == std::u16string::npos) return argument;
  std::u16string quoted = u"\"";
  size_t backslashes = 0;
  for (char16_t c : argument) {
    if (c == u'\\') {
      ++backslashes;
      continue;
    }
    quoted.append(c == u'"' ? backslashes * 2 + 1 : backslashes, u'\\');
    backslashes = 0;
    quoted.push_back(c);
  }
  quoted.append(backslashes * 2, u'\\');
  quoted.push_back(u'"');
  return quoted;
}

// An inheritable handle of a file for a child's standard stream; none for an empty path.
HANDLE OpenForChild(const std::string& path, bool write) {
  if (path.empty()) return nullptr;
  SECURITY_ATTRIBUTES inherit{sizeof(SECURITY_ATTRIBUTES), nullptr, TRUE};
  return ::CreateFileW(win32::AsWide(Utf8ToWide(path)), write ? GENERIC_WRITE : GENERIC_READ,
                       FILE_SHARE_READ | FILE_SHARE_WRITE, &inherit, write ? CREATE_ALWAYS : OPEN_EXISTING,
                       FILE_ATTRIBUTE_NORMAL, nullptr);
}

}  // namespace

namespace {

// Starts the program with its standard streams on the run's files; null when it cannot start.
// The thread handle is closed at once; the process handle is the caller's.
HANDLE Launch(const ProgramRun& run) {
  FileHandle input(OpenForChild(run.inputFile, false));
  FileHandle output(OpenForChild(run.outputFile, true));
  FileHandle errors(OpenForChild(run.errorFile, true));
  if (!input.ok() || !output.ok() || !errors.ok()) return nullptr;
  std::u16string commandLine = QuoteArgument(Utf8ToWide(run.program));
  for (const auto& argument : run.arguments) commandLine += u" " + QuoteArgument(Utf8ToWide(argument));
  const std::u16string directory = Utf8ToWide(run.directory);

  STARTUPINFOW startup{};
  startup.cb = sizeof(startup);
  startup.dwFlags = STARTF_USESTDHANDLES;
  startup.hStdInput = input.get() ? input.get() : ::GetStdHandle(STD_INPUT_HANDLE);
  startup.hStdOutput = output.get() ? output.get() : ::GetStdHandle(STD_OUTPUT_HANDLE);
  startup.hStdError = errors.get() ? errors.get() : ::GetStdHandle(STD_ERROR_HANDLE);
  PROCESS_INFORMATION process{};
  std::vector<wchar_t> mutableLine(commandLine.begin(), commandLine.end());
  mutableLine.push_back(L'\0');
  if (!::CreateProcessW(nullptr, mutableLine.data(), nullptr, nullptr, TRUE, 0, nullptr,
                        directory.empty() ? nullptr : win32::AsWide(directory), &startup, &process))
    return nullptr;
  ::CloseHandle(process.hThread);
  return process.hProcess;
}

int WaitFor(HANDLE process) {
  DWORD status = 0;
  if (::WaitForSingleObject(process, INFINITE) != WAIT_OBJECT_0 || !::GetExitCodeProcess(process, &status))
    return -1;
  return static_cast<int>(status);
}

// The exit code a killed program is given.
constexpr UINT kKilledExitCode = 0xC000013A;

class LaunchedProgram final : public StartedProgram {
 public:
  explicit LaunchedProgram(HANDLE process) : process_(process) {}
  ~LaunchedProgram() override {
    if (!waited_) {
      Kill();
      Wait();
    }
  }
  LaunchedProgram(const LaunchedProgram&) = delete;
  LaunchedProgram& operator=(const LaunchedProgram&) = delete;

  bool Kill() override {
    if (waited_ || !::TerminateProcess(process_.get(), kKilledExitCode)) return false;
    killed_ = true;
    return true;
  }
  int Wait() override {
    if (!waited_) {
      const int status = WaitFor(process_.get());
      status_ = killed_ ? -1 : status;
      waited_ = true;
    }
    return status_;
  }

 private:
  FileHandle process_;
  bool waited_ = false;
  bool killed_ = false;
  int status_ = -1;
};

}  // namespace

int RunProgram(const ProgramRun& run) {
  FileHandle process(Launch(run));
  if (!process.get()) return -1;
  return WaitFor(process.get());
}

std::unique_ptr<StartedProgram> StartProgram(const ProgramRun& run) {
  HANDLE process = Launch(run);
  if (!process) return nullptr;
  return std::make_unique<LaunchedProgram>(process);
}

const ProcessUiServices* FindProcessUiServices() {
  // The program's own export table: a host that offers services exports the function.
  static const ProcessUiServices* const services = [] {
    const FARPROC symbol = ::GetProcAddress(::GetModuleHandleW(nullptr), "AdsHostUiServices");
    return symbol ? OfThisVersion(reinterpret_cast<ServicesFn>(reinterpret_cast<void*>(symbol))()) : nullptr;
  }();
  return services;
}

std::unique_ptr<LoadedModule> LoadModule(const std::string& path, std::string& error) {
  const std::u16string widePath = Utf8ToWide(path);
  const HMODULE handle = widePath.empty() ? nullptr : ::LoadLibraryW(win32::AsWide(widePath));
  if (!handle) {
    error = LastErrorText("cannot load " + path);
    return nullptr;
  }
  return std::make_unique<LibraryModule>(handle);
}

// 64-bit Windows unwinds every module's frames from the system's tables; 32-bit modules unwind
// with DWARF tables that each module's own runtime registers.
bool ExceptionsUnwindAcrossModules() { return sizeof(void*) == 8; }

std::string SharedModuleFileName(const std::string& name) { return name + ".dll"; }

// The narrow arguments are in the ANSI code page and lose what it cannot represent: the wide
// command line is the one to take.
std::vector<std::string> ProgramArguments(int, char**) {
  int count = 0;
  wchar_t** words = ::CommandLineToArgvW(::GetCommandLineW(), &count);
  if (!words) return {};
  std::vector<std::string> arguments;
  for (int i = 1; i < count; ++i) arguments.push_back(WideToUtf8(win32::FromWide(words[i])));
  ::LocalFree(words);
  return arguments;
}

void UseBinaryStandardStreams() {
  std::fflush(stdout);
  std::fflush(stderr);
  _setmode(_fileno(stdout), _O_BINARY);
  _setmode(_fileno(stderr), _O_BINARY);
}

bool WriteFileAtomically(const std::string& path, const std::vector<uint8_t>& bytes, std::string& error) {
  RemoveStaleTemporaries(path);
  const std::string temporary = path + ".tmp." + std::to_string(::GetCurrentProcessId());
  const std::u16string wideTemporary = Utf8ToWide(temporary);
  FileHandle file(::CreateFileW(win32::AsWide(wideTemporary), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file.ok()) {
    error = LastErrorText("cannot create " + temporary);
    return false;
  }
  const bool written = WriteAll(file.get(), bytes) && ::FlushFileBuffers(file.get());
  const std::string writeError = written ? std::string() : LastErrorText("cannot write " + temporary);
  const bool closed = file.Close();
  if (!written || !closed) {
    error = written ? LastErrorText("cannot close " + temporary) : writeError;
    ::DeleteFileW(win32::AsWide(wideTemporary));
    return false;
  }
  if (!::MoveFileExW(win32::AsWide(wideTemporary), win32::AsWide(Utf8ToWide(path)),
                     MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
    error = LastErrorText("cannot replace " + path);
    ::DeleteFileW(win32::AsWide(wideTemporary));
    return false;
  }
  return true;
}

}  // namespace platform
