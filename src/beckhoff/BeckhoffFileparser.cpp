#include "beckhoff/BeckhoffFileparser.h"

#include <limits>
#include <string_view>
#include <utility>

#include "platform/System.h"
#include "platform/Text.h"
#include "tag/TagParser.h"
#include "xml/XmlDocument.h"

namespace Beckhoff {
namespace {

constexpr std::string_view kDateAndTimeTypes[] = {"DATE", "DATE_AND_TIME", "DT", "TIME", "TIME_OF_DAY", "TOD"};

// Reads a decimal number the way the PLC files write them: leading blanks, an optional sign,
// digits up to the first other character. No digits read as 0; the value saturates.
int64_t ParseDecimal(const std::string& text) {
  size_t i = 0;
  while (i < text.size() && (text[i] == ' ' || text[i] == '\t' || text[i] == '\r' || text[i] == '\n')) ++i;
  bool negative = false;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
  constexpr int64_t kMax = std::numeric_limits<int64_t>::max();
  int64_t value = 0;
  for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
    const int digit = text[i] - '0';
    if (value > (kMax - digit) / 10) {
      value = kMax;
      break;
    }
    value = value * 10 + digit;
  }
  return negative ? -value : value;
}

uint32_t ClampToU32(int64_t value) {
  if (value < 0) return 0;
  if (value > std::numeric_limits<uint32_t>::max()) return std::numeric_limits<uint32_t>::max();
  return static_cast<uint32_t>(value);
}

// Bounds are kept as unsigned 32-bit values; a negative bound wraps.
uint32_t ToBound(int64_t value) { return static_cast<uint32_t>(value); }

// Size of a string type with room for n characters, as the runtime expects it.
uint32_t StringByteSize(int64_t characters) {
  if (characters > std::numeric_limits<int64_t>::max() - 2) return std::numeric_limits<uint32_t>::max();
  return ClampToU32((characters + 2) / 2);
}

bool Contains(const std::string& text, const char* part) { return text.find(part) != std::string::npos; }

// The length between the first "(" and the first ")", when ")" comes after "(".
bool FindParentheses(const std::string& text, size_t& open, size_t& close) {
  open = text.find('(');
  close = text.find(')');
  return open != std::string::npos && close != std::string::npos && close > open;
}

int64_t NumberInParentheses(const std::string& text, size_t open, size_t close) {
  return ParseDecimal(text.substr(open + 1, close - open - 1));
}

// Adds the string type named inside a member or array element type text, for example
// "STRING(20)" out of "STRING(20)" or "WSTRING(10)" out of "WSTRING(10)".
void RegisterStringType(Tag::DataTypeList& list, const std::string& typeText) {
  size_t start = typeText.find("WSTRING");
  uint32_t code = Tag::kWstring;
  if (start == std::string::npos) {
    start = typeText.find("STRING");
    code = Tag::kString;
  }
  if (start == std::string::npos) return;
  size_t open = 0;
  size_t close = 0;
  if (!FindParentheses(typeText, open, close) || close < start) return;
  Tag::TagDataType record;
  record.Name = Tag::UpperCaseTypeName(typeText.substr(start, close - start + 1));
  record.TypeCode = code;
  record.ByteSize = StringByteSize(NumberInParentheses(typeText, open, close));
  list.Add(record.Name, record);
}

// Adds a record under a symbol's whole type text; without a length the record stays unknown.
void RegisterSymbolStringType(Tag::DataTypeList& list, const std::string& typeText) {
  if (list.Contains(typeText)) return;  // most string symbols share a few types
  Tag::TagDataType record;
  size_t open = 0;
  size_t close = 0;
  if (FindParentheses(typeText, open, close)) {
    record.Name = typeText;
    record.TypeCode = Contains(typeText, "WSTRING") ? Tag::kWstring : Tag::kString;
    record.ByteSize = StringByteSize(NumberInParentheses(typeText, open, close));
  }
  list.Add(typeText, record);
}

// Date and time values travel as plain integers; the comparison is exact, case included.
std::string_view MapDateAndTimeType(std::string_view typeText) {
  for (std::string_view name : kDateAndTimeTypes)
    if (typeText == name) return "UDINT";
  if (typeText == "LTIME") return "ULINT";
  return typeText;
}

}  // namespace

BeckhoffFileparser::BeckhoffFileparser(void* owner)
    : owner_(owner),
      document_(std::make_unique<XmlDocument>()),
      dataTypes_(std::make_shared<Tag::DataTypeList>()) {
  dataTypes_->ResetToElementary();
}

BeckhoffFileparser::~BeckhoffFileparser() = default;

void BeckhoffFileparser::ResetForLoad() {
  // The alias map survives on purpose: an alias of an earlier file keeps its target.
  dataTypes_->ResetToElementary();
  symbols_.clear();
  // A fresh document per load, so that no state of the previous file can refuse the next one.
  document_ = std::make_unique<XmlDocument>();
}

bool BeckhoffFileparser::LoadFile(const std::string& path) {
  ResetForLoad();
  return document_->LoadXmlFile(platform::MultiByteToWide(platform::kCodePageAnsi, path));
}

bool BeckhoffFileparser::LoadBytes(const void* data, size_t size) {
  ResetForLoad();
  return document_->LoadXmlBytes(data, size);
}

std::shared_ptr<Tag::DataTypeList> BeckhoffFileparser::GetDataTypes() { return dataTypes_; }

const std::vector<Tag::TagVariable>& BeckhoffFileparser::GetSymbols() { return symbols_; }

// Finds the next child of that name after the child found last and takes its text; the
// value stays as it was when there is none.
bool BeckhoffFileparser::ReadChildText(const char16_t* name, std::string& value) {
  if (!document_->FindChildElement(name)) return false;
  if (!document_->EnterElement()) return false;
  std::u16string decoded;  // only when the text is not a part of the document as it stands
  std::u16string_view text;
  if (!document_->GetPlainElementText(text)) text = decoded = document_->GetElementText();
  value = platform::WideToMultiByte(platform::kCodePageThreadAnsi, text);
  document_->LeaveElement();
  return true;
}

int32_t BeckhoffFileparser::ReadDataTypes() {
  document_->ResetPosition();
  while (document_->FindChildElement(u"DataTypes")) {
    if (!document_->EnterElement()) break;
    while (document_->FindChildElement(u"DataType")) {
      if (!document_->EnterElement()) break;
      ReadDataType();
      document_->LeaveElement();
    }
    document_->LeaveElement();
  }
  ResolveAliases();
  return 0;
}

void BeckhoffFileparser::ReadDataType() {
  Tag::TagDataType record;
  std::string text;
  if (ReadChildText(u"Name", text)) record.Name = Tag::UpperCaseTypeName(text);
  const bool hasType = ReadChildText(u"Type", text);
  if (hasType) record.Type = Tag::UpperCaseTypeName(text);
  ReadChildText(u"Comment", record.Comment);
  if (ReadChildText(u"BitSize", text)) record.ByteSize = ClampToU32(ParseDecimal(text) / 8);

  if (hasType)
    ReadArrayOrAlias(std::move(record));
  else
    ReadMembers(std::move(record));
}

void BeckhoffFileparser::ReadArrayOrAlias(Tag::TagDataType record) {
  record.TypeCode = Tag::kArray;
  RegisterStringType(*dataTypes_, record.Type);
  while (document_->FindChildElement(u"ArrayInfo")) {
    if (!document_->EnterElement()) break;
    std::string lower;
    std::string elements;
    ReadChildText(u"LBound", lower);
    ReadChildText(u"Elements", elements);
    const uint32_t lbound = ToBound(ParseDecimal(lower));
    record.ArrayInfo.emplace_back(lbound, lbound + ToBound(ParseDecimal(elements)) - 1u);
    document_->LeaveElement();
  }
  if (record.ArrayInfo.empty()) {
    aliases_.emplace(record.Name, record.Type);
    return;
  }
  dataTypes_->Add(record.Name, record);
}

void BeckhoffFileparser::ReadMembers(Tag::TagDataType record) {
  record.TypeCode = Tag::kStruct;
  while (document_->FindChildElement(u"SubItem")) {
    if (!document_->EnterElement()) break;
    SubItem member;
    std::string typeText;
    ReadChildText(u"Name", member.Name);
    ReadChildText(u"Type", typeText);
    RegisterStringType(*dataTypes_, typeText);
    member.Type = Tag::UpperCaseTypeName(typeText);
    record.SubItems.push_back(std::move(member));
    document_->LeaveElement();
  }
  if (record.SubItems.empty()) return;  // neither array, alias nor structure
  dataTypes_->Add(record.Name, record);
}

std::string BeckhoffFileparser::AliasTarget(const std::string& name) const {
  auto it = aliases_.find(name);
  return it == aliases_.end() ? std::string() : it->second;
}

// One level only: an alias whose target is itself an alias is not followed further.
void BeckhoffFileparser::ResolveAliases() {
  dataTypes_->ChangeEach([this](Tag::TagDataType& type) {
    if (type.TypeCode == Tag::kArray && !dataTypes_->Contains(type.Type)) type.Type = AliasTarget(type.Type);
    if (type.TypeCode == Tag::kStruct) {
      for (SubItem& member : type.SubItems)
        if (!dataTypes_->Contains(member.Type)) member.Type = AliasTarget(member.Type);
    }
  });
}

// A first walk counts the elements in the symbol lists, so that the list is allocated once: a
// large file holds hundreds of thousands of symbols. Their names are not read, which would
// fetch the text of every one a pass early.
size_t BeckhoffFileparser::CountSymbols() {
  size_t count = 0;
  document_->ResetPosition();
  while (document_->FindChildElement(u"Symbols")) {
    if (!document_->EnterElement()) break;
    count += document_->CountChildElements();
    document_->LeaveElement();
  }
  return count;
}

int32_t BeckhoffFileparser::ReadSymbols() {
  platform::ReserveForFill(symbols_, symbols_.size() + CountSymbols());
  document_->ResetPosition();
  while (document_->FindChildElement(u"Symbols")) {
    if (!document_->EnterElement()) break;
    while (document_->FindChildElement(u"Symbol")) {
      if (!document_->EnterElement()) break;
      ReadSymbol();
      document_->LeaveElement();
    }
    document_->LeaveElement();
  }
  // The symbol pass is the last reader of the document: its text and element index, several
  // times the file's size, go now rather than stay beside the tag tree built next.
  document_ = std::make_unique<XmlDocument>();
  return 0;
}

void BeckhoffFileparser::ReadSymbol() {
  Tag::TagVariable variable;
  if (ReadChildText(u"Name", variable.Name)) variable.FullName = variable.Name;
  std::string typeText;
  ReadChildText(u"Type", typeText);
  const std::string_view mapped = MapDateAndTimeType(typeText);
  if (mapped == typeText && Contains(typeText, "STRING")) RegisterSymbolStringType(*dataTypes_, typeText);
  variable.Type = Tag::UpperCaseTypeName(mapped);
  ReadChildText(u"Comment", variable.Comment);
  symbols_.push_back(std::move(variable));
}

}  // namespace Beckhoff
