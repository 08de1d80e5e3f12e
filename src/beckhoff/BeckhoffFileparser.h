#pragma once
// Reads a ".tpy" symbol file: the data types (elementary, alias, array and structure types)
// into a name-keyed data-type list and the symbols into a list of variables. Only the elements
// "DataTypes"/"DataType" and "Symbols"/"Symbol" below the root are read, with their texts
// converted to the ANSI code page; attributes, addresses and offsets are ignored.
#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "beckhoff/Fileparser.h"
#include "tag/DataTypes.h"

class XmlDocument;

namespace Beckhoff {

class BeckhoffFileparser : public Fileparser {
 public:
  explicit BeckhoffFileparser(void* owner);
  ~BeckhoffFileparser() override;
  BeckhoffFileparser(const BeckhoffFileparser&) = delete;
  BeckhoffFileparser& operator=(const BeckhoffFileparser&) = delete;

  // Resets the list to the elementary types, drops the symbols and loads the file (a narrow
  // path in the ANSI code page); false when it cannot be read or is not well formed.
  bool LoadFile(const std::string& path);
  // The same on a document already in memory.
  bool LoadBytes(const void* data, size_t size);

  // The two passes over the loaded document, run in this order; both return 0. The symbol
  // pass releases the document when it is done.
  int32_t ReadDataTypes();
  int32_t ReadSymbols();

  std::shared_ptr<Tag::DataTypeList> GetDataTypes() override;
  const std::vector<Tag::TagVariable>& GetSymbols() override;

  // Alias types seen so far; kept across loads, the first value for a name wins.
  const std::map<std::string, std::string>& GetAliases() const { return aliases_; }
  void* GetOwner() const { return owner_; }

 private:
  size_t CountSymbols();
  void ResetForLoad();
  void ReadDataType();
  void ReadArrayOrAlias(Tag::TagDataType record);
  void ReadMembers(Tag::TagDataType record);
  void ReadSymbol();
  void ResolveAliases();
  std::string AliasTarget(const std::string& name) const;
  bool ReadChildText(const char16_t* name, std::string& value);

  void* owner_;
  std::unique_ptr<XmlDocument> document_;
  std::shared_ptr<Tag::DataTypeList> dataTypes_;
  std::vector<Tag::TagVariable> symbols_;
  std::map<std::string, std::string> aliases_;
};

}  // namespace Beckhoff
