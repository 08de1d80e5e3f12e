#include "driver/DevRow.h"

#include "driver/DataStream.h"
#include "platform/Text.h"
#include "utils/stream_io.h"

namespace driver {
namespace {

constexpr uint16_t kNewestRowVersion = 20000;

bool ReadU32(hostapi::DevDataStream& stream, uint32_t& value) {
  uint8_t bytes[4];
  if (!StreamRead(stream, bytes, 4)) return false;
  value = utils::LoadU32(bytes);
  return true;
}

void WriteU32(hostapi::DevDataStream& stream, uint32_t value) {
  uint8_t bytes[4];
  utils::StoreU32(bytes, value);
  StreamWrite(stream, bytes, 4);
}

// The version in the stream's first two bytes; the position is left where it was.
bool PeekVersion(const hostapi::DevDataStream& stream, uint16_t& version) {
  if (stream.bytes.size() < 2) return false;
  version = utils::LoadU16(stream.bytes.data());
  return true;
}

bool ReadText(hostapi::DevDataStream& stream, std::u16string& text) {
  uint32_t count = 0;
  if (!ReadU32(stream, count)) return false;
  const size_t left = stream.bytes.size() - static_cast<size_t>(stream.position);
  if (count > left) return false;
  std::string bytes(count, '\0');
  if (!StreamRead(stream, bytes.data(), count)) return false;
  text = platform::AnsiToWide(bytes);
  return true;
}

}  // namespace

size_t ColumnTable::Find(const std::u16string& title) const {
  for (size_t i = 0; i < titles.size(); ++i)
    if (titles[i] == title) return i;
  return Count() + 10;
}

const ColumnTable& Columns() {
  static const ColumnTable table;
  return table;
}

hostapi::CDevRow MakeRow(const ColumnTable& columns) {
  hostapi::CDevRow row;
  row.values.resize(columns.Count(), 0);
  row.texts.resize(columns.Count());
  return row;
}

void WriteRow(const hostapi::CDevRow& row, const ColumnTable& columns, hostapi::DevDataStream& stream) {
  for (size_t i = 0; i < columns.Count(); ++i) {
    if (columns.types[i] == kColumnValue && i < row.values.size()) {
      WriteU32(stream, static_cast<uint32_t>(row.values[i]));
    } else if (columns.types[i] == kColumnText && i < row.texts.size()) {
      const std::string bytes = platform::WideToAnsi(row.texts[i]);
      if (bytes.empty()) continue;
      WriteU32(stream, static_cast<uint32_t>(bytes.size()));
      StreamWrite(stream, bytes.data(), bytes.size());
    }
  }
}

bool ReadRow(hostapi::CDevRow& row, const ColumnTable& columns, hostapi::DevDataStream& stream) {
  if (columns.Count() == 0) return true;
  uint16_t version = 0;
  if (!PeekVersion(stream, version)) return false;
  if (version > kNewestRowVersion) return true;
  row.values.resize(columns.Count(), 0);
  row.texts.resize(columns.Count());
  for (size_t i = 0; i < columns.Count(); ++i) {
    if (columns.types[i] == kColumnValue) {
      uint32_t value = 0;
      if (!ReadU32(stream, value)) return false;
      row.values[i] = static_cast<int32_t>(value);
    } else if (columns.types[i] == kColumnText) {
      if (!ReadText(stream, row.texts[i])) return false;
    }
  }
  return true;
}

}  // namespace driver
