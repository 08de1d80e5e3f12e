// The dump decodes run buffers written out byte by byte here; what it makes of the files
// that the device saves is checked by the sessions of adshost.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "ProjectDump.h"
#include "support/HostSession.h"

namespace {

// Bytes written in hexadecimal, spaces between them for the reader only.
std::vector<uint8_t> Bytes(std::string_view hex) {
  std::vector<uint8_t> bytes;
  for (size_t at = 0; at + 1 < hex.size(); at += hex[at] == ' ' ? 1 : 2)
    if (hex[at] != ' ') bytes.push_back(static_cast<uint8_t>(std::stoi(std::string(hex.substr(at, 2)), nullptr, 16)));
  return bytes;
}

// A run buffer: device data (section 1 with one unsigned property "P" = 5, section 99 with
// 0 and 20002), the channels "A" and "BC", then three surplus bytes.
const std::vector<uint8_t> kProject = Bytes(
    "6D000000 02000000 62000000 0B000000 409C0000 62000000 00000000 02000000 4A000000 409C0000 01000000 2E000000 "
    "00000000 2A000000 16000000 00000000 204E0000 12000000 50000500 00001400 00000000 0000224E 00000100 00001400 "
    "00002E00 00006300 00004200 00000800 00000200 00000100 00004102 00000042 43000007");

// A run buffer with no channels whose device data holds only a type table (section 100 at
// offset 36): a root name "R" and one structure node "S" with one member "m" of type "INT".
const std::vector<uint8_t> kTypeProject = Bytes(
    "57000000 02000000 57000000 00000000 409C0000 57000000 00000000 01000000 4B000000 01000000 52010000 00021400 "
    "00000100 00005300 00000004 00000002 00000001 00000001 0000006D 03000000 494E5400 00000000 00000064 00000014 "
    "00000037 00000000 000000");

TEST(ProjectDump, DecodesEveryPartOfAWellFormedFile) {
  const auto report = adshost::DecodeProject(kProject);
  EXPECT_EQ(adshost::FormatText(report),
            "run-buffer\t0\tpayload=109\tformat=2\tdeviceData=98\ttagNames=11\n"
            "device-data\t16\tmagic=40000\tsize=98\tsections=2\ttable=74\n"
            "section\t90\tnumber=1\toffset=20\tlength=46\n"
            "property-data\t36\tmagic=40000\trecords=1\tsize=46\ttable=42\n"
            "property\t56\tname=P\ttag=0\tversion=20000\tvalue=5\n"
            "section\t102\tnumber=99\toffset=66\tlength=8\n"
            "data-version\t82\treserved=0\tdataVersion=20002\n"
            "channels\t114\tcount=2\n"
            "channel\t118\tindex=0\tname=A\n"
            "channel\t123\tindex=1\tname=BC\n"
            "surplus\t129\tbytes=3\tnonZero=1\n");
  const std::string json = adshost::FormatJson(report);
  EXPECT_TRUE(Fits(json, "{\"entries\":[\n⋮\n{\"kind\":\"channel\",\"offset\":123,\"index\":\"1\",\"name\":\"BC\"},\n"
                         "⋮\n],\"damage\":[]}\n"))
      << json;
}

// Where damage starts, and whether the device loses data over it; past damage it reads past
// (a note), decoding goes on to the channels. Each row changes the byte `at` to `value`.
TEST(ProjectDump, SaysWhereDamageStarts) {
  const struct { size_t at; uint8_t value; uint64_t damageAt; bool loses; } cases[] = {
      {4, 0x03, 4, false},     // format word: not examined by the device
      {0, 0x6C, 0, false},     // payload length: not examined either
      {110, 0x09, 102, true},  // section 99 reaches into the table
      {68, 0x00, 72, true},    // property value offset 0: the name cannot end before the value
      {64, 0x21, 64, true},    // property version other than 20000
      {114, 0x01, 123, true},  // one name counted, the block holds two
      {12, 0x05, 0, false},    // short tag-name block (and payload): the device reads both names
      {102, 0x01, 90, true},   // section 1 twice: the device reads the later entry, 8 bytes
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.at);
    auto bytes = kProject;
    bytes[c.at] = c.value;
    const auto report = adshost::DecodeProject(bytes);
    ASSERT_FALSE(report.damage.empty());
    const auto& first = report.damage.front();
    EXPECT_EQ(first.offset, c.damageAt) << first.what;
    EXPECT_EQ(adshost::DeviceLoss(report).has_value(), c.loses) << first.what;
    const bool decodedOn = adshost::FormatText(report).find("\tindex=1\tname=BC\n") != std::string::npos;
    EXPECT_EQ(decodedOn, !c.loses);
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
  EXPECT_EQ(adshost::FormatJson(adshost::DecodeProject({})), "{\"entries\":[\n{\"kind\":\"empty\",\"offset\":0}\n],\"damage\":[]}\n");
}

TEST(ProjectDump, DecodesTypeNodesAndStopsAtACutNode) {
  const auto report = adshost::DecodeProject(kTypeProject);
  EXPECT_TRUE(Fits(adshost::FormatText(report), "⋮\ntype-table\t36\troot=R\tnodes=1\nstruct-type\t45\tcode=20\tname=S\t…\n"
                                                 "member\t71\tindex=0\tname=m\ttype=INT\tcomment=\nchannels\t103\tcount=0\n"));
  auto cut = kTypeProject;
  cut[71] = 0x40;  // member name length far past the end
  const auto damaged = adshost::DecodeProject(cut);
  ASSERT_TRUE(adshost::DeviceLoss(damaged));
  EXPECT_EQ(adshost::DeviceLoss(damaged)->offset, 71u);
}

}  // namespace
