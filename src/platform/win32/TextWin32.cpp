// Code-page conversion through the system's MultiByteToWideChar and WideCharToMultiByte, but
// for UTF-8, which is converted here.
#include <climits>

#include "platform/Text.h"
#include "platform/win32/WideWin32.h"
#include "utils/utf8.h"

namespace platform {
namespace {

// Zero: no code page was set, the system's ANSI code page is the one.
unsigned g_ansiOverride = 0;

unsigned Resolve(unsigned codePage) {
  return codePage == kCodePageAnsi || codePage == kCodePageThreadAnsi ? GetAnsiCodePage() : codePage;
}

// Code pages that take neither flags nor a default character of their own.
bool RefusesDefaultChar(unsigned codePage) {
  return codePage == 42 || codePage == 54936 || codePage == 65000 || codePage == 65001 ||
         (codePage >= 50220 && codePage <= 50229) || (codePage >= 57002 && codePage <= 57011);
}

}  // namespace

unsigned GetAnsiCodePage() { return g_ansiOverride ? g_ansiOverride : ::GetACP(); }
void SetAnsiCodePage(unsigned codePage) { g_ansiOverride = codePage; }

bool IsCodePageSupported(unsigned codePage) {
  const unsigned resolved = Resolve(codePage);
  return !IsWideCodePage(resolved) && ::IsValidCodePage(resolved) != 0;
}

std::u16string MultiByteToWide(unsigned codePage, std::string_view text) {
  if (text.empty() || text.size() > INT_MAX) return {};
  const unsigned resolved = Resolve(codePage);
  // Not every implementation of the system call replaces invalid UTF-8 one maximal subpart at
  // a time (some take a cut-short or overlong sequence as one); the decoder here always does.
  if (resolved == kCodePageUtf8) return utils::DecodeUtf8Replacing(text);
  const int inLength = static_cast<int>(text.size());
  const int needed =
      IsCodePageSupported(resolved) ? ::MultiByteToWideChar(resolved, 0, text.data(), inLength, nullptr, 0) : 0;
  if (needed <= 0) return resolved == GetAnsiCodePage() ? std::u16string() : MultiByteToWide(kCodePageAnsi, text);
  std::wstring out(static_cast<size_t>(needed), L'\0');
  const int written = ::MultiByteToWideChar(resolved, 0, text.data(), inLength, out.data(), needed);
  if (written <= 0) return {};
  return win32::FromWide(out.data(), static_cast<size_t>(written));
}

std::string WideToMultiByte(unsigned codePage, std::u16string_view text) {
  if (text.empty() || text.size() > INT_MAX) return {};
  const unsigned resolved = Resolve(codePage);
  if (resolved == kCodePageUtf8) return utils::EncodeUtf8Replacing(text);
  const auto* in = reinterpret_cast<const wchar_t*>(text.data());
  const int inLength = static_cast<int>(text.size());
  const char* defaultChar = RefusesDefaultChar(resolved) ? nullptr : "?";
  const int needed = IsCodePageSupported(resolved)
                         ? ::WideCharToMultiByte(resolved, 0, in, inLength, nullptr, 0, defaultChar, nullptr)
                         : 0;
  if (needed <= 0) return resolved == GetAnsiCodePage() ? std::string() : WideToMultiByte(kCodePageAnsi, text);
  std::string out(static_cast<size_t>(needed), '\0');
  const int written = ::WideCharToMultiByte(resolved, 0, in, inLength, out.data(), needed, defaultChar, nullptr);
  if (written <= 0) return {};
  out.resize(static_cast<size_t>(written));
  return out;
}

}  // namespace platform
