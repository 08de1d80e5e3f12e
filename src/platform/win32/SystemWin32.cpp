// System services of the desktop platform.
#include "platform/ProcessServices.h"
#include "platform/System.h"
#include "platform/win32/ResourceModuleWin32.h"
#include "platform/win32/WideWin32.h"

#include <shellapi.h>

#include <atomic>
#include <cstdlib>
#include <initializer_list>
#include <vector>

namespace platform {
namespace {

DebugSink& Sink() {
  static DebugSink sink;
  return sink;
}

// The module this code is linked into: the driver DLL, or the program itself in a test.
HMODULE ThisModule() {
  HMODULE module = nullptr;
  ::GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                       reinterpret_cast<LPCWSTR>(&ThisModule), &module);
  return module;
}

HMODULE& ResourceModuleSetting() {
  static HMODULE current = ::GetModuleHandleW(nullptr);
  return current;
}

}  // namespace

HMODULE win32::CurrentResourceModule() { return ResourceModuleSetting(); }

char PathSeparator() { return '\\'; }

uint32_t GetTickCount() { return static_cast<uint32_t>(::GetTickCount()); }

std::u16string GetHostExecutablePath() {
  // Paths may be longer than MAX_PATH; the buffer grows until the whole path fits.
  std::vector<wchar_t> buffer(MAX_PATH);
  while (buffer.size() <= 32768) {
    const DWORD length = ::GetModuleFileNameW(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
    if (length == 0) return {};
    if (length < buffer.size()) return win32::FromWide(buffer.data(), length);
    buffer.resize(buffer.size() * 2);
  }
  return {};
}

bool ShellOpen(const std::u16string& path) {
  // Help has always treated any non-zero result as success, although results up to 32 are
  // the shell's error codes (a missing file gives 2): only a shell out of resources fails.
  return ::ShellExecuteW(nullptr, L"open", win32::AsWide(path), nullptr, nullptr, SW_SHOWNORMAL) != nullptr;
}

int ScreenPixelsPerInchY() {
  const HDC screen = ::GetDC(nullptr);
  if (!screen) return kDefaultPixelsPerInch;
  const int pixels = ::GetDeviceCaps(screen, LOGPIXELSY);
  ::ReleaseDC(nullptr, screen);
  return pixels > 0 ? pixels : kDefaultPixelsPerInch;
}

unsigned WheelScrollLines() {
  // The user's setting is text; a missing or unreadable one means the system default.
  wchar_t text[32] = {};
  DWORD size = sizeof(text) - sizeof(wchar_t);
  const LSTATUS status = ::RegGetValueW(HKEY_CURRENT_USER, L"Control Panel\\Desktop", L"WheelScrollLines",
                                        RRF_RT_REG_SZ, nullptr, text, &size);
  if (status != ERROR_SUCCESS) return kDefaultWheelScrollLines;
  wchar_t* end = nullptr;
  const unsigned long lines = std::wcstoul(text, &end, 10);
  return end != text ? static_cast<unsigned>(lines) : kDefaultWheelScrollLines;
}

void SetDebugSink(DebugSink sink) { Sink() = std::move(sink); }

namespace {

// An output viewer that is no debugger listens through the named event below, which exists
// while it runs. Opening it is a system call, so the answer is kept for one tick of the
// system clock (about 16 ms).
bool OutputViewerListening() {
  static std::atomic<DWORD> checkedAt{~DWORD{0}};
  static std::atomic<bool> listening{false};
  const DWORD now = ::GetTickCount();
  if (checkedAt.load(std::memory_order_relaxed) == now) return listening.load(std::memory_order_relaxed);
  bool found = false;
  for (const wchar_t* name : {L"DBWIN_BUFFER_READY", L"Global\\DBWIN_BUFFER_READY"}) {
    if (HANDLE ready = ::OpenEventW(SYNCHRONIZE, FALSE, name)) {
      ::CloseHandle(ready);
      found = true;
      break;
    }
  }
  listening.store(found, std::memory_order_relaxed);
  checkedAt.store(now, std::memory_order_relaxed);
  return found;
}

}  // namespace

// Without a listener the system's debugger output costs a raised exception and several
// kernel objects opened per line.
bool DebugOutputListened() {
  if (Sink()) return true;
  const ProcessUiServices* services = FindProcessUiServices();
  if (services && services->debugSink) return true;
  return ::IsDebuggerPresent() || OutputViewerListening();
}

void OutputDebugText(const std::string& text) {
  if (Sink()) return Sink()(text);
  // A host program that offers its own debugger output gets the text; otherwise it goes to
  // the system's debugger output, as the desktop environment expects.
  const ProcessUiServices* services = FindProcessUiServices();
  if (services && services->debugSink) return services->debugSink(text.data(), text.size());
  ::OutputDebugStringA(text.c_str());
}

LocalTime GetLocalTime() {
  SYSTEMTIME now{};
  ::GetLocalTime(&now);
  return {now.wYear, now.wMonth, now.wDay, now.wHour, now.wMinute, now.wSecond, now.wMilliseconds};
}

void AdviseBulkFill(void*, size_t) {}

void PrefetchForRead(const void* data) { __builtin_prefetch(data); }

ScopedModuleResources::ScopedModuleResources() {
  previous_ = ResourceModuleSetting();
  ResourceModuleSetting() = ThisModule();
}

ScopedModuleResources::~ScopedModuleResources() { ResourceModuleSetting() = static_cast<HMODULE>(previous_); }

}  // namespace platform
