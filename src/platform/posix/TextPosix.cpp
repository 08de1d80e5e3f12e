// Code-page conversion through the C library's iconv.
#include "platform/Text.h"

#include <iconv.h>

#include <algorithm>
#include <bit>
#include <cerrno>
#include <cstring>
#include <mutex>
#include <memory>
#include <type_traits>
#include <vector>

#include "utils/utf8.h"

namespace platform {
namespace {

unsigned g_ansiCodePage = 936;

struct CodePageName {
  unsigned codePage;
  const char* iconvName;
};

// Code page numbers of the desktop platform and the iconv converter that implements each.
constexpr CodePageName kCodePages[] = {
    {37, "IBM037"},          {437, "IBM437"},        {500, "IBM500"},        {708, "ISO-8859-6"},
    {720, "CP720"},          {737, "CP737"},         {775, "CP775"},         {850, "CP850"},
    {852, "CP852"},          {855, "CP855"},         {857, "CP857"},         {858, "CP858"},
    {860, "CP860"},          {861, "CP861"},         {862, "CP862"},         {863, "CP863"},
    {864, "CP864"},          {865, "CP865"},         {866, "CP866"},         {869, "CP869"},
    {874, "CP874"},          {932, "CP932"},         {936, "CP936"},         {949, "CP949"},
    {950, "CP950"},          {1125, "CP1125"},       {1133, "CP1133"},       {1200, "UTF-16LE"},
    {1201, "UTF-16BE"},      {1250, "CP1250"},       {1251, "CP1251"},       {1252, "CP1252"},
    {1253, "CP1253"},        {1254, "CP1254"},       {1255, "CP1255"},       {1256, "CP1256"},
    {1257, "CP1257"},        {1258, "CP1258"},       {1361, "JOHAB"},        {10000, "MACINTOSH"},
    {10004, "MACARABIC"},    {10006, "MACGREEK"},    {10007, "MACCYRILLIC"}, {10029, "MACCENTRALEUROPE"},
    {10079, "MACICELAND"},   {10081, "MACTURKISH"},  {10082, "MACCROATIAN"}, {10010, "MACROMANIA"},
    {10017, "MACUKRAINIAN"}, {10005, "MACHEBREW"},   {10021, "MACTHAI"},     {12000, "UTF-32LE"},
    {12001, "UTF-32BE"},     {20127, "ASCII"},       {20866, "KOI8-R"},      {21866, "KOI8-U"},
    {20932, "EUC-JP"},       {28591, "ISO-8859-1"},  {28592, "ISO-8859-2"},  {28593, "ISO-8859-3"},
    {28594, "ISO-8859-4"},   {28595, "ISO-8859-5"},  {28596, "ISO-8859-6"},  {28597, "ISO-8859-7"},
    {28598, "ISO-8859-8"},   {28599, "ISO-8859-9"},  {28603, "ISO-8859-13"}, {28605, "ISO-8859-15"},
    {38598, "ISO-8859-8"},   {50220, "ISO-2022-JP"}, {50221, "ISO-2022-JP"}, {50222, "ISO-2022-JP"},
    {50225, "ISO-2022-KR"},  {51932, "EUC-JP"},      {51936, "EUC-CN"},      {51949, "EUC-KR"},
    {52936, "HZ"},           {54936, "GB18030"},     {65000, "UTF-7"},       {65001, "UTF-8"},
    {20936, "GB2312"},       {20949, "EUC-KR"},      {1047, "IBM1047"},      {20420, "IBM420"},
};

unsigned Resolve(unsigned codePage) {
  return codePage == kCodePageAnsi || codePage == kCodePageThreadAnsi ? g_ansiCodePage : codePage;
}

// The converter of a code page; none for the wide code pages, which are no multibyte ones.
const char* IconvName(unsigned codePage) {
  if (IsWideCodePage(codePage)) return nullptr;
  for (const auto& entry : kCodePages)
    if (entry.codePage == codePage) return entry.iconvName;
  return nullptr;
}

// One iconv descriptor, closed on scope exit; not open when either name is missing or the C
// library has no such converter.
class Converter {
 public:
  Converter(const char* to, const char* from)
      : cd_(to && from ? iconv_open(to, from) : reinterpret_cast<iconv_t>(-1)) {}
  ~Converter() {
    if (ok()) iconv_close(cd_);
  }
  Converter(const Converter&) = delete;
  Converter& operator=(const Converter&) = delete;
  bool ok() const { return cd_ != reinterpret_cast<iconv_t>(-1); }
  iconv_t get() const { return cd_; }

 private:
  iconv_t cd_;
};

// UTF-16 in this machine's byte order, so that iconv reads and writes char16_t directly.
constexpr const char* kUtf16 = std::endian::native == std::endian::little ? "UTF-16LE" : "UTF-16BE";

// The converter of one direction last used, kept open: opening one costs far more than
// converting a short text, and an import converts hundreds of thousands of them. Threads
// share it under its lock.
class ConverterCache {
 public:
  constexpr explicit ConverterCache(bool toWide) : toWide_(toWide) {}
  // Runs `use` with the converter between UTF-16 and the code page, in its initial state;
  // false, without running it, when there is no such converter.
  template <typename Use>
  bool With(unsigned codePage, Use use) {
    std::lock_guard guard(lock_);
    if (!converter_ || codePage_ != codePage) {
      converter_.reset();
      const char* name = IconvName(codePage);
      converter_ = toWide_ ? std::make_unique<Converter>(kUtf16, name) : std::make_unique<Converter>(name, kUtf16);
      codePage_ = codePage;
    }
    if (!converter_->ok()) return false;
    iconv(converter_->get(), nullptr, nullptr, nullptr, nullptr);
    use(converter_->get());
    return true;
  }

 private:
  const bool toWide_;
  std::mutex lock_;
  unsigned codePage_ = 0;
  std::unique_ptr<Converter> converter_;
};

// Ready before any code of the module runs, whatever the order of its initialisers.
constinit ConverterCache g_toWide(true);
constinit ConverterCache g_fromWide(false);

// Runs iconv over the whole input into `out`, a string of the output's code units, which starts
// with room for `room` units per input byte and doubles when that is not enough. An input
// sequence it cannot take becomes one `replacement` unit, and `skip` input bytes (or what is
// left) are passed over.
template <typename Out>
void ConvertAll(iconv_t cd, std::string_view in, Out& out, size_t room, typename Out::value_type replacement,
                size_t skip) {
  constexpr size_t kUnit = sizeof(typename Out::value_type);
  out.resize(in.size() * room + 16);
  size_t used = 0;  // bytes
  char* inPtr = const_cast<char*>(in.data());
  size_t inLeft = in.size();
  // Converts what is left; without input, ends the shift state of stateful encodings.
  const auto convert = [&](bool flush) {
    for (;;) {
      char* outPtr = reinterpret_cast<char*>(out.data()) + used;
      size_t outLeft = out.size() * kUnit - used;
      const size_t rc = flush ? iconv(cd, nullptr, nullptr, &outPtr, &outLeft)
                              : iconv(cd, &inPtr, &inLeft, &outPtr, &outLeft);
      used = out.size() * kUnit - outLeft;
      if (rc != static_cast<size_t>(-1)) return true;
      if (errno != E2BIG) return false;
      out.resize(out.size() * 2);
    }
  };
  while (inLeft > 0) {
    if (convert(false)) break;
    // EILSEQ or EINVAL: a sequence that is invalid, unmappable or cut off at the end.
    if (used / kUnit == out.size()) out.resize(out.size() * 2);
    out[used / kUnit] = replacement;
    used += kUnit;
    const size_t passed = std::min(inLeft, skip);
    inPtr += passed;
    inLeft -= passed;
    iconv(cd, nullptr, nullptr, nullptr, nullptr);
  }
  convert(true);
  out.resize(used / kUnit);
}

// Code pages in which every byte below 0x80 is that ASCII character and nothing else: pure
// ASCII text converts without the converter. (Not so in UTF-7, HZ, the ISO 2022 family or
// EBCDIC, which keep the general path.)
bool IsAsciiCompatible(unsigned codePage) {
  switch (codePage) {
    case 874: case 932: case 936: case 949: case 950: case 1250: case 1251: case 1252: case 1253:
    case 1254: case 1255: case 1256: case 1257: case 1258: case 20127: case 20866: case 20932:
    case 21866: case 28591: case 28592: case 28593: case 28594: case 28595: case 28596: case 28597:
    case 28598: case 28599: case 28603: case 28605: case 51932: case 51936: case 51949: case 54936:
    case 65001:
      return true;
    default:
      return false;
  }
}

// Whether every code unit of the text is below 0x80, looked at eight bytes at a time: every
// symbol's name and comment goes through here on an import.
template <typename Unit>
bool IsAscii(std::basic_string_view<Unit> text) {
  constexpr uint64_t kHighBits = sizeof(Unit) == 1 ? 0x8080808080808080u : 0xFF80FF80FF80FF80u;
  constexpr size_t kPerWord = sizeof(uint64_t) / sizeof(Unit);
  uint64_t seen = 0;
  size_t i = 0;
  for (; i + kPerWord <= text.size(); i += kPerWord) {
    uint64_t word;
    std::memcpy(&word, text.data() + i, sizeof word);
    seen |= word;
  }
  for (; i < text.size(); ++i) seen |= static_cast<std::make_unsigned_t<Unit>>(text[i]);
  return (seen & kHighBits) == 0;
}

// What one UTF-16 unit narrows to in one ASCII-compatible code page, kept as each unit is
// first met: an import narrows hundreds of thousands of names and comments, and iconv costs a
// call and tens of instructions a character where a table lookup costs a few. Texts holding a
// surrogate, or a unit that narrows to more than two bytes, are left to iconv.
class NarrowingCache {
 public:
  // False, with `out` unspecified, when the text is left to iconv.
  bool Narrow(unsigned codePage, std::u16string_view text, std::string& out) {
    std::lock_guard guard(lock_);
    if (codePage != codePage_ || entries_.empty()) {
      entries_.assign(kUnits, kUnknown);
      codePage_ = codePage;
    }
    out.resize(text.size() * 2);
    char* to = out.data();
    for (const char16_t unit : text) {
      if (unit < 0x80) {
        *to++ = static_cast<char>(unit);
        continue;
      }
      if (unit >= 0xD800 && unit <= 0xDFFF) return false;
      uint32_t& entry = entries_[unit];
      if (entry == kUnknown) entry = Learn(codePage, unit);
      if (entry == kUncached) return false;
      if (entry > 0xFF) *to++ = static_cast<char>(entry >> 8);
      *to++ = static_cast<char>(entry & 0xFF);
    }
    out.resize(static_cast<size_t>(to - out.data()));
    return true;
  }

 private:
  static constexpr size_t kUnits = 0x10000;
  static constexpr uint32_t kUnknown = 0xFFFF'FFFF;
  static constexpr uint32_t kUncached = 0xFFFF'FFFE;

  // One byte as itself, two as lead << 8 | trail; a lead byte is never 0.
  static uint32_t Learn(unsigned codePage, char16_t unit) {
    std::string bytes;
    const std::string_view in(reinterpret_cast<const char*>(&unit), sizeof unit);
    if (!g_fromWide.With(codePage, [&](iconv_t cd) { ConvertAll(cd, in, bytes, 1, '?', 2); })) return kUncached;
    const auto byte = [&](size_t i) { return static_cast<uint32_t>(static_cast<unsigned char>(bytes[i])); };
    if (bytes.size() == 1) return byte(0);
    if (bytes.size() == 2 && byte(0) != 0) return byte(0) << 8 | byte(1);
    return kUncached;
  }

  std::mutex lock_;
  unsigned codePage_ = 0;
  std::vector<uint32_t> entries_;
};

constinit NarrowingCache g_narrowing;

}  // namespace

unsigned GetAnsiCodePage() { return g_ansiCodePage; }
void SetAnsiCodePage(unsigned codePage) { g_ansiCodePage = codePage; }

bool IsCodePageSupported(unsigned codePage) {
  const unsigned resolved = Resolve(codePage);
  if (resolved == kCodePageUtf8) return true;
  Converter probe(kUtf16, IconvName(resolved));
  return probe.ok();
}

std::u16string MultiByteToWide(unsigned codePage, std::string_view text) {
  if (text.empty()) return {};
  const unsigned resolved = Resolve(codePage);
  if (IsAsciiCompatible(resolved) && IsAscii(text)) return std::u16string(text.begin(), text.end());
  // UTF-8 replaces each maximal invalid subpart by U+FFFD, decoded as in every backend.
  if (resolved == kCodePageUtf8) return utils::DecodeUtf8Replacing(text);
  std::u16string result;
  // No code page gives more UTF-16 units than it has bytes; each byte a code page cannot take
  // becomes its default character "?".
  const bool converted = g_toWide.With(resolved, [&](iconv_t cd) { ConvertAll(cd, text, result, 1, u'?', 1); });
  if (!converted) return resolved == g_ansiCodePage ? std::u16string() : MultiByteToWide(kCodePageAnsi, text);
  return result;
}

std::string WideToMultiByte(unsigned codePage, std::u16string_view text) {
  if (text.empty()) return {};
  const unsigned resolved = Resolve(codePage);
  if (IsAsciiCompatible(resolved) && IsAscii(text)) return std::string(text.begin(), text.end());
  // UTF-8 replaces each lone surrogate by U+FFFD, encoded as in every backend.
  if (resolved == kCodePageUtf8) return utils::EncodeUtf8Replacing(text);
  std::string result;
  if (IsAsciiCompatible(resolved) && g_narrowing.Narrow(resolved, text, result)) return result;
  // One "?" per UTF-16 unit, so a character beyond the BMP becomes "??".
  const std::string_view units(reinterpret_cast<const char*>(text.data()), text.size() * 2);
  const bool converted = g_fromWide.With(resolved, [&](iconv_t cd) { ConvertAll(cd, units, result, 1, '?', 2); });
  if (!converted) return resolved == g_ansiCodePage ? std::string() : WideToMultiByte(kCodePageAnsi, text);
  return result;
}

}  // namespace platform
