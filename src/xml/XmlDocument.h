#pragma once
// Reads a whole XML text file into memory as UTF-16, decides its encoding by itself, checks
// that it is well formed, builds an index of its elements and lets a caller walk the elements
// by name and read their text.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
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
  std::u16string GetElementText() const;
  bool IsWellFormed() const;

  // Notes of the last load and parse, one empty element per note.
  const std::u16string& GetResult() const { return report_; }
  const std::u16string& GetDocText() const { return text_; }

 private:
  // Filled in by the implementation.
  std::u16string text_;
  std::u16string report_;
};
