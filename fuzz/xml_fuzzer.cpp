// The XML reader on arbitrary bytes: never a fault, and navigation over whatever index it
// built stays inside the document.
#include <cstddef>
#include <cstdint>

#include "xml/XmlDocument.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  XmlDocument doc;
  doc.LoadXmlBytes(data, size);
  doc.ResetPosition();
  for (const char16_t* name : {u"a", u"DataTypes", u"Symbols", u"Symbol"}) {
    while (doc.FindChildElement(name)) {
      if (!doc.EnterElement()) break;
      (void)doc.GetElementText();
      doc.LeaveElement();
    }
  }
  return 0;
}
