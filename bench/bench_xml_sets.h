#pragma once
// The files every XML reader is timed on: 1, 10 and 100 MB in UTF-8, and the 10 MB file in
// the other encodings.
#include <string>
#include <vector>

#include "tpygen.h"

namespace bench {

struct XmlSet {
  std::string preset;
  tpygen::Encoding encoding;
};

inline const std::vector<XmlSet>& XmlSets() {
  static const std::vector<XmlSet> sets{
      {"xml-1mb", tpygen::Encoding::Utf8},     {"xml-10mb", tpygen::Encoding::Utf8},
      {"xml-100mb", tpygen::Encoding::Utf8},   {"xml-10mb", tpygen::Encoding::Utf8Bom},
      {"xml-10mb", tpygen::Encoding::Utf16Le}, {"xml-10mb", tpygen::Encoding::Gbk},
  };
  return sets;
}

inline std::string DatasetName(const XmlSet& set) {
  if (set.encoding == tpygen::Encoding::Utf8) return set.preset;
  return set.preset + "-" + std::string(tpygen::EncodingName(set.encoding));
}

}  // namespace bench
