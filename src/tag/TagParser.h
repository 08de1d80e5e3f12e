#pragma once
// Expansion of one variable into its child tags: the elements of an array or the members of a
// structure, each with the code and size of its own type. Child names are relative (a member
// name, or the indices in brackets); the caller joins them to the parent's path.
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "tag/DataTypes.h"

template <class TypeRecord, class Variable, class Name>
class LabelParser {
 public:
  using NameType = Name;

  virtual ~LabelParser() = default;

  // Dispatches on the type record: arrays, then elementary types, then structures.
  virtual bool Parse(const TypeRecord& type, Variable& variable, std::vector<Variable>& children) = 0;
  virtual bool ParseBasic(const TypeRecord& type, Variable& variable, std::vector<Variable>& children) = 0;
  virtual bool ParseArray(const TypeRecord& type, Variable& variable, std::vector<Variable>& children) = 0;
  virtual bool ParseStruct(const TypeRecord& type, Variable& variable, std::vector<Variable>& children) = 0;
};

namespace Tag {

// Type names are compared in upper case. Only ASCII letters change; the trail bytes of
// double-byte characters in the ANSI code page are left alone, since they may fall into a..z.
std::string UpperCaseTypeName(std::string_view text);

}  // namespace Tag

namespace Beckhoff {

// Made only by the device control's CreateTagParser, which nothing here calls; both are kept for
// the interface's slot order.
class BeckhoffTagParser : public LabelParser<Tag::TagDataType, Tag::TagVariable, std::string> {
 public:
  // Arrays with more elements than this are refused rather than expanded.
  static constexpr uint64_t kMaxArrayElements = 20'000'000;

  BeckhoffTagParser(std::shared_ptr<Tag::DataTypeList> list, void* store);

  bool Parse(const Tag::TagDataType& type, Tag::TagVariable& variable,
             std::vector<Tag::TagVariable>& children) override;
  bool ParseBasic(const Tag::TagDataType& type, Tag::TagVariable& variable,
                  std::vector<Tag::TagVariable>& children) override;
  bool ParseArray(const Tag::TagDataType& type, Tag::TagVariable& variable,
                  std::vector<Tag::TagVariable>& children) override;
  bool ParseStruct(const Tag::TagDataType& type, Tag::TagVariable& variable,
                   std::vector<Tag::TagVariable>& children) override;

  void* GetStore() const { return store_; }

 private:
  const Tag::TagDataType* LookupType(const std::string& name) const;

  std::shared_ptr<Tag::DataTypeList> list_;
  void* store_;  // kept for the device control; the expansion does not use it
};

}  // namespace Beckhoff
