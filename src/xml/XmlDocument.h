#pragma once
// Reads a whole XML text file into memory as UTF-16, decides its encoding by itself, checks
// that it is well formed, builds an index of its elements and lets a caller walk the elements
// by name and read their text.
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <initializer_list>
#include <string_view>
#include <utility>
#include <vector>

class XmlDocument {
 public:
  XmlDocument();
  ~XmlDocument();
  XmlDocument(const XmlDocument&) = delete;
  XmlDocument& operator=(const XmlDocument&) = delete;

  // Loads and parses a file; true when it was read and is well formed.
  bool LoadXmlFile(const std::u16string& path);
  // The same steps on bytes already in memory (everything after the file read).
  bool LoadXmlBytes(const void* data, size_t size);

  void ResetPosition();
  bool FindChildElement(std::u16string_view name);
  bool EnterElement();
  bool LeaveElement();
  // The number of child elements of the current element, whatever their names.
  size_t CountChildElements() const;
  std::u16string GetElementText() const;
  // The current element's text without a copy, when it is exactly a part of the document:
  // text without markup or references, or a single CDATA section. False otherwise.
  bool GetPlainElementText(std::u16string_view& text) const;
  bool IsWellFormed() const;

  // Notes of the last load and parse, one empty element per note.
  const std::u16string& GetResult() const { return report_; }

 private:
  // 32 bytes: a large file has millions of elements. The start tag's length is read again from
  // the text at `start` when asked for; the name's length is kept in the flags' high byte
  // when below 256, and read again from the text otherwise.
  struct Element {
    uint32_t start = 0;
    uint32_t length = 0;
    uint32_t endTagLength = 0;
    uint32_t flags = 0;  // low 16 bits: level
    uint32_t parent = 0;
    uint32_t firstChild = 0;
    uint32_t nextSibling = 0;
    uint32_t previousSibling = 0;  // of a first child: the parent's last child
  };

  bool Load(const unsigned char* data, size_t size);
  // Replaces the text by the data decoded. The data may lie in the text's own room, as a file
  // is read, at least `size` bytes after its start: it is then widened in place.
  void Decode(const unsigned char* data, size_t size);
  // The text's room for at least `units` units; what it holds is overwritten.
  char16_t* RoomForUnits(size_t units);
  void Parse();
  bool ParseDecoded();
  void Note(std::u16string_view name, std::initializer_list<std::pair<std::u16string_view, std::u16string>> attributes = {});
  uint32_t AddElement(uint32_t parent, uint32_t start, size_t nameLength);
  void CloseUnended(uint32_t element);
  void CloseOpenFrom(std::vector<uint32_t>& open, size_t from);
  void MarkError(uint32_t element);
  // Where the name that follows an element's "<" ends.
  size_t NameEndOf(const Element& element) const;
  std::u16string_view NameOf(const Element& element) const;
  // Whether an element other than the document node has exactly this name.
  bool NameIs(const Element& element, std::u16string_view name) const;
  size_t StartTagLength(const Element& element) const;
  std::u16string_view ElementContent() const;

  std::u16string text_;
  std::u16string report_;
  std::vector<Element> elements_;
  // At least as many as the text's elements, when decoding counted them on the way.
  std::optional<size_t> elementBound_;
  bool notWellFormed_ = false;
  uint32_t parent_ = 0;
  uint32_t current_ = 0;
  uint32_t child_ = 0;
  bool nodeIsElement_ = false;
};
