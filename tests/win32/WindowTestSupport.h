#pragma once
// What the window tests share: waiting for a window of another thread or process, and a
// screenshot of a window written as a PNG file.
#include <string>
#include <vector>

#include "platform/win32/WideWin32.h"

namespace win32_tests {

// Polls until `find` returns a window or the time is up; null then.
template <typename Find>
HWND WaitForWindow(Find find, DWORD milliseconds) {
  const DWORD start = ::GetTickCount();
  for (;;) {
    if (HWND window = find()) return window;
    if (::GetTickCount() - start > milliseconds) return nullptr;
    ::Sleep(50);
  }
}

// The screen's pixels of the window's rectangle, frame included, as RGB rows top down.
struct Screenshot {
  int width = 0;
  int height = 0;
  std::vector<unsigned char> rgb;
};
Screenshot CaptureWindow(HWND window);

// A PNG file of the picture: 8-bit RGB, stored (uncompressed) deflate blocks. False when the
// file cannot be written.
bool WritePng(const Screenshot& picture, const std::wstring& path);

}  // namespace win32_tests
