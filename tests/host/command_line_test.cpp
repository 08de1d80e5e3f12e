#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "CommandLine.h"
#include "ProjectFile.h"
#include "support/ScratchDir.h"

namespace {

TEST(CommandLine, OptionsBeforeTheCommand) {
  adshost::Options options;
  std::string error;
  ASSERT_TRUE(adshost::ParseCommandLine({"--trace", "--project", "p.adsproj", "--driver", "d.so", "set", "a=1",
                                         "--force", "--trace"},
                                        options, error));
  EXPECT_TRUE(options.trace);
  EXPECT_TRUE(options.force);  // anywhere on the line: it never reaches the command's arguments
  EXPECT_EQ(options.project, "p.adsproj");
  EXPECT_EQ(options.driver, "d.so");
  EXPECT_EQ(options.command, "set");
  EXPECT_EQ(options.arguments, (std::vector<std::string>{"a=1", "--trace"}));

  adshost::Options defaults;
  ASSERT_TRUE(adshost::ParseCommandLine({"info"}, defaults, error));
  EXPECT_EQ(defaults.project, "device.adsproj");
  EXPECT_TRUE(defaults.driver.empty());

  const std::vector<std::vector<std::string>> bad = {{}, {"--project"}, {"--trace"}, {"--verbose", "info"}};
  for (const auto& words : bad) {
    adshost::Options ignored;
    EXPECT_FALSE(adshost::ParseCommandLine(words, ignored, error)) << words.size();
    EXPECT_FALSE(error.empty());
  }
}

TEST(CommandLine, AssignmentsAndIndices) {
  const auto pair = adshost::ParseAssignment("Remote Ip= 10.0.0.1=x ");
  ASSERT_TRUE(pair);
  EXPECT_EQ(pair->name, "Remote Ip");
  EXPECT_EQ(pair->value, " 10.0.0.1=x ");
  EXPECT_EQ(adshost::ParseAssignment("a=")->value, "");
  EXPECT_FALSE(adshost::ParseAssignment("=1"));
  EXPECT_FALSE(adshost::ParseAssignment("novalue"));

  EXPECT_EQ(adshost::ParseIndex("0"), 0u);
  EXPECT_EQ(adshost::ParseIndex("4294967295"), 4294967295u);
  for (const char* word : {"", "-1", "4294967296", "1x", " 1", "99999999999"})
    EXPECT_FALSE(adshost::ParseIndex(word)) << word;
}

TEST(ProjectFile, MissingFileIsEmptyAndWritesReplaceWhole) {
  const ScratchDir scratch("adshost-test-");
  const auto& directory = scratch.path();
  const std::string path = (directory / "device.adsproj").string();
  std::vector<uint8_t> bytes{1, 2, 3};
  std::string error;
  ASSERT_TRUE(adshost::ReadProjectFile(path, bytes, error));
  EXPECT_TRUE(bytes.empty());

  ASSERT_TRUE(adshost::WriteProjectFile(path, {9, 8, 7, 6, 5}, error)) << error;
  ASSERT_TRUE(adshost::WriteProjectFile(path, {4, 0}, error)) << error;
  ASSERT_TRUE(adshost::ReadProjectFile(path, bytes, error));
  EXPECT_EQ(bytes, (std::vector<uint8_t>{4, 0}));
  // No temporary file stays behind.
  size_t files = 0;
  for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator(directory)) ++files;
  EXPECT_EQ(files, 1u);

  EXPECT_FALSE(adshost::ReadProjectFile(directory.string(), bytes, error));
  EXPECT_FALSE(adshost::WriteProjectFile((directory / "no" / "such.adsproj").string(), {1}, error));
  EXPECT_FALSE(error.empty());
}

}  // namespace
