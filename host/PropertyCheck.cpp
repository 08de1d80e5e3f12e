#include "PropertyCheck.h"

#include <cstdint>
#include <cstdio>
#include <cctype>

namespace adshost {
namespace {

std::string Trimmed(const std::string& text) {
  const char* blanks = " \t\r\n\v\f";
  const size_t first = text.find_first_not_of(blanks);
  if (first == std::string::npos) return {};
  return text.substr(first, text.find_last_not_of(blanks) - first + 1);
}

// The number SvrSetProperty makes of the text for an unsigned property (0 when none parses).
uint32_t AsUnsigned(const std::string& text) {
  const size_t hex = text.find("0X");
  if (hex != std::string::npos) {
    unsigned value = 0;
    std::sscanf(text.c_str() + hex + 2, "%X", &value);
    return value;
  }
  int value = 0;
  std::sscanf(text.c_str(), "%d", &value);
  return static_cast<uint32_t>(value);
}

// The text the listing shows for the number SvrSetProperty makes of `text` for a floating one.
std::string AsListedDouble(const std::string& text) {
  double value = 0.0;
  std::sscanf(text.c_str(), "%lf", &value);
  char buffer[512];
  std::snprintf(buffer, sizeof buffer, "%lf", value);
  return buffer;
}

bool AllDigits(const std::string& text, size_t from, size_t to) {
  if (from >= to) return false;
  for (size_t i = from; i < to; ++i)
    if (!std::isdigit(static_cast<unsigned char>(text[i]))) return false;
  return true;
}

// "%d": an optional minus and digits.
bool ListedAsUnsigned(const std::string& text) {
  return AllDigits(text, text.starts_with('-') ? 1 : 0, text.size());
}

// "%lf": an optional minus, digits, a point and six decimals (or an infinity or not-a-number).
bool ListedAsDouble(const std::string& text) {
  const size_t sign = text.starts_with('-') ? 1 : 0;
  const std::string body = text.substr(sign);
  if (body == "inf" || body == "nan") return true;
  const size_t point = text.find('.');
  return point != std::string::npos && text.size() - point == 7 && AllDigits(text, sign, point) &&
         AllDigits(text, point + 1, text.size());
}

}  // namespace

bool KeptAsAsked(const std::string& asked, const std::string& kept, bool enumeration) {
  const std::string value = Trimmed(asked);
  if (value == kept) return true;
  if (enumeration) return false;
  if (ListedAsUnsigned(kept)) return AsUnsigned(value) == AsUnsigned(kept);
  if (ListedAsDouble(kept)) return AsListedDouble(value) == kept;
  return false;
}

}  // namespace adshost
