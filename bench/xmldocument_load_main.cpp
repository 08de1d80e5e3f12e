// The part of an import that the reader's design fixes, as a whole process: the document is
// read, widened to UTF-16 and indexed, as the symbol-file reader loads it, and nothing more.
// Fails when the file is not a well-formed document.
//   xmldocument_load FILE
#include <cstdio>

#include "platform/Text.h"
#include "xml/XmlDocument.h"

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: xmldocument_load FILE\n");
    return 2;
  }
  XmlDocument document;
  if (!document.LoadXmlFile(platform::MultiByteToWide(platform::kCodePageAnsi, argv[1]))) {
    std::fprintf(stderr, "%s: not loaded\n", argv[1]);
    return 1;
  }
  return 0;
}
