#include "xml/XmlDocument.h"

#include <algorithm>
#include <cstring>
#include <unordered_map>
#include <vector>

#include "platform/System.h"
#include "xml/UnitSearch.h"
#include "xml/XmlDocumentShared.h"
#include "xml/XmlEncodingDetection.h"
#include "xml/XmlEntities.h"

namespace {

constexpr uint32_t kFirstChild = 0x80000;
constexpr uint32_t kUnended = 0x100000;
constexpr uint32_t kErrorInside = 0x200000;
constexpr uint32_t kEmpty = 0x400000;  // written as an empty-element tag
// The high byte of the flags holds the name's length when it is below 256 (0 otherwise), so
// that most names are told apart without reading the text.
constexpr uint32_t kNameLengthShift = 24;
constexpr size_t kLongName = 256;
constexpr size_t kReportLimit = 1000;
constexpr std::u16string_view kCdataOpener = u"<![CDATA[", kCdataCloser = u"]]>";

bool EndsName(char16_t c) { return xml::IsSpace(c) || c == u'>' || c == u'/'; }

// The end of a start tag's name, which begins at `from`.
size_t NameEnd(std::u16string_view t, size_t from) {
  while (from < t.size() && !EndsName(t[from])) ++from;
  return from;
}

// The ">" that closes a start tag whose name ends at `from`: the first one outside quoted
// attribute values; the text's size when there is none.
size_t StartTagClose(std::u16string_view t, size_t from) {
  char16_t quote = 0;
  for (; from < t.size(); ++from) {
    if (quote) {
      if (t[from] == quote) quote = 0;
    } else if (t[from] == u'"' || t[from] == u'\'') {
      quote = t[from];
    } else if (t[from] == u'>') {
      break;
    }
  }
  return from;
}

// An upper bound of the elements of a text: the "<" followed by a character that may start a
// name (also counted inside comments and character data).
size_t CountElementStarts(std::u16string_view text) {
  size_t count = 0;
  constexpr size_t npos = std::u16string_view::npos;
  for (size_t i = xml::FindUnit(text, u'<'); i != npos && i + 1 < text.size(); i = xml::FindUnit(text, u'<', i + 1))
    if (xml::StartsTag(text[i + 1])) ++count;
  return count;
}

// A declaration, the markup that starts with "<!": a comment "<!--" … "-->", a CDATA section
// "<![CDATA[" … "]]>", a document type "<!DOCTYPE" and white space … ">" (an internal subset
// in brackets may hold ">"), or another declaration, "<!" and a letter … ">". Text that starts
// like one of the first three but goes on otherwise is malformed; so is "<!" followed by
// anything else. An opener cut short by the end of the text is unterminated.
struct Declaration {
  std::u16string_view kind;       // the token kind named when it runs to the end of the text
  std::u16string_view malformed;  // the note of a malformed declaration, else empty
  size_t end;                     // just after its closing delimiter; npos when there is none
};

Declaration ScanDeclaration(std::u16string_view t, size_t at) {
  constexpr size_t npos = std::u16string_view::npos;
  const std::u16string_view rest = t.substr(at);
  const auto closedBy = [&](std::u16string_view kind, size_t from, std::u16string_view close) {
    const size_t found = from == npos ? npos : xml::FindText(rest, close, from);
    return Declaration{kind, {}, found == npos ? npos : at + found + close.size()};
  };
  // A declaration known by its opener: cut short by the end of the text or malformed when the
  // text goes on otherwise.
  const auto opened = [&](std::u16string_view opener, std::u16string_view kind, std::u16string_view note,
                          std::u16string_view close) {
    if (rest.size() < opener.size() && opener.starts_with(rest)) return Declaration{kind, {}, npos};
    if (!rest.starts_with(opener)) return Declaration{kind, note, npos};
    return closedBy(kind, opener.size(), close);
  };
  if (rest.size() <= 2) return Declaration{u"tag", {}, npos};
  if (rest[2] == u'-') return opened(u"<!--", u"comment", u"comment_tag_syntax", u"-->");
  if (rest[2] == u'[') return opened(kCdataOpener, u"cdata_section", u"cdata_section_syntax", kCdataCloser);
  const std::u16string_view doctype = u"<!DOCTYPE ";
  if (rest.starts_with(doctype.substr(0, std::min(rest.size(), doctype.size() - 1)))) {
    if (rest.size() < doctype.size()) return Declaration{u"document_type", {}, npos};
    if (!xml::IsSpace(rest[doctype.size() - 1])) return Declaration{u"document_type", u"doctype_tag_syntax", npos};
    // An internal subset in brackets may hold ">".
    const size_t bracket = rest.find_first_of(u"[>", doctype.size());
    const bool subset = bracket != npos && rest[bracket] == u'[';
    return closedBy(u"document_type", subset ? rest.find(u']', bracket) : doctype.size(), u">");
  }
  const char16_t c = rest[2];
  if ((c >= u'A' && c <= u'Z') || (c >= u'a' && c <= u'z')) return closedBy(u"tag", 3, u">");
  return Declaration{u"tag", u"exclamation_tag_syntax", npos};
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

bool XmlDocument::ParseDecoded() {
  Parse();
  ResetPosition();
  return IsWellFormed();
}

inline size_t XmlDocument::NameEndOf(const Element& element) const {
  const size_t from = element.start + 1, stored = element.flags >> kNameLengthShift;
  return stored ? from + stored : NameEnd(text_, from);  // a long name is read from the text
}

std::u16string_view XmlDocument::NameOf(const Element& element) const {
  if (&element == elements_.data()) return {};  // the document node
  const size_t from = element.start + 1;
  return std::u16string_view(text_).substr(from, NameEndOf(element) - from);
}

bool XmlDocument::NameIs(const Element& element, std::u16string_view name) const {
  const size_t from = element.start + 1;
  if (NameEndOf(element) != from + name.size()) return false;
  return std::memcmp(text_.data() + from, name.data(), name.size() * sizeof(char16_t)) == 0;
}

size_t XmlDocument::StartTagLength(const Element& element) const {
  return StartTagClose(text_, NameEndOf(element)) + 1 - element.start;
}

uint32_t XmlDocument::AddElement(uint32_t parent, uint32_t start, size_t nameLength) {
  const uint32_t index = static_cast<uint32_t>(elements_.size());
  Element element;
  element.start = start;
  element.parent = parent;
  element.flags = parent ? ((elements_[parent].flags & 0xFFFF) + 1) & 0xFFFF : 0;
  if (nameLength < kLongName) element.flags |= static_cast<uint32_t>(nameLength) << kNameLengthShift;
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
  e.length = static_cast<uint32_t>(StartTagLength(e));
  e.flags |= kUnended;
  notWellFormed_ = true;
  const uint32_t parent = e.parent;
  if (e.flags & kErrorInside) elements_[parent].flags |= kErrorInside;
  Note(u"unended_start_tag", {{u"tagname", std::u16string(NameOf(e))}, {u"offset", xml::NoteNumber(e.start)}});
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
  platform::ReserveForFill(elements_, (elementBound_ ? *elementBound_ : CountElementStarts(text_)) + 1);
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
    Note(u"unterminated_tag_syntax", {{u"type", std::u16string(kind)}, {u"offset", xml::NoteNumber(at)}});
    MarkError(current());
  };
  size_t i = 0;
  while (i < n) {
    if (t[i] != u'<') {
      const size_t next = xml::FindUnit(t, u'<', i);
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
      const Declaration declaration = ScanDeclaration(t, i);
      if (!declaration.malformed.empty()) {
        Note(declaration.malformed, {{u"offset", xml::NoteNumber(start)}});
        MarkError(current());
        i += 1;
        continue;
      }
      if (declaration.end == std::u16string_view::npos) {
        unterminated(declaration.kind, start);
        break;
      }
      i = declaration.end;
      continue;
    }
    if (c == u'?') {
      const size_t end = xml::FindText(t, u"?>", i + 2);
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
      while (j < n && !xml::IsSpace(t[j]) && t[j] != u'>') ++j;
      const size_t end = xml::FindUnit(t, u'>', j);
      if (end == std::u16string_view::npos) {
        unterminated(u"end_tag", start);
        break;
      }
      const std::u16string_view name = t.substr(nameStart, j - nameStart);
      size_t k = 0;
      if (!countNames || openNames[name] > 0) {
        k = open.size();
        while (k > 0 && !NameIs(elements_[open[k - 1]], name)) --k;
      }
      if (k == 0) {
        Note(u"lone_end_tag", {{u"tagname", std::u16string(name)}, {u"offset", xml::NoteNumber(start)}});
        MarkError(current());
        if (!countNames) {
          countNames = true;
          for (uint32_t index : open) ++openNames[NameOf(elements_[index])];
        }
      } else {
        if (countNames)
          for (size_t m = k - 1; m < open.size(); ++m) --openNames[NameOf(elements_[open[m]])];
        if (k < open.size()) CloseOpenFrom(open, k);  // elements left open inside this one
        Element& e = elements_[open.back()];
        e.length = static_cast<uint32_t>(end + 1 - e.start);
        e.endTagLength = static_cast<uint32_t>(end + 1 - start);
        open.pop_back();
      }
      i = end + 1;
      continue;
    }
    if (!xml::StartsTag(c)) {
      Note(u"first_tag_syntax", {{u"offset", xml::NoteNumber(start)}});
      MarkError(current());
      i += 1;
      continue;
    }
    const size_t nameEnd = NameEnd(t, i + 1);
    const size_t k = StartTagClose(t, nameEnd);
    if (k >= n) {
      unterminated(u"start_tag", start);
      break;
    }
    const uint32_t index = AddElement(current(), static_cast<uint32_t>(start), nameEnd - (i + 1));
    Element& e = elements_[index];
    if (t[k - 1] == u'/') {
      e.flags |= kEmpty;
      e.length = static_cast<uint32_t>(k + 1 - start);
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
    if (!NameIs(elements_[c], name)) continue;
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

size_t XmlDocument::CountChildElements() const {
  if (!current_ || current_ >= elements_.size()) return 0;
  size_t count = 0;
  for (uint32_t c = elements_[current_].firstChild; c; c = elements_[c].nextSibling) ++count;
  return count;
}

bool XmlDocument::LeaveElement() {
  if (!parent_) return false;
  child_ = current_;
  current_ = parent_;
  parent_ = elements_[current_].parent;
  nodeIsElement_ = true;
  return true;
}

// The characters between the current element's start and end tags; empty when it has no text
// of its own (none current, an empty-element tag, child elements or no end tag).
std::u16string_view XmlDocument::ElementContent() const {
  if (!current_ || current_ >= elements_.size()) return {};
  const Element& e = elements_[current_];
  if ((e.flags & (kEmpty | kUnended)) || e.firstChild) return {};
  const size_t from = e.start + StartTagLength(e);
  const size_t to = e.start + e.length - e.endTagLength;
  if (to <= from) return {};
  return std::u16string_view(text_).substr(from, to - from);
}

bool XmlDocument::GetPlainElementText(std::u16string_view& text) const {
  const std::u16string_view content = ElementContent();
  if (!xml::HoldsEither(content, u'<', u'&')) {
    text = content;
    return true;
  }
  // One CDATA section and nothing else, as symbol files often write comments.
  if (!content.starts_with(kCdataOpener) ||
      xml::FindText(content, kCdataCloser, kCdataOpener.size()) + kCdataCloser.size() != content.size())
    return false;
  text = content.substr(kCdataOpener.size(), content.size() - kCdataOpener.size() - kCdataCloser.size());
  return true;
}

std::u16string XmlDocument::GetElementText() const {
  const std::u16string_view content = ElementContent();
  std::u16string out;
  out.reserve(content.size());
  size_t i = 0;
  while (i < content.size()) {
    const size_t lt = xml::FindUnit(content, u'<', i);
    xml::AppendWithReferencesDecoded(out, content.substr(i, lt == std::u16string_view::npos ? std::u16string_view::npos : lt - i));
    if (lt == std::u16string_view::npos) break;
    const std::u16string_view rest = content.substr(lt);
    if (rest.starts_with(u"<!")) {
      // Malformed markup stays as text without its "<"; what runs to the end is dropped.
      const Declaration declaration = ScanDeclaration(content, lt);
      const size_t inner = lt + kCdataOpener.size();
      if (declaration.kind == u"cdata_section" && declaration.malformed.empty() && inner <= content.size()) {
        const size_t stop =
            declaration.end == std::u16string_view::npos ? content.size() : declaration.end - kCdataCloser.size();
        out += content.substr(inner, stop - inner);
      }
      i = !declaration.malformed.empty() ? lt + 1 : std::min(declaration.end, content.size());
      continue;
    }
    const std::u16string_view close = rest.starts_with(u"<?") ? u"?>" : u">";
    const size_t end = xml::FindText(rest, close, close.size());
    i = lt + (end == std::u16string_view::npos ? rest.size() : end + close.size());
  }
  return out;
}
