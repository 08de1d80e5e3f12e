#pragma once
// Conversions between narrow text in a code page and UTF-16, with the desktop platform's
// semantics: unmappable characters become '?' on the way to narrow text, and invalid bytes on
// the way to wide text become U+FFFD without stopping the conversion. A code page the layer
// cannot convert with is taken as the system ANSI code page, so a conversion never fails for
// its code page alone.
#include <cstdint>
#include <string>
#include <string_view>

namespace platform {

// Code page numbers with a meaning of their own.
inline constexpr unsigned kCodePageAnsi = 0;        // the system ANSI code page
inline constexpr unsigned kCodePageThreadAnsi = 3;  // the calling thread's ANSI code page
inline constexpr unsigned kCodePageUtf8 = 65001;

// UTF-16 and UTF-32 in either byte order: no multibyte code pages, so no backend converts
// narrow text with them.
inline constexpr bool IsWideCodePage(unsigned codePage) {
  return codePage == 1200 || codePage == 1201 || codePage == 12000 || codePage == 12001;
}

// The system ANSI code page until a host or a test sets another: the one the desktop system
// runs with, and 936 (GBK) where the system has none.
unsigned GetAnsiCodePage();
void SetAnsiCodePage(unsigned codePage);

// True when the layer can convert with this code page itself (not by taking the ANSI one).
bool IsCodePageSupported(unsigned codePage);

std::u16string MultiByteToWide(unsigned codePage, std::string_view text);
std::string WideToMultiByte(unsigned codePage, std::u16string_view text);

// Shorthands for the system ANSI code page, the conversion used at every boundary.
inline std::u16string AnsiToWide(std::string_view text) { return MultiByteToWide(kCodePageAnsi, text); }
inline std::string WideToAnsi(std::u16string_view text) { return WideToMultiByte(kCodePageAnsi, text); }

// UTF-8 for the host's terminal output and file names.
inline std::string WideToUtf8(std::u16string_view text) { return WideToMultiByte(kCodePageUtf8, text); }
inline std::u16string Utf8ToWide(std::string_view text) { return MultiByteToWide(kCodePageUtf8, text); }

}  // namespace platform
