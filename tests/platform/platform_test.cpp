// The platform layer as every backend must behave: code-page conversions, whole-file reading
// with wide paths, and the system services the module relies on.
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "platform/File.h"
#include "platform/ProcessServices.h"
#include "platform/System.h"
#include "platform/Text.h"

namespace {

namespace fs = std::filesystem;

std::string Bytes(std::initializer_list<unsigned> values) {
  std::string bytes;
  for (unsigned v : values) bytes.push_back(static_cast<char>(v));
  return bytes;
}

TEST(Text, ConvertsBothWaysByCodePage) {
  const struct {
    unsigned codePage;
    std::u16string wide;
    std::string narrow;
  } cases[] = {
      {936, u"\u500D\u798F", Bytes({0xB1, 0xB6, 0xB8, 0xA3})},  // 倍福
      {936, u"Remote Ip", "Remote Ip"},
      {936, u"\u6807\u7B7E", Bytes({0xB1, 0xEA, 0xC7, 0xA9})},  // 标签
      {1252, u"\u00E9\u20AC", Bytes({0xE9, 0x80})},
      {65001, u"\u500D", Bytes({0xE5, 0x80, 0x8D})},
      {65001, u"\U0001F600", Bytes({0xF0, 0x9F, 0x98, 0x80})},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(platform::WideToMultiByte(c.codePage, c.wide), c.narrow) << c.codePage;
    EXPECT_EQ(platform::MultiByteToWide(c.codePage, c.narrow), c.wide) << c.codePage;
  }
  EXPECT_EQ(platform::WideToMultiByte(936, u""), "");
  EXPECT_EQ(platform::MultiByteToWide(936, ""), u"");
}

TEST(Text, UnmappableAndInvalidInputIsReplaced) {
  // Thai has no place in GBK nor in the Western code page.
  EXPECT_EQ(platform::WideToMultiByte(936, u"a\u0E01b"), "a?b");
  EXPECT_EQ(platform::WideToMultiByte(1252, u"a\u0E01b"), "a?b");
  EXPECT_EQ(platform::WideToMultiByte(1252, u"\u500D"), "?");
  // A byte that cannot start UTF-8 becomes U+FFFD and the rest converts.
  EXPECT_EQ(platform::MultiByteToWide(65001, Bytes({'a', 0xFF, 'b'})), u"a\uFFFDb");
}

TEST(Text, AnsiCodePageFollowsTheSetting) {
  const unsigned saved = platform::GetAnsiCodePage();
  platform::SetAnsiCodePage(1252);
  EXPECT_EQ(platform::GetAnsiCodePage(), 1252u);
  EXPECT_EQ(platform::WideToAnsi(u"\u00E9"), Bytes({0xE9}));
  EXPECT_EQ(platform::WideToMultiByte(platform::kCodePageThreadAnsi, u"\u00E9"), Bytes({0xE9}));
  platform::SetAnsiCodePage(936);
  EXPECT_EQ(platform::WideToAnsi(u"\u500D"), Bytes({0xB1, 0xB6}));
  EXPECT_EQ(platform::AnsiToWide(Bytes({0xB8, 0xA3})), u"\u798F");
  platform::SetAnsiCodePage(saved);

  for (unsigned supported : {0u, 3u, 936u, 1252u, 65001u}) EXPECT_TRUE(platform::IsCodePageSupported(supported)) << supported;
  EXPECT_FALSE(platform::IsCodePageSupported(12345));
}

class FileReading : public ::testing::Test {
 protected:
  void SetUp() override {
    const auto stamp = std::chrono::steady_clock::now().time_since_epoch().count();
    dir_ = fs::temp_directory_path() / ("ads-platform-" + std::to_string(stamp));
    fs::create_directories(dir_);
  }
  void TearDown() override {
    std::error_code ignored;
    fs::remove_all(dir_, ignored);
  }
  fs::path dir_;
};

TEST_F(FileReading, ReadsWholeFilesByWidePathAndReportsFailures) {
  // A name outside ASCII: 标签.tpy
  const fs::path named = dir_ / fs::path(u"\u6807\u7B7E.tpy");
  const std::string content = Bytes({'<', 'a', '/', '>', 0x00, 0xFF, '\n'});
  // Written through the platform too: the C++ library may open files by narrow name.
  std::string writeError;
  ASSERT_TRUE(platform::WriteFileAtomically(platform::WideToUtf8(named.u16string()),
                                            std::vector<uint8_t>(content.begin(), content.end()), writeError))
      << writeError;

  std::vector<unsigned char> bytes;
  platform::FileError error;
  ASSERT_TRUE(platform::ReadWholeFile(named.u16string(), bytes, error)) << platform::WideToUtf8(error.message);
  EXPECT_EQ(std::string(bytes.begin(), bytes.end()), content);
  EXPECT_EQ(error.code, 0);

  std::ofstream(dir_ / "empty", std::ios::binary).flush();
  bytes.assign(3, 1);
  EXPECT_TRUE(platform::ReadWholeFile((dir_ / "empty").u16string(), bytes, error));
  EXPECT_TRUE(bytes.empty());

  for (const std::u16string& bad : {(dir_ / "missing.tpy").u16string(), dir_.u16string(), std::u16string()}) {
    bytes.assign(3, 1);
    EXPECT_FALSE(platform::ReadWholeFile(bad, bytes, error)) << platform::WideToUtf8(bad);
    EXPECT_NE(error.code, 0);
    EXPECT_FALSE(error.message.empty());
    EXPECT_EQ(error.message.find_first_of(u"\r\n"), std::u16string::npos);
    EXPECT_TRUE(bytes.empty());
  }
}

TEST(System, HostPathTickCountAndDebugSink) {
  const std::u16string program = platform::GetHostExecutablePath();
  EXPECT_NE(program.find(u"test_platform"), std::u16string::npos) << platform::WideToUtf8(program);
  EXPECT_NE(program.find(static_cast<char16_t>(platform::PathSeparator())), std::u16string::npos);

  const uint32_t before = platform::GetTickCount();
  const uint32_t after = platform::GetTickCount();
  EXPECT_LT(after - before, 10000u);

  std::vector<std::string> lines;
  platform::SetDebugSink([&lines](const std::string& text) { lines.push_back(text); });
  platform::OutputDebugText("line\n");
  platform::SetDebugSink(nullptr);
  EXPECT_EQ(lines, std::vector<std::string>{"line\n"});

  const platform::LocalTime now = platform::GetLocalTime();
  EXPECT_GE(now.year, 2000);
  EXPECT_TRUE(now.month >= 1 && now.month <= 12 && now.millisecond >= 0 && now.millisecond < 1000);
  EXPECT_GT(platform::ScreenPixelsPerInchY(), 0);
  EXPECT_GT(platform::WheelScrollLines(), 0u);
  { platform::ScopedModuleResources outer, inner; }
}

}  // namespace
