#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "ProjectDump.h"
#include "beckhoff/BeckhoffDeviceCtrl.h"
#include "beckhoff/BeckhoffFileparser.h"

namespace {

// A run buffer: device data (section 1 with one unsigned property "P" = 5, section 99 with
// 0 and 20002), the channels "A" and "BC", then three surplus bytes.
const std::vector<uint8_t> kProject = {
    0x6D, 0x00, 0x00, 0x00, 0x02, 0x00, 0x00, 0x00, 0x62, 0x00, 0x00, 0x00, 0x0B, 0x00, 0x00, 0x00,
    0x40, 0x9C, 0x00, 0x00, 0x62, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x02, 0x00, 0x00, 0x00,
    0x4A, 0x00, 0x00, 0x00, 0x40, 0x9C, 0x00, 0x00, 0x01, 0x00, 0x00, 0x00, 0x2E, 0x00, 0x00, 0x00,
    0x00, 0x00, 0x00, 0x00, 0x2A, 0x00, 0x00, 0x00, 0x16, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00,
    0x20, 0x4E, 0x00, 0x00, 0x12, 0x00, 0x00, 0x00, 0x50, 0x00, 0x05, 0x00, 0x00, 0x00, 0x14, 0x00,
    0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x22, 0x4E, 0x00, 0x00, 0x01, 0x00, 0x00, 0x00, 0x14, 0x00,
    0x00, 0x00, 0x2E, 0x00, 0x00, 0x00, 0x63, 0x00, 0x00, 0x00, 0x42, 0x00, 0x00, 0x00, 0x08, 0x00,
    0x00, 0x00, 0x02, 0x00, 0x00, 0x00, 0x01, 0x00, 0x00, 0x00, 0x41, 0x02, 0x00, 0x00, 0x00, 0x42,
    0x43, 0x00, 0x00, 0x07,
};

// A run buffer with no channels whose device data holds only a type table (section 100 at
// offset 36): a root name "R" and one structure node "S" with one member "m" of type "INT".
const std::vector<uint8_t> kTypeProject = {
    0x57, 0x00, 0x00, 0x00, 0x02, 0x00, 0x00, 0x00, 0x57, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00,
    0x40, 0x9C, 0x00, 0x00, 0x57, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x01, 0x00, 0x00, 0x00,
    0x4B, 0x00, 0x00, 0x00, 0x01, 0x00, 0x00, 0x00, 0x52, 0x01, 0x00, 0x00, 0x00, 0x02, 0x14, 0x00,
    0x00, 0x00, 0x01, 0x00, 0x00, 0x00, 0x53, 0x00, 0x00, 0x00, 0x00, 0x04, 0x00, 0x00, 0x00, 0x02,
    0x00, 0x00, 0x00, 0x01, 0x00, 0x00, 0x00, 0x01, 0x00, 0x00, 0x00, 0x6D, 0x03, 0x00, 0x00, 0x00,
    0x49, 0x4E, 0x54, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x64, 0x00, 0x00, 0x00, 0x14,
    0x00, 0x00, 0x00, 0x37, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00,
};

const adshost::DumpEntry* Find(const adshost::DumpReport& report, const std::string& kind, size_t nth = 0) {
  for (const auto& entry : report.entries)
    if (entry.kind == kind && nth-- == 0) return &entry;
  return nullptr;
}

// One decoded field: the nth entry of a kind, the field's key and its expected value.
struct Field {
  const char* kind;
  size_t nth;
  const char* key;
  const char* value;
};

void ExpectFields(const adshost::DumpReport& report, std::initializer_list<Field> fields) {
  for (const Field& f : fields) {
    const auto* entry = Find(report, f.kind, f.nth);
    ASSERT_TRUE(entry) << f.kind << " #" << f.nth;
    const auto at =
        std::find_if(entry->fields.begin(), entry->fields.end(), [&](const auto& kv) { return kv.first == f.key; });
    ASSERT_NE(at, entry->fields.end()) << f.kind << "." << f.key;
    EXPECT_EQ(at->second, f.value) << f.kind << "." << f.key;
  }
}

TEST(ProjectDump, DecodesEveryPartOfAWellFormedFile) {
  const auto report = adshost::DecodeProject(kProject);
  ASSERT_TRUE(report.damage.empty()) << report.damage[0].what;
  ExpectFields(report, {{"run-buffer", 0, "deviceData", "98"}, {"device-data", 0, "sections", "2"},
                        {"property", 0, "name", "P"}, {"property", 0, "value", "5"},
                        {"property", 0, "version", "20000"}, {"data-version", 0, "dataVersion", "20002"},
                        {"channels", 0, "count", "2"}, {"surplus", 0, "bytes", "3"}, {"surplus", 0, "nonZero", "1"}});
  EXPECT_EQ(Find(report, "property")->offset, 56u);

  // The channels, with their offsets, through both formats.
  const std::string text = adshost::FormatText(report);
  EXPECT_NE(text.find("channel\t118\tindex=0\tname=A\n"), std::string::npos) << text;
  const std::string json = adshost::FormatJson(report);
  EXPECT_NE(json.find("\"damage\":[]"), std::string::npos);
  EXPECT_NE(json.find("{\"kind\":\"channel\",\"offset\":123,\"index\":\"1\",\"name\":\"BC\"}"), std::string::npos)
      << json;
}

// Where damage starts, and whether the device loses data over it; past damage it reads past
// (a note), decoding goes on to the channels.
TEST(ProjectDump, SaysWhereDamageStarts) {
  struct Case {
    size_t at;
    uint8_t value;
    uint64_t damageAt;
    bool loses;
  };
  const Case cases[] = {
      {4, 0x03, 4, false},     // format word: not examined by the device
      {0, 0x6C, 0, false},     // payload length: not examined either
      {16, 0x41, 16, true},    // device data magic
      {20, 0x61, 20, true},    // device data size field
      {32, 0x4B, 32, true},    // section table offset
      {110, 0x09, 102, true},  // section 99 reaches into the table
      {68, 0x00, 72, true},    // property value offset 0: the name cannot end before the value
      {64, 0x21, 64, true},    // property version other than 20000
      {114, 0x01, 123, true},  // one name counted, the block holds two
      {123, 0x09, 123, true},  // name "BC" longer than the file
      {12, 0x05, 0, false},    // short tag-name block (and payload): the device reads both names
      {102, 0x01, 90, true},   // section 1 twice: the device reads the later entry, 8 bytes
  };
  for (const auto& c : cases) {
    auto bytes = kProject;
    bytes[c.at] = c.value;
    const auto report = adshost::DecodeProject(bytes);
    ASSERT_FALSE(report.damage.empty()) << "byte " << c.at;
    const auto& first = report.damage.front();
    EXPECT_EQ(first.offset, c.damageAt) << "byte " << c.at << ": " << first.what;
    EXPECT_EQ(adshost::DeviceLoss(report).has_value(), c.loses) << "byte " << c.at << ": " << first.what;
    EXPECT_EQ(Find(report, "channel", 1) != nullptr, !c.loses) << "byte " << c.at;  // decoding went on
  }
}

TEST(ProjectDump, EveryTruncationIsReportedInsideTheFile) {
  for (size_t length = 1; length < 129; ++length) {
    const std::vector<uint8_t> bytes(kProject.begin(), kProject.begin() + static_cast<std::ptrdiff_t>(length));
    const auto report = adshost::DecodeProject(bytes);
    ASSERT_TRUE(adshost::DeviceLoss(report)) << length;
    EXPECT_LE(adshost::DeviceLoss(report)->offset, length);
    EXPECT_NE(adshost::FormatText(report).find("DAMAGE\t"), std::string::npos);
  }
  const auto empty = adshost::DecodeProject({});
  EXPECT_TRUE(empty.damage.empty());
  ASSERT_EQ(empty.entries.size(), 1u);
  EXPECT_EQ(empty.entries[0].kind, "empty");
}

TEST(ProjectDump, DecodesTypeNodesAndStopsAtACutNode) {
  const auto report = adshost::DecodeProject(kTypeProject);
  ASSERT_TRUE(report.damage.empty()) << report.damage[0].what;
  ExpectFields(report, {{"type-table", 0, "root", "R"}, {"struct-type", 0, "name", "S"}, {"member", 0, "type", "INT"}});

  auto cut = kTypeProject;
  cut[71] = 0x40;  // member name length far past the end
  const auto damaged = adshost::DecodeProject(cut);
  ASSERT_TRUE(adshost::DeviceLoss(damaged));
  EXPECT_EQ(adshost::DeviceLoss(damaged)->offset, 71u);
}

// The dump reads what the device writes: every part of a saved device decodes without damage.
TEST(ProjectDump, DecodesWhatTheDeviceWrites) {
  auto parser = std::make_shared<Beckhoff::BeckhoffFileparser>(nullptr);
  ASSERT_TRUE(parser->LoadFile(std::string(ADS_SOURCE_DIR) + "/examples/demo.tpy"));
  parser->ReadDataTypes();
  parser->ReadSymbols();
  Beckhoff::BeckhoffDeviceCtrl device;
  device.SetFileParser(parser);
  device.Channels().AddChannel({"MAIN.aValues[3]", ".gCounter"});
  std::vector<uint8_t> bytes;
  ASSERT_TRUE(device.SerializeRunBuffer(bytes));

  const auto report = adshost::DecodeProject(bytes);
  ASSERT_TRUE(report.damage.empty()) << report.damage[0].what;
  ExpectFields(report, {{"property-data", 0, "records", "6"}, {"property", 1, "value", "5"},
                        {"data-version", 0, "dataVersion", "20002"}, {"type-table", 0, "root", "QORV_ROOT"},
                        {"channel", 1, "name", ".gCounter"}});
  EXPECT_FALSE(Find(report, "surplus"));
}

}  // namespace
