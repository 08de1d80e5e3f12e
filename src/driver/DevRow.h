#pragma once
// The module's column table for the older host rows (CDevRow) and the rows' byte layout in
// the device stream. This driver defines no columns, so its rows are empty.
#include <cstdint>
#include <string>
#include <vector>

#include "driver/AdsDriverApi.h"

namespace driver {

enum ColumnType : uint32_t { kColumnValue = 1, kColumnText = 2 };

struct ColumnTable {
  std::vector<uint32_t> types;
  std::vector<std::u16string> titles;
  size_t Count() const { return types.size(); }
  // The first column of that title; the count + 10 when there is none.
  size_t Find(const std::u16string& title) const;
};

// The module-wide table (empty).
const ColumnTable& Columns();

// A row sized to the table.
hostapi::CDevRow MakeRow(const ColumnTable& columns);

// Writes the row's columns: values as 4 bytes, texts as ANSI byte count + bytes.
void WriteRow(const hostapi::CDevRow& row, const ColumnTable& columns, hostapi::DevDataStream& stream);
// Reads the row's columns when the stream's leading 16-bit version is 20000 or less.
bool ReadRow(hostapi::CDevRow& row, const ColumnTable& columns, hostapi::DevDataStream& stream);

}  // namespace driver
