// The module's pure helpers: the stream rules, variable names, data kinds and host rows.
#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <cstdint>
#include <string>
#include <tuple>
#include <vector>

#include "driver/DataStream.h"
#include "driver/DevRow.h"
#include "driver/VarName.h"

namespace {

using hostapi::DevDataStream;

DevDataStream StreamOf(std::vector<uint8_t> bytes, int32_t position, uint32_t mode) {
  DevDataStream stream;
  stream.bytes = std::move(bytes);
  stream.position = position;
  stream.mode = mode;
  return stream;
}

// A row of the value 0x11223344 and the text "AB".
const std::vector<uint8_t> kValueAndAB = {0x44, 0x33, 0x22, 0x11, 0x02, 0x00, 0x00, 0x00, 0x41, 0x42};

TEST(DataStream, SwitchingModeCutsAtThePositionAndRestartsAtZero) {
  const uint8_t ab[] = {'a', 'b'};
  auto stream = StreamOf({9, 9, 9, 9, 9}, 3, hostapi::kStreamReading);
  ASSERT_TRUE(driver::StreamWrite(stream, ab, 2));
  EXPECT_EQ(std::tie(stream.mode, stream.position, stream.bytes),
            std::make_tuple(hostapi::kStreamWriting, 2, std::vector<uint8_t>{'a', 'b', 9}));
  // Reading cuts at the position, restarts at 0 and reads on from where it stopped.
  uint8_t out[2] = {};
  ASSERT_TRUE(driver::StreamRead(stream, out, 1));
  ASSERT_TRUE(driver::StreamRead(stream, out + 1, 1));
  EXPECT_EQ(std::make_tuple(stream.mode, stream.position, stream.bytes.size(), out[0], out[1]),
            std::make_tuple(hostapi::kStreamReading, 2, size_t{2}, 'a', 'b'));
}

// Hostile positions and counts: reads and writes fail rather than reach outside the bytes, and
// a failed read leaves the caller's buffer and the position alone; writes grow the bytes to the
// larger of size + 16534 and the end.
TEST(DataStream, ReadsAndWritesStayInsideTheBytesAndPositions) {
  const std::vector<uint8_t> four{1, 2, 3, 4}, ten(10, 0xEE);
  const struct {
    const char* what;
    std::vector<uint8_t> bytes;
    int32_t position;
    uint32_t mode;
    size_t n;
    bool reads, writes;
    size_t sizeAfterRead, sizeAfterWrite;
  } cases[] = {
      {"no bytes, nothing to move", {}, 0, hostapi::kStreamReading, 0, true, true, 0, 0},
      {"growing by the step", ten, 8, hostapi::kStreamWriting, 3, true, true, 8, 10 + 16534},
      {"growing to a long write's end", ten, 0, hostapi::kStreamWriting, 20000, false, true, 10, 20000},
      {"at the end", four, 4, hostapi::kStreamReading, 1, false, true, 4, 4},  // the switch cuts nothing
      {"reading at the limit", four, INT32_MAX, hostapi::kStreamReading, 1, false, true, 4, 4},
      {"reading before the start", four, INT32_MIN, hostapi::kStreamReading, 1, false, true, 4, 4},
      // Writing on from a position that no write could reach fails; reading restarts at 0
      // (position 0 at the switch cuts nothing).
      {"writing at 0", four, 0, hostapi::kStreamWriting, 4, true, true, 4, 4},
      {"writing before the start", four, -3, hostapi::kStreamWriting, 1, true, false, 4, 4},
      {"a count that wraps", four, 1, hostapi::kStreamReading, SIZE_MAX, false, false, 4, 1},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    std::vector<uint8_t> buffer(c.n <= 20000 ? c.n : 0, 0xAB);
    auto reading = StreamOf(c.bytes, c.position, c.mode);
    EXPECT_EQ(driver::StreamRead(reading, buffer.data(), c.n), c.reads);
    EXPECT_EQ(reading.bytes.size(), c.sizeAfterRead);
    const bool untouched = std::all_of(buffer.begin(), buffer.end(), [](uint8_t b) { return b == 0xAB; });
    EXPECT_TRUE(c.reads || untouched);
    EXPECT_TRUE(c.reads || reading.position == (c.mode == hostapi::kStreamReading ? c.position : 0));
    auto writing = StreamOf(c.bytes, c.position, c.mode);
    EXPECT_EQ(driver::StreamWrite(writing, buffer.data(), c.n), c.writes);
    EXPECT_EQ(writing.bytes.size(), c.sizeAfterWrite);
  }
}

TEST(VarName, ReplacementsInTheirOrder) {
  const std::tuple<std::u16string, std::u16string, std::u16string> cases[] = {  // path name, tag name, result
      {u"a (b)", u"", u"a__b_"},
      {u"a____b", u"", u"a__b"},
      {u"x\uFFE5y z\tw\rv\nu", u"", u"x_y_z_w_v\nu"},  // a line feed stays
      {u"p:q`~!@#$%^&*-=+\\|}{'\";/?>,<", u"", u"p_q_________________________"},
      {u"", u"A.B[1]", u"A_B[1]"},
      {u"plain", u"other", u"plain"},
  };
  for (const auto& [path, tag, expected] : cases) EXPECT_EQ(driver::MakeVarName(path, tag), expected);
  EXPECT_EQ(driver::ReplaceAll(u"abc", u"", u"_"), u"abc");
}

TEST(DevRow, EmptyTableReadsAndWritesNothing) {
  const auto& columns = driver::Columns();
  EXPECT_EQ(columns.Find(u"anything"), 10u);
  auto row = driver::MakeRow(columns);
  auto stream = StreamOf({7, 7}, 0, hostapi::kStreamReading);
  driver::WriteRow(row, columns, stream);
  EXPECT_TRUE(driver::ReadRow(row, columns, stream));
  EXPECT_EQ(std::make_tuple(stream.bytes, stream.position, row.values.size()),
            std::make_tuple(std::vector<uint8_t>{7, 7}, 0, size_t{0}));
}

// A value column and two text columns; the last text is empty and so written as nothing.
TEST(DevRow, ColumnsWriteValuesAndNonEmptyTexts) {
  const driver::ColumnTable columns{{driver::kColumnValue, driver::kColumnText, driver::kColumnText},
                                    {u"v", u"t", u"e"}};
  EXPECT_EQ(std::make_tuple(columns.Find(u"t"), columns.Find(u"x")), std::make_tuple(size_t{1}, size_t{13}));
  auto row = driver::MakeRow(columns);
  row.values[0] = 0x11223344;
  row.texts[1] = u"AB";
  auto stream = StreamOf({}, 0, hostapi::kStreamWriting);
  driver::WriteRow(row, columns, stream);
  ASSERT_EQ(stream.position, 10);
  EXPECT_EQ(std::vector<uint8_t>(stream.bytes.begin(), stream.bytes.begin() + 10), kValueAndAB);
}

TEST(DevRow, RowsReadBackUpToTheirVersionAndRefuseShortBytes) {
  const driver::ColumnTable columns{{driver::kColumnValue, driver::kColumnText}, {u"v", u"t"}};
  // The leading 16-bit version 0x3344 is at most 20000: the row reads back.
  auto input = StreamOf(kValueAndAB, 0, hostapi::kStreamReading);
  auto back = driver::MakeRow(columns);
  ASSERT_TRUE(driver::ReadRow(back, columns, input));
  EXPECT_EQ(std::tie(back.values[0], back.texts[1]), std::make_tuple(0x11223344, u"AB"));

  // A newer version reads nothing.
  auto newer = StreamOf({0x21, 0x4E, 0, 0, 0, 0, 0, 0}, 0, hostapi::kStreamReading);
  auto untouched = driver::MakeRow(columns);
  ASSERT_TRUE(driver::ReadRow(untouched, columns, newer));
  EXPECT_EQ(std::make_tuple(untouched.values[0], newer.position), std::make_tuple(0, 0));

  // Rows that end early or claim texts longer than the bytes are refused.
  const std::vector<std::vector<uint8_t>> hostile = {
      {}, {0x10, 0, 0}, {0x10, 0, 0, 0, 0xFF, 0xFF, 0xFF, 0xFF, 'a'}};
  for (const auto& bytes : hostile) {
    auto stream = StreamOf(bytes, 0, hostapi::kStreamReading);
    auto row = driver::MakeRow(columns);
    EXPECT_FALSE(driver::ReadRow(row, columns, stream)) << bytes.size();
  }
}

}  // namespace
