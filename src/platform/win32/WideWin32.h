#pragma once
// The window system's wide strings are UTF-16 in 16-bit wchar_t: the same code units as
// std::u16string, viewed through another character type.
#include <string>
#include <string_view>

#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>

namespace platform::win32 {

static_assert(sizeof(wchar_t) == sizeof(char16_t), "UTF-16 wchar_t expected");

inline const wchar_t* AsWide(const std::u16string& text) { return reinterpret_cast<const wchar_t*>(text.c_str()); }
inline std::u16string FromWide(const wchar_t* text, size_t length) {
  return std::u16string(reinterpret_cast<const char16_t*>(text), length);
}
inline std::u16string FromWide(const wchar_t* text) { return text ? FromWide(text, wcslen(text)) : std::u16string(); }

// The system's message for an error code, first line only.
inline std::u16string ErrorMessage(DWORD code) {
  wchar_t* buffer = nullptr;
  const DWORD length = FormatMessageW(
      FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, code, 0,
      reinterpret_cast<wchar_t*>(&buffer), 0, nullptr);
  std::u16string message;
  if (length) {
    message = FromWide(buffer, length);
  } else {
    for (char digit : "error " + std::to_string(code)) message += static_cast<char16_t>(digit);
  }
  if (buffer) LocalFree(buffer);
  const size_t lineEnd = message.find_first_of(u"\r\n");
  if (lineEnd != std::u16string::npos) message.resize(lineEnd);
  return message;
}

}  // namespace platform::win32
