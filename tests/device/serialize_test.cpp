#include "device/DevSerialize.h"

#include <gtest/gtest.h>

#include <string>

#include "beckhoff/AdsProperties.h"
#include "device/Texts.h"
#include "utils/stream_io.h"

namespace {

// The property data of the six default ADS properties: the header, one record per property
// (size, type, version, name and value), the table of the records' offsets.
const std::string kDefaultPropertyBlock(
    "\x40\x9c\x00\x00\x06\x00\x00\x00\x12\x01\x00\x00\x00\x00\x00\x00\xfa\x00\x00\x00"
    "\x21\x00\x00\x00\x00\x00\x00\x00\x20\x4e\x00\x00\x1d\x00\x00\x00\xcd\xa8\xd1\xb6\xb5\xc8\xb4\xfd"
    "\xca\xb1\xbc\xe4\x00\xc8\x00\x00\x00"
    "\x1d\x00\x00\x00\x04\x00\x00\x00\x20\x4e\x00\x00\x19\x00\x00\x00" "ADS_Port\x00\x05\x00\x00\x00"
    "\x1f\x00\x00\x00\x00\x00\x00\x00\x20\x4e\x00\x00\x1b\x00\x00\x00\xd7\xee\xb4\xf3\xb1\xea\xc7\xa9"
    "\xca\xfd\x00\xf4\x01\x00\x00"
    "\x32\x00\x00\x00\x03\x00\x00\x00\x20\x4e\x00\x00\x20\x00\x00\x00" "Local AMS NetId\x00" "169.254.1.190.1.1\x00"
    "\x31\x00\x00\x00\x03\x00\x00\x00\x20\x4e\x00\x00\x21\x00\x00\x00" "Remote AMS NetId\x00" "169.254.1.1.1.1\x00"
    "\x26\x00\x00\x00\x03\x00\x00\x00\x20\x4e\x00\x00\x1a\x00\x00\x00" "Remote Ip\x00" "169.254.1.1\x00"
    "\x14\x00\x00\x00\x35\x00\x00\x00\x52\x00\x00\x00\x71\x00\x00\x00\xa3\x00\x00\x00\xd4\x00\x00\x00",
    274);

std::shared_ptr<DevicePropertyConfigWraper> AdsSet() {
  auto set = std::make_shared<DevicePropertyConfigWraper>();
  Beckhoff::AddAdsProperties(*set);
  return set;
}

std::vector<uint8_t> Bytes(const std::string& s) { return {s.begin(), s.end()}; }

std::vector<uint8_t> BlockOf(const std::shared_ptr<DevicePropertyConfigWraper>& set) {
  DevicePropertySerilize writer;
  EXPECT_TRUE(writer.Serialize(set));
  return writer.Bytes();
}

bool LoadBlock(std::vector<uint8_t> block, const std::shared_ptr<DevicePropertyConfigWraper>& set) {
  DevicePropertySerilize reader;
  reader.Bytes() = std::move(block);
  return reader.Deserialize(set);
}

TEST(PropertyData, DefaultAdsPropertiesGiveTheExactBlock) {
  EXPECT_EQ(BlockOf(AdsSet()), Bytes(kDefaultPropertyBlock));
  EXPECT_TRUE(BlockOf(nullptr).empty());
}

TEST(PropertyData, RoundTripRestoresValuesAndEmptyTextKeepsOld) {
  auto source = AdsSet();
  source->GetProperty(texts::kPropWaitTime)->SetUInt(4000000000u);
  source->GetProperty(texts::kPropAdsPort)->SetUInt(9);
  source->GetProperty(texts::kPropRemoteIp)->SetString("10.0.0.7");
  auto block = BlockOf(source);
  auto target = AdsSet();
  EXPECT_TRUE(LoadBlock(block, target));
  EXPECT_EQ(target->GetProperty(texts::kPropWaitTime)->GetUInt(), 4000000000u);
  EXPECT_EQ(target->GetProperty(texts::kPropAdsPort)->GetString(), "851");
  // Empty the text of "Remote Ip" in the block (first byte of its value): refused on load.
  block[20 + 33 + 29 + 31 + 50 + 49 + 9 + 17] = 0;
  EXPECT_TRUE(LoadBlock(block, target));
  EXPECT_EQ(target->GetProperty(texts::kPropRemoteIp)->GetString(), "10.0.0.7");
}

TEST(PropertyData, RecordsOfAnotherVersionOrUnknownNameAreIgnored) {
  auto source = AdsSet();
  source->GetProperty(texts::kPropMaxTags)->SetUInt(7);
  source->GetProperty(texts::kPropAdsPort)->SetUInt(1);
  auto block = BlockOf(source);
  utils::StoreU32(block.data() + 82 + 8, 20001);  // version of the "最大标签数" record
  block[53 + 16] = 'X';                           // name "XDS_Port"
  auto target = AdsSet();
  EXPECT_TRUE(LoadBlock(block, target));
  EXPECT_EQ(target->GetProperty(texts::kPropMaxTags)->GetUInt(), 500u);
  EXPECT_EQ(target->GetProperty(texts::kPropAdsPort)->GetUInt(), 5u);
}

// No set, a wrong magic and every truncation are refused as a whole; every single-bit flip of
// the block loads without a fault and leaves each property either at its default or at a
// value its constraint accepts.
TEST(PropertyData, HostileBlocksNeverFault) {
  const auto good = Bytes(kDefaultPropertyBlock);
  EXPECT_FALSE(LoadBlock(good, nullptr));
  EXPECT_FALSE(LoadBlock([&] { auto bad = good; bad[0] ^= 1; return bad; }(), AdsSet()));  // the magic
  for (size_t length = 0; length <= good.size(); ++length)
    EXPECT_EQ(LoadBlock({good.begin(), good.begin() + length}, AdsSet()), length == good.size()) << length;
  for (size_t bit = 0; bit < good.size() * 8; ++bit) {
    auto flipped = good;
    flipped[bit / 8] ^= static_cast<uint8_t>(1u << (bit % 8));
    auto set = AdsSet();
    LoadBlock(flipped, set);
    EXPECT_LE(set->GetProperty(texts::kPropMaxTags)->GetUInt(), 500u);
    EXPECT_LT(set->GetProperty(texts::kPropAdsPort)->GetUInt(), 13u);
    EXPECT_FALSE(set->GetProperty(texts::kPropRemoteIp)->GetString().empty());
  }
}

// Sections 1 "A", 99 "BB" and 100 "CCC", laid out byte by byte.
const std::string kThreeSections(
    "\x40\x9c\x00\x00" "\x3e\x00\x00\x00" "\x00\x00\x00\x00" "\x03\x00\x00\x00" "\x1a\x00\x00\x00"
    "A" "BB" "CCC"
    "\x01\x00\x00\x00" "\x14\x00\x00\x00" "\x01\x00\x00\x00"
    "\x63\x00\x00\x00" "\x15\x00\x00\x00" "\x02\x00\x00\x00"
    "\x64\x00\x00\x00" "\x17\x00\x00\x00" "\x03\x00\x00\x00",
    62);

std::shared_ptr<utils::MemoryBuffer> Section(const std::string& bytes) {
  auto buffer = std::make_shared<utils::MemoryBuffer>();
  buffer->Write(bytes.data(), bytes.size());
  return buffer;
}

std::string Finish(DevSerialize& writer) {
  const auto& out = writer.Finish();
  return {reinterpret_cast<const char*>(out.Data()), static_cast<size_t>(out.Size())};
}

TEST(DeviceData, SectionsInAscendingOrderWithTableLast) {
  DevSerialize writer;
  EXPECT_TRUE(writer.AddSection(100, Section("CCC")));
  EXPECT_TRUE(writer.AddSection(1, Section("A")));
  EXPECT_TRUE(writer.AddSection(99, Section("BB")));
  EXPECT_FALSE(writer.AddSection(99, Section("other")));
  EXPECT_EQ(Finish(writer), kThreeSections);
}

// Whether a reader loads `block`, and what sections 1, 99 and 100 then read as ("-" absent).
std::string ReadSections(const std::string& block) {
  DevDeserialize reader;
  std::string read = reader.Load(utils::memoryRef(block.data(), block.size())) ? "loads" : "refused";
  for (uint32_t number : {1u, 99u, 100u}) {
    utils::MemoryBuffer section;
    read += " " + (reader.GetSection(number, section)
                       ? std::string(reinterpret_cast<const char*>(section.Data()), section.Size())
                       : "-");
    EXPECT_LE(section.Size(), block.size());
  }
  return read;
}

TEST(DeviceData, ReaderTakesSectionsByNumberInsideTheBlock) {
  auto with = [](std::initializer_list<std::pair<size_t, std::string>> edits) {
    std::string block = kThreeSections;
    for (const auto& [at, bytes] : edits) block.replace(at, bytes.size(), bytes);
    return block;
  };
  const std::pair<std::string, const char*> cases[] = {
      {kThreeSections, "loads A BB CCC"},
      {with({{26, kThreeSections.substr(50, 12)}, {50, kThreeSections.substr(26, 12)}}), "loads A BB CCC"},
      {with({{4, "\x3d"}}), "refused - - -"},  // total size one short
      {with({{58, "\x40"}}), "loads A BB -"},  // section 100 reaches past the end
  };
  for (const auto& [block, read] : cases) EXPECT_EQ(ReadSections(block), read) << block.size();
  for (size_t length = 0; length < kThreeSections.size(); ++length)
    EXPECT_EQ(ReadSections(kThreeSections.substr(0, length)), "refused - - -") << length;
}

}  // namespace
