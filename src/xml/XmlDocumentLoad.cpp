// Loading a document: reading the file, deciding its encoding and widening it to UTF-16.
#include <algorithm>
#include <cstring>
#include <string>

#include "platform/File.h"
#include "platform/System.h"
#include "platform/Text.h"
#include "utils/utf8.h"
#include "xml/UnitSearch.h"
#include "xml/XmlDocument.h"
#include "xml/XmlDocumentShared.h"
#include "xml/XmlEncodingDetection.h"
#include "xml/XmlEncodings.h"

namespace {

using xml::NoteNumber;
using platform::ReserveForFill;

// The file's head decoded as the reader decodes UTF-8 (every invalid sequence, a maximal
// invalid subpart, becomes one "?"), to find the encoding it declares.
std::u16string DecodeUtf8(const unsigned char* p, size_t n) {
  std::u16string out;
  utils::AppendUtf8Decoded(out, std::string_view(reinterpret_cast<const char*>(p), n), u'?');
  return out;
}

}  // namespace

bool XmlDocument::LoadXmlFile(const std::u16string& path) {
  report_.clear();
  text_.clear();
  // The bytes are read into the upper half of the text's own room, one unit per byte, and
  // widened from there in place (Decode): the file needs no buffer of its own.
  const platform::ByteRoom room = [this](size_t size) {
    const size_t kept = text_.size();  // bytes read so far, at byte `kept` of the room
    if (size > text_.capacity()) ReserveForFill(text_, size);
    text_.resize(size);
    auto* const base = reinterpret_cast<unsigned char*>(text_.data());
    if (kept) std::memmove(base + size, base + kept, kept);
    return base + size;
  };
  size_t length = 0;
  platform::FileError error;
  if (!platform::ReadWholeFile(path, room, length, error)) {
    text_.clear();
    elements_.assign(1, Element{});
    notWellFormed_ = false;
    ResetPosition();
    Note(u"file_error", {{u"msg", error.message}, {u"n", NoteNumber(static_cast<uint64_t>(error.code))}});
    return false;
  }
  Decode(reinterpret_cast<const unsigned char*>(text_.data()) + text_.size(), length);
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

void XmlDocument::Decode(const unsigned char* data, size_t size) {
  elementBound_.reset();
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
    encoding = xml::DeclaredEncoding(DecodeUtf8(data, static_cast<size_t>(std::find(data, data + block, 0) - data)));
    if (encoding.empty() && size > 0 && data[0] == '<') encoding = u"UTF-8";
  }
  const unsigned char* body = data + skip;
  const size_t length = size - skip;

  if (utf16) {
    const size_t units = length / 2;
    Note(u"read", {{u"encoding", encoding}, {u"length", NoteNumber(units * 2)}});
    // Each unit is written at or before where its own bytes were: in place when read so.
    char16_t* const out = RoomForUnits(units);
    size_t written = 0, nulls = 0;
    for (size_t i = 0; i < units; ++i) {
      char16_t unit = bigEndian ? static_cast<char16_t>(body[2 * i] << 8 | body[2 * i + 1])
                                : static_cast<char16_t>(body[2 * i] | body[2 * i + 1] << 8);
      if (unit == 0) {
        ++nulls;
        continue;
      }
      out[written++] = unit;
    }
    text_.resize(written);
    if (nulls) Note(u"nulls_removed", {{u"count", NoteNumber(nulls)}});
    if (bigEndian) Note(u"endian_swap");
    return;
  }

  Note(u"read", {{u"encoding", encoding}, {u"length", NoteNumber(length)}});
  // NULs are dropped; a copy is made only when there are some.
  std::string withoutNulls;
  std::string_view bytes(reinterpret_cast<const char*>(body), length);
  if (bytes.find('\0') != std::string_view::npos) {
    ReserveForFill(withoutNulls, length);
    for (char c : bytes)
      if (c) withoutNulls += c;
    Note(u"nulls_removed", {{u"count", NoteNumber(length - withoutNulls.size())}});
    bytes = withoutNulls;
  }
  if (bytes.empty()) {  // nothing to detect or convert: the "read" note stands alone
    text_.clear();
    return;
  }
  if (encoding.empty()) {
    if (xml::PassesUtf8Test(reinterpret_cast<const unsigned char*>(bytes.data()), bytes.size())) {
      encoding = u"UTF-8";
      Note(u"read", {{u"encoding", encoding}, {u"length", NoteNumber(length)}});
    }
    Note(u"utf8_detection");
  }
  // Only UTF-8 is decoded here. Every other code page, the wide ones declared in a byte file
  // among them, goes to the platform, which takes one it cannot convert as the default.
  const int codePage = xml::LookupCodePage(encoding);
  if (codePage == xml::kCodePageUtf8) {
    elementBound_ = xml::CountTagStartBytes(bytes);  // before the decoding overwrites the bytes
    const auto* const in = reinterpret_cast<const unsigned char*>(bytes.data());
    text_.resize(utils::DecodeUtf8Into(RoomForUnits(bytes.size()), in, bytes.size(), u'?'));
  } else {
    text_ = platform::MultiByteToWide(codePage < 0 ? platform::kCodePageAnsi : static_cast<unsigned>(codePage), bytes);
  }
  Note(u"converted_to", {{u"encoding", u"UTF-16"}, {u"length", NoteNumber(text_.size())}});
}

char16_t* XmlDocument::RoomForUnits(size_t units) {
  if (text_.size() < units) {
    ReserveForFill(text_, units);
    text_.resize(units);
  }
  return text_.data();
}

