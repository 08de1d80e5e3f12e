// The shell of the saved bytes, against literal byte arrays.
#include "device/SavedFormat.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using Names = std::vector<std::string>;

TEST(SavedFormat, RunBufferLaysOutHeaderDeviceDataAndCountedNames) {
  const std::vector<uint8_t> device = {0xAA, 0xBB};
  std::vector<uint8_t> out;
  saved::ComposeRunBuffer(out, utils::ByteSpan(device.data(), device.size()), {"A", "BC"});
  const std::vector<uint8_t> expected = {
      0x0D, 0, 0, 0, 0x02, 0, 0, 0, 0x02, 0, 0, 0, 0x0B, 0, 0, 0,  // D + N, format, D, N
      0xAA, 0xBB, 0x02, 0, 0, 0,                                     // device data, name count
      0x01, 0, 0, 0, 'A', 0x02, 0, 0, 0, 'B', 'C'};
  EXPECT_EQ(out, expected);
}

TEST(SavedFormat, TagNamesStopAtTheFirstNameThatRunsPastTheSpan) {
  struct Case {
    std::vector<uint8_t> bytes;
    uint32_t count;
    bool whole;
    Names names;
    uint64_t end;
  };
  const Case cases[] = {
      {{1, 0, 0, 0, 'A', 0, 0, 0, 0}, 2, true, {"A", ""}, 9},
      {{1, 0, 0, 0, 'A', 2, 0, 0, 0, 'B'}, 2, false, {"A"}, 5},
      {{1, 0, 0}, 1, false, {}, 0},
      {{0xFF, 0xFF, 0xFF, 0xFF, 'A'}, 1, false, {}, 0},
  };
  for (const auto& c : cases) {
    const utils::ByteSpan span(c.bytes.data(), c.bytes.size());
    uint64_t at = 0;
    Names names;
    EXPECT_EQ(saved::ReadTagNames(span, at, c.count, [&](uint64_t, std::string n) { names.push_back(n); }), c.whole);
    EXPECT_EQ(names, c.names);
    EXPECT_EQ(at, c.end);
  }
}

TEST(SavedFormat, SectionTableIsReadOnlyWhenItEndsAtTheBlockEnd) {
  struct Case {
    uint32_t total, count, table;
    bool fits;
  };
  const Case cases[] = {{44, 2, 20, true}, {44, 2, 21, false}, {20, 0, 20, true}, {32, 1, 0xFFFFFFFF, false}};
  for (const auto& c : cases)
    EXPECT_EQ(saved::SectionTableFits({saved::kMagic, c.total, 0, c.count, c.table}), c.fits) << c.table;
}

}  // namespace
