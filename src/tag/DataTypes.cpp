#include "tag/DataTypes.h"

namespace Tag {
namespace {
struct Elementary {
  const char* name;
  uint32_t code;
  uint32_t size;
};

constexpr Elementary kElementaryTypes[] = {
    {"BOOL", kBool, 1},     {"SINT", kSint, 1},         {"USINT", kUsint, 1},      {"INT", kInt, 2},
    {"UINT", kUint, 2},     {"DINT", kDint, 4},         {"UDINT", kUdint, 4},      {"LINT", kLint, 8},
    {"ULINT", kUlint, 8},   {"REAL", kReal, 4},         {"LREAL", kLreal, 8},      {"BIT", kBit, 1},
    {"BYTE", kByte, 1},     {"WORD", kWord, 2},         {"DWORD", kDword, 4},      {"LWORD", kLword, 8},
    {"STRING(80)", kString, 81}, {"STRING(63)", kString, 64}, {"WSTRING(80)", kWstring, 162},
};
}  // namespace

void DataTypeList::ResetToElementary() {
  Clear();
  for (const auto& e : kElementaryTypes) {
    TagDataType type;
    type.Name = e.name;
    type.TypeCode = e.code;
    type.ByteSize = e.size;
    Add(type.Name, type);
  }
}

}  // namespace Tag
