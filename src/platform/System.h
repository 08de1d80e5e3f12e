#pragma once
// System services of the platform: tick count, the host program's path, the desktop shell,
// and the debugger output that trace lines go to.
#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>

namespace platform {

// The separator of directory parts in a path on this platform.
char PathSeparator();

// Milliseconds since an arbitrary start, wrapping at 2^32.
uint32_t GetTickCount();

// Full path of the running program's executable; empty when it cannot be obtained.
std::u16string GetHostExecutablePath();

// Asks the desktop shell to open the path (verb "open", shown normally). True when the shell
// accepted the request.
bool ShellOpen(const std::u16string& path);

// The screen's vertical pixels per inch; the default where there is no screen to ask.
inline constexpr int kDefaultPixelsPerInch = 96;
int ScreenPixelsPerInchY();

// Lines that one notch of the mouse wheel scrolls: the user's setting "WheelScrollLines" of
// "Control Panel\Desktop", or the default where there is none.
inline constexpr unsigned kDefaultWheelScrollLines = 3;
unsigned WheelScrollLines();

// Debugger output. Nothing is written until a sink is installed; the host installs one for
// its --trace option, tests install one to read the lines.
using DebugSink = std::function<void(const std::string&)>;
void SetDebugSink(DebugSink sink);
void OutputDebugText(const std::string& text);
// Whether text written to the debugger output reaches anyone now: a sink, the loading program,
// or on the desktop an attached debugger or an output viewer. Cheap, so that callers that
// format text only for the debugger output (trace lines, many per operation on large trees)
// can skip the formatting when nobody listens.
bool DebugOutputListened();

// Tells the system that the block of `bytes` at `data`, just reserved and not yet written, is
// about to be filled from end to end, so it may back the block with large pages: a symbol file
// of a hundred megabytes otherwise costs one page fault per 4 KB of each of its buffers. A hint
// only; small blocks and systems without large pages ignore it.
void AdviseBulkFill(void* data, size_t bytes);

// Reserves room for `count` elements of a container that are about to be written one after
// the other, and advises the system of the bulk fill.
template <class Container>
void ReserveForFill(Container& container, size_t count) {
  container.reserve(count);
  AdviseBulkFill(container.data(), container.capacity() * sizeof(*container.data()));
}

// Asks the processor to start loading the memory at `data`, which will be read soon. A hint.
void PrefetchForRead(const void* data);

// Local wall-clock time, for trace lines.
struct LocalTime {
  int year, month, day, hour, minute, second, millisecond;
};
LocalTime GetLocalTime();

// Makes the module's own resources (its dialog templates) the current ones while it lives and
// restores the host's setting afterwards.
class ScopedModuleResources {
 public:
  ScopedModuleResources();
  ~ScopedModuleResources();
  ScopedModuleResources(const ScopedModuleResources&) = delete;
  ScopedModuleResources& operator=(const ScopedModuleResources&) = delete;

 private:
  void* previous_ = nullptr;
};

}  // namespace platform
