#include "platform/System.h"

#include <sys/mman.h>
#include <sys/wait.h>
#include <spawn.h>
#include <time.h>
#include <unistd.h>

#include <climits>
#include <vector>

#include "platform/ProcessServices.h"
#include "platform/Text.h"

extern char** environ;

namespace platform {
namespace {
DebugSink& Sink() {
  static DebugSink sink;
  return sink;
}
}  // namespace

char PathSeparator() { return '/'; }

uint32_t GetTickCount() {
  timespec ts{};
  clock_gettime(CLOCK_MONOTONIC, &ts);
  return static_cast<uint32_t>(static_cast<uint64_t>(ts.tv_sec) * 1000u + ts.tv_nsec / 1000000);
}

std::u16string GetHostExecutablePath() {
  std::vector<char> buffer(PATH_MAX + 1);
  ssize_t n = readlink("/proc/self/exe", buffer.data(), buffer.size() - 1);
  if (n <= 0) return {};
  return Utf8ToWide(std::string_view(buffer.data(), static_cast<size_t>(n)));
}

bool ShellOpen(const std::u16string& path) {
  std::string target = WideToUtf8(path);
  if (access(target.c_str(), F_OK) != 0) return false;
  char opener[] = "xdg-open";
  std::vector<char*> argv{opener, target.data(), nullptr};
  pid_t pid = 0;
  if (posix_spawnp(&pid, opener, nullptr, nullptr, argv.data(), environ) != 0) return false;
  int status = 0;
  waitpid(pid, &status, 0);
  return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

int ScreenPixelsPerInchY() { return kDefaultPixelsPerInch; }

unsigned WheelScrollLines() { return kDefaultWheelScrollLines; }

void SetDebugSink(DebugSink sink) { Sink() = std::move(sink); }

bool DebugOutputListened() {
  if (Sink()) return true;
  const ProcessUiServices* services = FindProcessUiServices();
  return services && services->debugSink;
}

void OutputDebugText(const std::string& text) {
  if (Sink()) return Sink()(text);
  // Without a sink of its own the text goes to the debugger output of the loading process.
  const ProcessUiServices* services = FindProcessUiServices();
  if (services && services->debugSink) services->debugSink(text.data(), text.size());
}

LocalTime GetLocalTime() {
  timespec ts{};
  clock_gettime(CLOCK_REALTIME, &ts);
  tm parts{};
  localtime_r(&ts.tv_sec, &parts);
  return {parts.tm_year + 1900, parts.tm_mon + 1, parts.tm_mday, parts.tm_hour,
          parts.tm_min,         parts.tm_sec,     static_cast<int>(ts.tv_nsec / 1000000)};
}

void AdviseBulkFill(void* data, size_t bytes) {
  constexpr size_t kLargePage = size_t{2} << 20;
  if (bytes < 2 * kLargePage) return;
  const auto page = static_cast<uintptr_t>(::sysconf(_SC_PAGESIZE));
  const auto begin = (reinterpret_cast<uintptr_t>(data) + page - 1) / page * page;
  const auto end = (reinterpret_cast<uintptr_t>(data) + bytes) / page * page;
  if (end > begin) ::madvise(reinterpret_cast<void*>(begin), end - begin, MADV_HUGEPAGE);
}

void PrefetchForRead(const void* data) { __builtin_prefetch(data); }

// A POSIX module has no resource chain: the dialog description lives in the code.
ScopedModuleResources::ScopedModuleResources() = default;
ScopedModuleResources::~ScopedModuleResources() = default;

}  // namespace platform
