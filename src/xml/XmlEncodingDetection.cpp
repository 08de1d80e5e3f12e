#include "xml/XmlEncodingDetection.h"

#include <vector>

namespace xml {
namespace {

char16_t FoldAscii(char16_t c) { return c >= u'A' && c <= u'Z' ? static_cast<char16_t>(c + 32) : c; }

bool EqualsIgnoringCase(std::u16string_view a, std::u16string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i)
    if (FoldAscii(a[i]) != FoldAscii(b[i])) return false;
  return true;
}

struct Attribute {
  std::u16string_view name;
  std::u16string_view value;
};

// The attributes of a tag's inside (after its name, before its ">"); values quoted or bare.
std::vector<Attribute> ParseAttributes(std::u16string_view inside) {
  std::vector<Attribute> attributes;
  size_t i = 0;
  const size_t n = inside.size();
  while (i < n) {
    while (i < n && (IsSpace(inside[i]) || inside[i] == u'/' || inside[i] == u'?')) ++i;
    const size_t nameStart = i;
    while (i < n && !IsSpace(inside[i]) && inside[i] != u'=' && inside[i] != u'/') ++i;
    Attribute attribute{inside.substr(nameStart, i - nameStart), {}};
    while (i < n && IsSpace(inside[i])) ++i;
    if (i < n && inside[i] == u'=') {
      ++i;
      while (i < n && IsSpace(inside[i])) ++i;
      if (i < n && (inside[i] == u'"' || inside[i] == u'\'')) {
        const size_t close = inside.find(inside[i], i + 1);
        const size_t end = close == std::u16string_view::npos ? n : close;
        attribute.value = inside.substr(i + 1, end - i - 1);
        i = end + 1;
      } else {
        const size_t valueStart = i;
        while (i < n && !IsSpace(inside[i])) ++i;
        attribute.value = inside.substr(valueStart, i - valueStart);
      }
    }
    if (!attribute.name.empty()) attributes.push_back(attribute);
    if (i == nameStart) ++i;  // a stray character: step over it
  }
  return attributes;
}

// The "charset" parameter of a content type such as "text/html; charset=gb2312".
std::u16string_view CharsetParameter(std::u16string_view content) {
  for (size_t at = 0; at + 7 <= content.size(); ++at) {
    if (!EqualsIgnoringCase(content.substr(at, 7), u"charset")) continue;
    size_t i = at + 7;
    while (i < content.size() && IsSpace(content[i])) ++i;
    if (i >= content.size() || content[i] != u'=') continue;
    ++i;
    while (i < content.size() && (IsSpace(content[i]) || content[i] == u'"' || content[i] == u'\'')) ++i;
    size_t end = i;
    while (end < content.size() && !IsSpace(content[end]) && content[end] != u';' && content[end] != u'"' &&
           content[end] != u'\'')
      ++end;
    return content.substr(i, end - i);
  }
  return {};
}

// The encoding a meta element names, or empty.
std::u16string_view MetaCharset(const std::vector<Attribute>& attributes) {
  bool contentType = false;
  std::u16string_view content;
  for (const auto& attribute : attributes) {
    if (EqualsIgnoringCase(attribute.name, u"charset")) return attribute.value;
    if (EqualsIgnoringCase(attribute.name, u"http-equiv"))
      contentType = EqualsIgnoringCase(attribute.value, u"Content-Type");
    if (EqualsIgnoringCase(attribute.name, u"content")) content = attribute.value;
  }
  return contentType ? CharsetParameter(content) : std::u16string_view();
}

}  // namespace

bool PassesUtf8Test(const unsigned char* p, size_t n) {
  size_t i = 0;
  while (i < n && p[i] != 0) {
    const unsigned char b = p[i];
    size_t extra = 0;
    if (b < 0x80) {
      extra = 0;
    } else if ((b & 0xE0) == 0xC0) {
      extra = 1;
    } else if ((b & 0xF0) == 0xE0) {
      extra = 2;
    } else if ((b & 0xF8) == 0xF0) {
      extra = 3;
    } else if ((b & 0xF8) == 0xF8) {
      return false;
    } else {
      extra = 0;  // a stray continuation byte passes as a single byte
    }
    for (size_t k = 1; k <= extra; ++k)
      if (i + k >= n || (p[i + k] & 0x80) == 0) return false;
    i += extra + 1;
  }
  return true;
}

std::u16string DeclaredEncoding(std::u16string_view head) {
  size_t i = 0;
  const size_t n = head.size();
  bool first = true;
  while (i < n) {
    while (i < n && IsSpace(head[i])) ++i;
    if (i >= n) break;
    if (head[i] != u'<') {
      const size_t next = head.find(u'<', i);
      if (next == std::u16string_view::npos) break;
      i = next;
      first = false;
      continue;
    }
    const std::u16string_view rest = head.substr(i);
    if (rest.substr(0, 2) == u"<?") {
      const size_t end = head.find(u"?>", i);
      const size_t stop = end == std::u16string_view::npos ? n : end;
      if (first && rest.substr(0, 5) == u"<?xml") {
        for (const auto& attribute : ParseAttributes(head.substr(i + 5, stop - i - 5)))
          if (attribute.name == u"encoding" && !attribute.value.empty()) return std::u16string(attribute.value);
      }
      i = stop + 2;
    } else if (rest.substr(0, 4) == u"<!--") {
      const size_t end = head.find(u"-->", i + 4);
      if (end == std::u16string_view::npos) break;
      i = end + 3;
    } else if (rest.substr(0, 2) == u"<!" || rest.substr(0, 2) == u"</") {
      const size_t end = head.find(u'>', i);
      if (end == std::u16string_view::npos) break;
      i = end + 1;
    } else {
      size_t j = i + 1;
      while (j < n && !IsSpace(head[j]) && head[j] != u'>' && head[j] != u'/') ++j;
      const std::u16string_view name = head.substr(i + 1, j - i - 1);
      const size_t end = head.find(u'>', j);
      const size_t stop = end == std::u16string_view::npos ? n : end;
      if (EqualsIgnoringCase(name, u"meta")) {
        const std::u16string_view charset = MetaCharset(ParseAttributes(head.substr(j, stop - j)));
        if (!charset.empty()) return std::u16string(charset);
      } else if (!EqualsIgnoringCase(name, u"html") && !EqualsIgnoringCase(name, u"head")) {
        break;
      }
      i = stop + 1;
    }
    first = false;
  }
  return {};
}

}  // namespace xml
