#include "tpygen.h"

#include <gtest/gtest.h>

#include <string>
#include <string_view>

namespace {

size_t Count(std::string_view text, std::string_view what) {
  size_t n = 0;
  for (size_t at = text.find(what); at != std::string_view::npos; at = text.find(what, at + 1)) ++n;
  return n;
}

tpygen::Options Small() {
  tpygen::Options o;
  EXPECT_TRUE(tpygen::PresetOptions("small", o));
  o.nonAsciiPercent = 100;
  return o;
}

TEST(TpyGen, SameSeedSameBytesOtherSeedOtherBytes) {
  tpygen::Options a = Small();
  tpygen::Options b = Small();
  EXPECT_EQ(tpygen::Generate(a).bytes, tpygen::Generate(b).bytes);
  b.seed = 2;
  EXPECT_NE(tpygen::Generate(a).bytes, tpygen::Generate(b).bytes);
}

TEST(TpyGen, EncodingsStartWithTheirMarkAndDeclaration) {
  struct Case {
    tpygen::Encoding encoding;
    std::string head;
  };
  const Case cases[] = {
      {tpygen::Encoding::Utf8, "<?xml version=\"1.0\" encoding=\"UTF-8\""},
      {tpygen::Encoding::Utf8Bom, "\xEF\xBB\xBF<?xml version=\"1.0\" encoding=\"UTF-8\""},
      {tpygen::Encoding::Gbk, "<?xml version=\"1.0\" encoding=\"GBK\""},
      {tpygen::Encoding::Utf16Le, std::string("\xFF\xFE<\0?\0x\0m\0l\0 \0", 12)},
  };
  for (const Case& c : cases) {
    tpygen::Options o = Small();
    o.encoding = c.encoding;
    const tpygen::Result r = tpygen::Generate(o);
    EXPECT_EQ(r.bytes.substr(0, c.head.size()), c.head) << tpygen::EncodingName(c.encoding);
    EXPECT_EQ(r.stats.bytes, r.bytes.size());
  }
}

TEST(TpyGen, ChineseCommentsAreEncodedPerEncoding) {
  // 电机 in UTF-8, in GBK and in UTF-16LE.
  const std::string utf8 = "\xE7\x94\xB5\xE6\x9C\xBA";
  const std::string gbk = "\xB5\xE7\xBB\xFA";
  const std::string utf16 = "\x35\x75\x3A\x67";
  tpygen::Options o = Small();
  const std::string asUtf8 = tpygen::Generate(o).bytes;
  o.encoding = tpygen::Encoding::Gbk;
  const std::string asGbk = tpygen::Generate(o).bytes;
  o.encoding = tpygen::Encoding::Utf16Le;
  const std::string asUtf16 = tpygen::Generate(o).bytes;
  EXPECT_GT(Count(asUtf8, utf8), 0u);
  EXPECT_EQ(Count(asUtf8, utf8), Count(asGbk, gbk));
  EXPECT_EQ(Count(asUtf8, utf8), Count(asUtf16, utf16));
}

TEST(TpyGen, StatsMatchTheTreeOfEachShape) {
  struct Case {
    const char* preset;
    size_t symbols, nodes, leaves;
  };
  const Case cases[] = {
      // root + program + the array symbol + 10,000 elements of 10 members each
      {"array-10k-structs", 1, 1 + 1 + 1 + 10000 * 11, 10000 * 10},
  };
  for (const Case& c : cases) {
    tpygen::Options o;
    ASSERT_TRUE(tpygen::PresetOptions(c.preset, o));
    const tpygen::Result r = tpygen::Generate(o);
    EXPECT_EQ(r.stats.symbols, c.symbols) << c.preset;
    EXPECT_EQ(r.stats.treeNodes, c.nodes) << c.preset;
    EXPECT_EQ(r.stats.leaves, c.leaves) << c.preset;
    EXPECT_EQ(Count(r.bytes, "<Symbol>"), c.symbols) << c.preset;
  }
}

TEST(TpyGen, ElementsBalanceAndTargetSizeIsReached) {
  tpygen::Options o;
  ASSERT_TRUE(tpygen::PresetOptions("xml-1mb", o));
  const tpygen::Result r = tpygen::Generate(o);
  EXPECT_GE(r.bytes.size(), 1000u * 1000u);
  EXPECT_LT(r.bytes.size(), 1000u * 1000u + 4096u);
  for (const char* name : {"Symbol", "DataType", "SubItem", "ArrayInfo", "Comment", "Name"}) {
    const std::string open = std::string("<") + name + ">";
    const std::string openWithAttributes = std::string("<") + name + " ";
    const std::string close = std::string("</") + name + ">";
    EXPECT_EQ(Count(r.bytes, open) + Count(r.bytes, openWithAttributes), Count(r.bytes, close)) << name;
  }
  EXPECT_EQ(Count(r.bytes, "<Symbol>"), r.stats.symbols);
  EXPECT_EQ(Count(r.bytes, "]]>"), Count(r.bytes, "<![CDATA["));
}

TEST(TpyGen, UnknownPresetAndEncodingAreRefused) {
  tpygen::Options o;
  tpygen::Encoding e{};
  EXPECT_FALSE(tpygen::PresetOptions("nope", o));
  EXPECT_FALSE(tpygen::ParseEncoding("utf-8", e));
  for (auto enc : {tpygen::Encoding::Utf8, tpygen::Encoding::Utf8Bom, tpygen::Encoding::Utf16Le,
                   tpygen::Encoding::Gbk}) {
    ASSERT_TRUE(tpygen::ParseEncoding(tpygen::EncodingName(enc), e));
    EXPECT_EQ(e, enc);
  }
}

}  // namespace
