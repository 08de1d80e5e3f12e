// The platform layer as every backend must behave: whole-file reading with wide paths, the
// system services the module relies on, and the terminal's character widths.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "platform/File.h"
#include "platform/ProcessServices.h"
#include "platform/System.h"
#include "platform/Terminal.h"
#include "platform/Text.h"
#include "support/ScratchDir.h"

namespace {

namespace fs = std::filesystem;

// Reads a file whole into `bytes` through the platform's room interface.
bool ReadWholeFile(const std::u16string& path, std::vector<unsigned char>& bytes, platform::FileError& error) {
  size_t length = 0;
  const auto room = [&bytes](size_t size) {
    bytes.resize(size);
    return bytes.data();
  };
  const bool read = platform::ReadWholeFile(path, room, length, error);
  bytes.resize(read ? length : 0);
  return read;
}

TEST(FileReading, ReadsWholeFilesByWidePathAndReportsFailures) {
  const ScratchDir dir("ads-platform-");
  // A name outside ASCII (标签.tpy), written through the platform too: the C++ library may open
  // files by narrow name.
  const fs::path named = dir.path() / fs::path(u"\u6807\u7B7E.tpy");
  const std::string content("<a/>\0\xff\n", 7);
  std::string writeError;
  ASSERT_TRUE(platform::WriteFileAtomically(platform::WideToUtf8(named.u16string()),
                                            std::vector<uint8_t>(content.begin(), content.end()), writeError))
      << writeError;

  std::vector<unsigned char> bytes;
  platform::FileError error;
  ASSERT_TRUE(ReadWholeFile(named.u16string(), bytes, error)) << platform::WideToUtf8(error.message);
  EXPECT_EQ(std::string(bytes.begin(), bytes.end()), content);
  EXPECT_EQ(error.code, 0);

  std::ofstream(dir / "empty", std::ios::binary).flush();
  bytes.assign(3, 1);
  EXPECT_TRUE(ReadWholeFile((dir / "empty").u16string(), bytes, error));
  EXPECT_TRUE(bytes.empty());

  for (const std::u16string& bad : {(dir / "missing.tpy").u16string(), dir.path().u16string(), std::u16string()}) {
    bytes.assign(3, 1);
    EXPECT_FALSE(ReadWholeFile(bad, bytes, error)) << platform::WideToUtf8(bad);
    EXPECT_NE(error.code, 0);
    EXPECT_FALSE(error.message.empty());
    EXPECT_EQ(error.message.find_first_of(u"\r\n"), std::u16string::npos);
    EXPECT_TRUE(bytes.empty());
  }
}

TEST(System, HostPathTickCountAndLocalTime) {
  const std::u16string program = platform::GetHostExecutablePath();
  EXPECT_NE(program.find(u"test_platform"), std::u16string::npos) << platform::WideToUtf8(program);
  EXPECT_NE(program.find(static_cast<char16_t>(platform::PathSeparator())), std::u16string::npos);

  const uint32_t before = platform::GetTickCount();
  EXPECT_LT(platform::GetTickCount() - before, 10000u);

  const platform::LocalTime now = platform::GetLocalTime();
  EXPECT_GE(now.year, 2000);
  EXPECT_TRUE(now.month >= 1 && now.month <= 12 && now.millisecond >= 0 && now.millisecond < 1000);
  EXPECT_GT(platform::ScreenPixelsPerInchY(), 0);
  EXPECT_GT(platform::WheelScrollLines(), 0u);
  { platform::ScopedModuleResources outer, inner; }
}

TEST(TerminalText, WideCharactersTakeTwoColumnsAndAreCutNotWrapped) {
  EXPECT_EQ(platform::TerminalCellWidth(U'a'), 1);
  EXPECT_EQ(platform::TerminalCellWidth(U'\u6807'), 2);
  EXPECT_EQ(platform::FitToColumns(u"ab", 4), "ab  ");
  EXPECT_EQ(platform::FitToColumns(u"\u6807\u7b7e", 3), "\xe6\xa0\x87 ");  // the second one does not fit
  EXPECT_EQ(platform::FitToColumns(u"abcdef", 3), "abc");
}

}  // namespace
