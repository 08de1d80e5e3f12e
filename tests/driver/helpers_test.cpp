// The module's pure helpers: the stream rules, variable names, data kinds and host rows.
#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <cstdint>
#include <string>
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

TEST(DataStream, WritesGrowBy16534AndNeverCut) {
  auto stream = StreamOf({}, 0, hostapi::kStreamReading);
  const uint8_t abc[] = {'a', 'b', 'c'};
  ASSERT_TRUE(driver::StreamWrite(stream, abc, 3));
  EXPECT_EQ(stream.mode, hostapi::kStreamWriting);
  EXPECT_EQ(stream.position, 3);
  ASSERT_EQ(stream.bytes.size(), 16534u);
  EXPECT_EQ(std::vector<uint8_t>(stream.bytes.begin(), stream.bytes.begin() + 4),
            (std::vector<uint8_t>{'a', 'b', 'c', 0}));

  // A write past a short array grows to the larger of size + 16534 and the end.
  auto small = StreamOf(std::vector<uint8_t>(10, 0xEE), 0, hostapi::kStreamWriting);
  std::vector<uint8_t> big(20000, 1);
  ASSERT_TRUE(driver::StreamWrite(small, big.data(), big.size()));
  EXPECT_EQ(small.bytes.size(), 20000u);
  auto shortOne = StreamOf(std::vector<uint8_t>(10, 0xEE), 8, hostapi::kStreamWriting);
  ASSERT_TRUE(driver::StreamWrite(shortOne, abc, 3));
  EXPECT_EQ(shortOne.bytes.size(), 10u + 16534u);
  EXPECT_EQ(shortOne.bytes[7], 0xEE);

  // A shorter write over longer content keeps the bytes after it.
  auto longer = StreamOf({9, 9, 9, 9, 9}, 0, hostapi::kStreamReading);
  ASSERT_TRUE(driver::StreamWrite(longer, abc, 2));
  EXPECT_EQ(longer.bytes, (std::vector<uint8_t>{'a', 'b', 9, 9, 9}));
}

TEST(DataStream, SwitchingModeCutsAtThePositionAndRestarts) {
  auto stream = StreamOf({1, 2, 3, 4, 5, 6}, 4, hostapi::kStreamWriting);
  uint8_t out[4] = {};
  ASSERT_TRUE(driver::StreamRead(stream, out, 2));
  EXPECT_EQ(stream.mode, hostapi::kStreamReading);
  EXPECT_EQ(stream.bytes, (std::vector<uint8_t>{1, 2, 3, 4}));
  EXPECT_EQ(stream.position, 2);
  EXPECT_EQ(out[1], 2);

  // Reading on continues from the position; a read past the end copies nothing.
  ASSERT_TRUE(driver::StreamRead(stream, out, 2));
  EXPECT_EQ(out[0], 3);
  out[0] = 0x55;
  EXPECT_FALSE(driver::StreamRead(stream, out, 1));
  EXPECT_EQ(out[0], 0x55);
  EXPECT_EQ(stream.position, 4);

  // Position 0 at the switch cuts nothing (negative positions: the hostile stream table).
  auto atStart = StreamOf({1, 2, 3}, 0, hostapi::kStreamWriting);
  ASSERT_TRUE(driver::StreamRead(atStart, out, 3));
  EXPECT_EQ(atStart.bytes.size(), 3u);
}

// Hostile positions and counts: reads and writes fail rather than reach outside the bytes.
TEST(DataStream, HostileReadsAndWritesStayInsideTheBytesAndPositions) {
  const std::vector<uint8_t> four{1, 2, 3, 4};
  const struct {
    const char* what;
    std::vector<uint8_t> bytes;
    int32_t position;
    uint32_t mode;
    size_t n;
    bool reads, writes;
    size_t sizeAfterWrite;
  } cases[] = {
      {"no bytes, nothing to move", {}, 0, hostapi::kStreamReading, 0, true, true, 0},
      {"no bytes, one byte", {}, 0, hostapi::kStreamReading, 1, false, true, 16534},
      // Switching a reading stream to writing keeps only the bytes before the position.
      {"inside", four, 2, hostapi::kStreamReading, 2, true, true, 2},
      {"one past the end", four, 3, hostapi::kStreamReading, 2, false, true, 3},
      {"reading past the end", four, 100, hostapi::kStreamReading, 1, false, true, 4},
      {"reading at the limit", four, INT32_MAX, hostapi::kStreamReading, 1, false, true, 4},
      {"reading before the start", four, INT32_MIN, hostapi::kStreamReading, 1, false, true, 4},
      // Writing on from a position that no write could reach fails; reading restarts at 0.
      {"writing at the limit", four, INT32_MAX, hostapi::kStreamWriting, 1, true, false, 4},
      {"writing before the start", four, -3, hostapi::kStreamWriting, 1, true, false, 4},
      {"a count that wraps", four, 1, hostapi::kStreamReading, SIZE_MAX, false, false, 1},
      {"a count past any position", four, 0, hostapi::kStreamReading, size_t{1} << 31, false, false, 4},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    std::vector<uint8_t> buffer(c.n <= 16 ? c.n : 0, 0xAB);
    auto reading = StreamOf(c.bytes, c.position, c.mode);
    EXPECT_EQ(driver::StreamRead(reading, buffer.data(), c.n), c.reads);
    EXPECT_LE(reading.bytes.size(), c.bytes.size());
    if (!c.reads) {
      EXPECT_TRUE(std::all_of(buffer.begin(), buffer.end(), [](uint8_t b) { return b == 0xAB; }));
    }
    auto writing = StreamOf(c.bytes, c.position, c.mode);
    EXPECT_EQ(driver::StreamWrite(writing, buffer.data(), c.n), c.writes);
    EXPECT_EQ(writing.bytes.size(), c.sizeAfterWrite);
  }
}

TEST(VarName, ReplacementsInTheirOrder) {
  const struct {
    std::u16string path, tag, expected;
  } cases[] = {
      {u"MAIN.arr[3].x", u"", u"MAIN_arr_3_x"},
      {u"a (b)", u"", u"a__b_"},
      {u"a____b", u"", u"a__b"},
      {u"x\uFFE5y z\tw\rv", u"", u"x_y_z_w_v"},
      {u"line\nfeed", u"", u"line\nfeed"},
      {u"p:q`~!@#$%^&*-=+\\|}{'\";/?>,<", u"", u"p_q_________________________"},
      {u"", u"A.B[1]", u"A_B[1]"},
      {u"plain", u"other", u"plain"},
  };
  for (const auto& c : cases) EXPECT_EQ(driver::MakeVarName(c.path, c.tag), c.expected);
  EXPECT_EQ(driver::ReplaceAll(u"aaa", u"aa", u"_"), u"_a");
  EXPECT_EQ(driver::ReplaceAll(u"abc", u"", u"_"), u"abc");
}

TEST(DevRow, EmptyTableReadsAndWritesNothing) {
  const auto& columns = driver::Columns();
  EXPECT_EQ(columns.Count(), 0u);
  EXPECT_EQ(columns.Find(u"anything"), 10u);
  auto row = driver::MakeRow(columns);
  EXPECT_TRUE(row.values.empty());
  auto stream = StreamOf({7, 7}, 0, hostapi::kStreamReading);
  driver::WriteRow(row, columns, stream);
  EXPECT_EQ(stream.bytes, (std::vector<uint8_t>{7, 7}));
  EXPECT_TRUE(driver::ReadRow(row, columns, stream));
  EXPECT_EQ(stream.position, 0);
}

TEST(DevRow, ColumnsWriteValuesAndTextsAndReadBackByVersion) {
  driver::ColumnTable columns;
  columns.types = {driver::kColumnValue, driver::kColumnText, driver::kColumnText};
  columns.titles = {u"v", u"t", u"e"};
  EXPECT_EQ(columns.Find(u"t"), 1u);
  EXPECT_EQ(columns.Find(u"x"), 13u);
  auto row = driver::MakeRow(columns);
  row.values[0] = 0x11223344;
  row.texts[1] = u"AB";
  auto stream = StreamOf({}, 0, hostapi::kStreamWriting);
  driver::WriteRow(row, columns, stream);
  const std::vector<uint8_t> expected = {0x44, 0x33, 0x22, 0x11, 0x02, 0x00, 0x00, 0x00, 0x41, 0x42};
  ASSERT_EQ(stream.position, 10);
  EXPECT_EQ(std::vector<uint8_t>(stream.bytes.begin(), stream.bytes.begin() + 10), expected);

  // The leading 16-bit version 0x3344 is at most 20000: the row reads back (empty text last).
  auto input = StreamOf(expected, 0, hostapi::kStreamReading);
  columns.types.pop_back();
  columns.titles.pop_back();
  auto back = driver::MakeRow(columns);
  ASSERT_TRUE(driver::ReadRow(back, columns, input));
  EXPECT_EQ(back.values[0], 0x11223344);
  EXPECT_EQ(back.texts[1], u"AB");

  // A newer version reads nothing.
  auto newer = StreamOf({0x21, 0x4E, 0, 0, 0, 0, 0, 0}, 0, hostapi::kStreamReading);
  auto untouched = driver::MakeRow(columns);
  ASSERT_TRUE(driver::ReadRow(untouched, columns, newer));
  EXPECT_EQ(untouched.values[0], 0);
  EXPECT_EQ(newer.position, 0);

  // Rows that end early or claim texts longer than the bytes are refused, as is reading from
  // past the end.
  const std::vector<std::vector<uint8_t>> hostile = {
      {},
      {0x10},
      {0x10, 0x00, 0x00},
      {0x10, 0x00, 0x00, 0x00, 0xFF, 0xFF, 0xFF, 0xFF, 'a'},
      {0x10, 0x00, 0x00, 0x00, 0x02, 0x00, 0x00, 0x00, 'a'},
  };
  for (const auto& bytes : hostile) {
    auto stream = StreamOf(bytes, 0, hostapi::kStreamReading);
    auto row = driver::MakeRow(columns);
    EXPECT_FALSE(driver::ReadRow(row, columns, stream)) << bytes.size();
    stream.position = 1000;
    EXPECT_FALSE(driver::ReadRow(row, columns, stream));
  }
}

}  // namespace
