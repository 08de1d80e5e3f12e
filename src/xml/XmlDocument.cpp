#include "xml/XmlDocument.h"

#include <algorithm>
#include <unordered_map>
#include <vector>

#include "platform/File.h"
#include "platform/System.h"
#include "platform/Text.h"
#include "utils/utf16.h"
#include "xml/XmlEncodings.h"
#include "xml/XmlEntities.h"

namespace {

constexpr uint32_t kFirstChild = 0x80000;
constexpr uint32_t kUnended = 0x100000;
constexpr uint32_t kErrorInside = 0x200000;
constexpr size_t kReportLimit = 1000;

std::u16string Number(uint64_t value) {
  const std::string digits = std::to_string(value);
  return std::u16string(digits.begin(), digits.end());
}


bool IsSpace(char16_t c) { return c == u' ' || c == u'\t' || c == u'\n' || c == u'\r'; }

bool StartsTag(char16_t c) { return (c >= u'A' && c <= u'Z') || c == u'_' || c == u':' || c > u'`'; }

// An upper bound of the elements of a text: the "<" followed by a character that may start a
// name (also counted inside comments and character data).
size_t CountElementStarts(std::u16string_view text) {
  size_t count = 0;
  for (size_t i = 0; i + 1 < text.size(); ++i)
    if (text[i] == u'<' && StartsTag(text[i + 1])) ++count;
  return count;
}

// Reserves room for `count` elements that are about to be written one after the other.
template <class Container>
void ReserveForFill(Container& container, size_t count) {
  container.reserve(count);
  platform::AdviseBulkFill(container.data(), container.capacity() * sizeof(*container.data()));
}

// UTF-8 decoded by the reader itself; every invalid sequence becomes "?". No byte gives more
// than one UTF-16 unit (a four-byte sequence gives two).
std::u16string DecodeUtf8(const unsigned char* p, size_t n) {
  std::u16string out;
  ReserveForFill(out, n);
  size_t i = 0;
  while (i < n) {
    const unsigned char b = p[i];
    if (b < 0x80) {
      out += static_cast<char16_t>(b);
      ++i;
      continue;
    }
    size_t extra = b >= 0xF0 && b < 0xF8 ? 3 : b >= 0xE0 && b < 0xF0 ? 2 : b >= 0xC0 && b < 0xE0 ? 1 : 0;
    if (extra == 0 || i + extra >= n) {
      out += u'?';
      ++i;
      continue;
    }
    char32_t cp = b & (0x3F >> extra);
    bool valid = true;
    for (size_t k = 1; k <= extra; ++k) {
      if ((p[i + k] & 0xC0) != 0x80) {
        valid = false;
        break;
      }
      cp = cp << 6 | (p[i + k] & 0x3F);
    }
    if (!valid || cp > 0x10FFFF) {
      out += u'?';
      ++i;
      continue;
    }
    utils::AppendUtf16(out, cp);
    i += extra + 1;
  }
  return out;
}

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

// The encoding the document declares at its start: the "encoding" attribute of a leading xml
// declaration or, in an html document, a meta element inside head. The search stops at the
// first element that is neither html, head nor meta.
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

}  // namespace

XmlDocument::XmlDocument() = default;
XmlDocument::~XmlDocument() = default;

void XmlDocument::Note(std::u16string_view name,
                       std::initializer_list<std::pair<std::u16string_view, std::u16string>> attributes) {
  if (report_.size() >= kReportLimit) return;
  report_ += u'<';
  report_ += name;
  for (const auto& [key, value] : attributes) {
    report_ += u' ';
    report_ += key;
    report_ += u"=\"";
    report_ += value;
    report_ += u'"';
  }
  report_ += u"/>";
}

bool XmlDocument::LoadXmlFile(const std::u16string& path) {
  std::vector<unsigned char> bytes;
  platform::FileError error;
  if (!platform::ReadWholeFile(path, bytes, error)) {
    report_.clear();
    text_.clear();
    elements_.assign(1, Element{});
    notWellFormed_ = false;
    ResetPosition();
    Note(u"file_error", {{u"msg", error.message}, {u"n", Number(static_cast<uint64_t>(error.code))}});
    return false;
  }
  report_.clear();
  text_.clear();
  Decode(bytes.data(), bytes.size());
  std::vector<unsigned char>().swap(bytes);  // decoded: the bytes need not stay beside the element index
  return ParseDecoded();
}

bool XmlDocument::LoadXmlBytes(const void* data, size_t size) {
  return Load(static_cast<const unsigned char*>(data), size);
}

bool XmlDocument::Load(const unsigned char* data, size_t size) {
  report_.clear();
  text_.clear();
  Decode(data, size);
  return ParseDecoded();
}

bool XmlDocument::ParseDecoded() {
  Parse();
  ResetPosition();
  return IsWellFormed();
}

void XmlDocument::Decode(const unsigned char* data, size_t size) {
  std::u16string encoding;
  size_t skip = 0;
  bool utf16 = false, bigEndian = false;
  if (size >= 3 && data[0] == 0xEF && data[1] == 0xBB && data[2] == 0xBF) {
    encoding = u"UTF-8";
    skip = 3;
  } else if (size >= 2 && data[0] == 0xFF && data[1] == 0xFE) {
    encoding = u"UTF-16LE";
    skip = 2;
    utf16 = true;
  } else if (size >= 2 && data[0] == 0xFE && data[1] == 0xFF) {
    encoding = u"UTF-16BE";
    skip = 2;
    utf16 = bigEndian = true;
  }
  if (skip) {
    Note(u"bom", {{u"encoding", encoding}});
  } else {
    const size_t block = std::min<size_t>(size, 1024);
    encoding = DeclaredEncoding(DecodeUtf8(data, static_cast<size_t>(std::find(data, data + block, 0) - data)));
    if (encoding.empty() && size > 0 && data[0] == '<') encoding = u"UTF-8";
  }
  const unsigned char* body = data + skip;
  const size_t length = size - skip;

  if (utf16) {
    const size_t units = length / 2;
    Note(u"read", {{u"encoding", encoding}, {u"length", Number(units * 2)}});
    ReserveForFill(text_, units);
    size_t nulls = 0;
    for (size_t i = 0; i < units; ++i) {
      char16_t unit = bigEndian ? static_cast<char16_t>(body[2 * i] << 8 | body[2 * i + 1])
                                : static_cast<char16_t>(body[2 * i] | body[2 * i + 1] << 8);
      if (unit == 0) {
        ++nulls;
        continue;
      }
      text_ += unit;
    }
    if (nulls) Note(u"nulls_removed", {{u"count", Number(nulls)}});
    if (bigEndian) Note(u"endian_swap");
    return;
  }

  Note(u"read", {{u"encoding", encoding}, {u"length", Number(length)}});
  // NULs are dropped; a copy is made only when there are some.
  std::string withoutNulls;
  std::string_view bytes(reinterpret_cast<const char*>(body), length);
  if (bytes.find('\0') != std::string_view::npos) {
    ReserveForFill(withoutNulls, length);
    for (char c : bytes)
      if (c) withoutNulls += c;
    Note(u"nulls_removed", {{u"count", Number(length - withoutNulls.size())}});
    bytes = withoutNulls;
  }
  if (encoding.empty()) {
    if (PassesUtf8Test(reinterpret_cast<const unsigned char*>(bytes.data()), bytes.size())) {
      encoding = u"UTF-8";
      Note(u"read", {{u"encoding", encoding}, {u"length", Number(length)}});
    }
    Note(u"utf8_detection");
  }
  int codePage = xml::LookupCodePage(encoding);
  if (codePage == xml::kCodePageUnknown) codePage = xml::kCodePageDefault;
  const auto* raw = reinterpret_cast<const unsigned char*>(bytes.data());
  if (codePage == xml::kCodePageUtf8 || codePage == xml::kCodePageUtf16Le || codePage == xml::kCodePageUtf16Be ||
      codePage == xml::kCodePageUtf32 || codePage == xml::kCodePageUtf32Le || codePage == xml::kCodePageUtf32Be) {
    // Wide encodings declared in a byte file lost their NULs above; what remains is read as UTF-8.
    text_ = DecodeUtf8(raw, bytes.size());
  } else {
    text_ = platform::MultiByteToWide(static_cast<unsigned>(codePage), bytes);
  }
  Note(u"converted_to", {{u"encoding", u"UTF-16"}, {u"length", Number(text_.size())}});
}

std::u16string_view XmlDocument::NameOf(const Element& element) const {
  return std::u16string_view(text_).substr(element.nameStart, element.nameLength);
}

uint32_t XmlDocument::AddElement(uint32_t parent, uint32_t start, uint32_t nameStart, uint32_t nameLength) {
  const uint32_t index = static_cast<uint32_t>(elements_.size());
  Element element;
  element.start = start;
  element.parent = parent;
  element.nameStart = nameStart;
  element.nameLength = nameLength;
  element.flags = parent ? ((elements_[parent].flags & 0xFFFF) + 1) & 0xFFFF : 0;
  Element& up = elements_[parent];
  if (!up.firstChild) {
    element.flags |= kFirstChild;
    element.previousSibling = index;
    up.firstChild = index;
  } else {
    const uint32_t last = elements_[up.firstChild].previousSibling;
    element.previousSibling = last;
    elements_[last].nextSibling = index;
    elements_[up.firstChild].previousSibling = index;
  }
  elements_.push_back(element);
  return index;
}

void XmlDocument::MarkError(uint32_t element) {
  notWellFormed_ = true;
  elements_[element].flags |= kErrorInside;
}

// An element whose end tag never came: it ends with its start tag, and its children move up
// to follow it as siblings.
void XmlDocument::CloseUnended(uint32_t index) {
  Element& e = elements_[index];
  e.length = e.startTagLength;
  e.flags |= kUnended;
  notWellFormed_ = true;
  const uint32_t parent = e.parent;
  if (e.flags & kErrorInside) elements_[parent].flags |= kErrorInside;
  Note(u"unended_start_tag", {{u"tagname", std::u16string(NameOf(e))}, {u"offset", Number(e.start)}});
  const uint32_t first = e.firstChild;
  if (!first) return;
  const uint32_t last = elements_[first].previousSibling;
  const uint32_t after = e.nextSibling;
  for (uint32_t c = first; c; c = elements_[c].nextSibling) {
    elements_[c].parent = parent;
    elements_[c].flags = (elements_[c].flags & ~0xFFFFu) | (elements_[index].flags & 0xFFFF);
  }
  elements_[first].flags &= ~kFirstChild;
  elements_[first].previousSibling = index;
  elements_[index].nextSibling = first;
  elements_[index].firstChild = 0;
  elements_[last].nextSibling = after;
  if (after) {
    elements_[after].previousSibling = last;
  } else {
    elements_[elements_[parent].firstChild].previousSibling = last;
  }
}

// Closes the open elements from position `from` to the innermost as unended. The outermost
// is closed first, so that each element's children move up only once (linear, however deep).
void XmlDocument::CloseOpenFrom(std::vector<uint32_t>& open, size_t from) {
  for (size_t j = open.size(); j-- > from + 1;)
    if (elements_[open[j]].flags & kErrorInside) elements_[open[j - 1]].flags |= kErrorInside;
  for (size_t j = from; j < open.size(); ++j) CloseUnended(open[j]);
  open.resize(from);
}

void XmlDocument::Parse() {
  elements_.assign(1, Element{});
  // Reserved for every "<" that may open an element: growing by doubling would hold the old
  // and the new index at once, the largest part of a large file's peak memory.
  ReserveForFill(elements_, CountElementStarts(text_) + 1);
  notWellFormed_ = false;
  const std::u16string_view t(text_);
  const size_t n = t.size();
  std::vector<uint32_t> open;
  // After the first lone end tag the open elements are also counted by name, so that further
  // lone end tags are known without walking the open elements: linear however they mix.
  std::unordered_map<std::u16string_view, uint32_t> openNames;
  bool countNames = false;
  auto current = [&]() -> uint32_t { return open.empty() ? 0 : open.back(); };
  auto unterminated = [&](std::u16string_view kind, size_t at) {
    Note(u"unterminated_tag_syntax", {{u"type", std::u16string(kind)}, {u"offset", Number(at)}});
    MarkError(current());
  };
  size_t i = 0;
  while (i < n) {
    if (t[i] != u'<') {
      const size_t next = t.find(u'<', i);
      i = next == std::u16string_view::npos ? n : next;
      continue;
    }
    const size_t start = i;
    if (i + 1 >= n) {
      unterminated(u"tag", start);
      break;
    }
    const char16_t c = t[i + 1];
    if (c == u'!') {
      std::u16string_view kind, close;
      if (t.substr(i, 4) == u"<!--") {
        kind = u"comment", close = u"-->";
      } else if (t.substr(i, 9) == u"<![CDATA[") {
        kind = u"cdata_section", close = u"]]>";
      } else if (t.substr(i, 9) == u"<!DOCTYPE") {
        kind = u"document_type", close = u">";
        const size_t bracket = t.find_first_of(u"[>", i);
        if (bracket != std::u16string_view::npos && t[bracket] == u'[') {
          const size_t end = t.find(u"]", bracket);
          if (end == std::u16string_view::npos) {
            unterminated(kind, start);
            break;
          }
          i = end - 1;  // the search for ">" below starts two characters on, at the "]"
        }
      } else {
        kind = u"tag", close = u">";
      }
      const size_t end = t.find(close, i + 2);
      if (end == std::u16string_view::npos) {
        unterminated(kind, start);
        break;
      }
      i = end + close.size();
      continue;
    }
    if (c == u'?') {
      const size_t end = t.find(u"?>", i + 2);
      if (end == std::u16string_view::npos) {
        unterminated(u"processing_instruction", start);
        break;
      }
      i = end + 2;
      continue;
    }
    if (c == u'/') {
      const size_t nameStart = i + 2;
      size_t j = nameStart;
      while (j < n && !IsSpace(t[j]) && t[j] != u'>') ++j;
      const size_t end = t.find(u'>', j);
      if (end == std::u16string_view::npos) {
        unterminated(u"end_tag", start);
        break;
      }
      const std::u16string_view name = t.substr(nameStart, j - nameStart);
      size_t k = 0;
      if (!countNames || openNames[name] > 0) {
        k = open.size();
        while (k > 0 && NameOf(elements_[open[k - 1]]) != name) --k;
      }
      if (k == 0) {
        Note(u"lone_end_tag", {{u"tagname", std::u16string(name)}, {u"offset", Number(start)}});
        MarkError(current());
        if (!countNames) {
          countNames = true;
          for (uint32_t index : open) ++openNames[NameOf(elements_[index])];
        }
      } else {
        if (countNames)
          for (size_t m = k - 1; m < open.size(); ++m) --openNames[NameOf(elements_[open[m]])];
        CloseOpenFrom(open, k);
        Element& e = elements_[open.back()];
        e.length = static_cast<uint32_t>(end + 1 - e.start);
        e.endTagLength = static_cast<uint32_t>(end + 1 - start);
        open.pop_back();
      }
      i = end + 1;
      continue;
    }
    if (!StartsTag(c)) {
      Note(u"first_tag_syntax", {{u"offset", Number(start)}});
      MarkError(current());
      i += 1;
      continue;
    }
    const size_t nameStart = i + 1;
    size_t j = nameStart;
    while (j < n && !IsSpace(t[j]) && t[j] != u'>' && t[j] != u'/') ++j;
    size_t k = j;
    char16_t quote = 0;
    while (k < n) {
      if (quote) {
        if (t[k] == quote) quote = 0;
      } else if (t[k] == u'"' || t[k] == u'\'') {
        quote = t[k];
      } else if (t[k] == u'>') {
        break;
      }
      ++k;
    }
    if (k >= n) {
      unterminated(u"start_tag", start);
      break;
    }
    const uint32_t index = AddElement(current(), static_cast<uint32_t>(start), static_cast<uint32_t>(nameStart),
                                      static_cast<uint32_t>(j - nameStart));
    Element& e = elements_[index];
    e.startTagLength = static_cast<uint32_t>(k + 1 - start);
    if (t[k - 1] == u'/') {
      e.empty = true;
      e.length = e.startTagLength;
    } else {
      open.push_back(index);
      if (countNames) ++openNames[NameOf(elements_[index])];
    }
    i = k + 1;
  }
  CloseOpenFrom(open, 0);
  if (n == 0) return;
  const uint32_t root = elements_[0].firstChild;
  if (!root) {
    Note(u"no_root_element");
  } else if (elements_[root].nextSibling) {
    Note(u"root_has_sibling");
  }
}

bool XmlDocument::IsWellFormed() const {
  if (elements_.empty()) return false;
  const uint32_t root = elements_[0].firstChild;
  return !notWellFormed_ && root && !elements_[root].nextSibling;
}

void XmlDocument::ResetPosition() {
  parent_ = current_ = child_ = 0;
  nodeIsElement_ = false;
}

bool XmlDocument::FindChildElement(std::u16string_view name) {
  if (elements_.empty()) return false;
  if (!current_) current_ = elements_[0].firstChild;
  if (!current_) return false;
  uint32_t c = child_ ? elements_[child_].nextSibling : elements_[current_].firstChild;
  for (; c; c = elements_[c].nextSibling) {
    if (NameOf(elements_[c]) != name) continue;
    child_ = c;
    current_ = elements_[c].parent;
    parent_ = elements_[current_].parent;
    nodeIsElement_ = true;
    return true;
  }
  return false;
}

bool XmlDocument::EnterElement() {
  if (!current_ || !nodeIsElement_ || !child_) return false;
  parent_ = current_;
  current_ = child_;
  child_ = 0;
  nodeIsElement_ = false;
  return true;
}

bool XmlDocument::LeaveElement() {
  if (!parent_) return false;
  child_ = current_;
  current_ = parent_;
  parent_ = elements_[current_].parent;
  nodeIsElement_ = true;
  return true;
}

namespace {

// Decodes character and named references; anything that is not one stays literal.
void AppendDecoded(std::u16string& out, std::u16string_view text) {
  size_t i = 0;
  while (i < text.size()) {
    const char16_t c = text[i];
    if (c != u'&') {
      out += c;
      ++i;
      continue;
    }
    size_t j = i + 1;
    while (j < text.size() && j - i <= 10 && text[j] != u';' && text[j] < 128) ++j;
    char32_t cp = 0;
    if (j < text.size() && text[j] == u';' && j - i - 1 <= 9 && j > i + 1) {
      const std::u16string_view name = text.substr(i + 1, j - i - 1);
      if (name[0] == u'#') {
        const bool hex = name.size() > 1 && (name[1] == u'x' || name[1] == u'X');
        uint64_t value = 0;
        bool digits = false;
        for (size_t k = hex ? 2 : 1; k < name.size(); ++k) {
          const char16_t d = name[k];
          int v = d >= u'0' && d <= u'9' ? d - u'0' : hex && d >= u'a' && d <= u'f' ? d - u'a' + 10
                  : hex && d >= u'A' && d <= u'F' ? d - u'A' + 10 : -1;
          if (v < 0) {
            digits = false;
            break;
          }
          digits = true;
          value = value * (hex ? 16 : 10) + static_cast<uint64_t>(v);
          if (value > 0x10FFFF) break;
        }
        cp = digits && value <= 0x10FFFF ? static_cast<char32_t>(value) : 0;
      } else {
        cp = xml::LookupNamedReference(name);
      }
    }
    if (cp == 0) {
      out += u'&';
      ++i;
      continue;
    }
    utils::AppendUtf16(out, cp);
    i = j + 1;
  }
}

}  // namespace

std::u16string XmlDocument::GetElementText() const {
  if (!current_ || current_ >= elements_.size()) return {};
  const Element& e = elements_[current_];
  if (e.empty || e.firstChild || (e.flags & kUnended)) return {};
  const size_t from = e.start + e.startTagLength;
  const size_t to = e.start + e.length - e.endTagLength;
  if (to <= from) return {};
  const std::u16string_view content = std::u16string_view(text_).substr(from, to - from);
  std::u16string out;
  size_t i = 0;
  while (i < content.size()) {
    const size_t lt = content.find(u'<', i);
    AppendDecoded(out, content.substr(i, lt == std::u16string_view::npos ? std::u16string_view::npos : lt - i));
    if (lt == std::u16string_view::npos) break;
    std::u16string_view rest = content.substr(lt);
    std::u16string_view close = u">";
    size_t skip = 1;
    if (rest.substr(0, 9) == u"<![CDATA[") {
      const size_t end = rest.find(u"]]>");
      const size_t stop = end == std::u16string_view::npos ? rest.size() : end;
      out += rest.substr(9, stop > 9 ? stop - 9 : 0);
      i = lt + (end == std::u16string_view::npos ? rest.size() : end + 3);
      continue;
    }
    if (rest.substr(0, 4) == u"<!--") close = u"-->", skip = 4;
    else if (rest.substr(0, 2) == u"<?") close = u"?>", skip = 2;
    const size_t end = rest.find(close, skip);
    i = lt + (end == std::u16string_view::npos ? rest.size() : end + close.size());
  }
  return out;
}
