#include "driver/VarName.h"

namespace driver {
namespace {

// Applied one after the other; "__" sits between the bracket and the punctuation steps.
constexpr const char16_t* kReplacedTexts[] = {
    u".",  u":",  u"[",  u"]",  u"(",  u")",  u"__", u"`",  u"~",  u"!",  u"@",  u"#",
    u"$",  u"%",  u"^",  u"&",  u"*",  u"-",  u"=",  u"+",  u"\\", u"|",  u"}",  u"{",
    u"'",  u"\"", u";",  u"/",  u"?",  u">",  u",",  u"<",  u"\r", u"\t", u" ",  u"\uFFE5"};

}  // namespace

std::u16string ReplaceAll(const std::u16string& text, const std::u16string& from, const std::u16string& to) {
  if (from.empty()) return text;
  std::u16string result;
  result.reserve(text.size());
  size_t start = 0;
  for (size_t found = text.find(from); found != std::u16string::npos; found = text.find(from, start)) {
    result.append(text, start, found - start);
    result += to;
    start = found + from.size();
  }
  result.append(text, start, std::u16string::npos);
  return result;
}

std::u16string MakeVarName(const std::u16string& pathName, const std::u16string& tagName) {
  if (pathName.empty()) return ReplaceAll(tagName, u".", u"_");
  std::u16string name = pathName;
  for (const char16_t* text : kReplacedTexts) name = ReplaceAll(name, text, u"_");
  return name;
}

}  // namespace driver
