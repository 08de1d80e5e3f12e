#pragma once
// A reader of PLC symbol files: what it hands to the tree builder once a file is read.
#include <memory>
#include <vector>

#include "tag/DataTypes.h"

class Fileparser {
 public:
  virtual ~Fileparser() = default;
  // A new shared reference to the parser's data-type list.
  virtual std::shared_ptr<Tag::DataTypeList> GetDataTypes() = 0;
  // The symbols of the last file, in file order.
  virtual const std::vector<Tag::TagVariable>& GetSymbols() = 0;
};
