#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "CommandLine.h"

namespace {

TEST(CommandLine, OptionsBeforeTheCommand) {
  adshost::Options options;
  std::string error;
  ASSERT_TRUE(adshost::ParseCommandLine(
      {"--trace", "--project", "p.adsproj", "--driver", "d.so", "set", "a=1", "--force", "--trace"}, options, error));
  EXPECT_TRUE(options.force);  // anywhere on the line: it never reaches the command's arguments
  EXPECT_EQ(options.project + " " + options.driver + " " + options.command, "p.adsproj d.so set");
  EXPECT_EQ(options.arguments, (std::vector<std::string>{"a=1", "--trace"}));

  adshost::Options defaults;
  ASSERT_TRUE(adshost::ParseCommandLine({"info"}, defaults, error));
  EXPECT_EQ(defaults.project + "|" + defaults.driver, "device.adsproj|");

  for (const std::vector<std::string>& words : {std::vector<std::string>{}, {"--project"}, {"--verbose", "info"}}) {
    adshost::Options ignored;
    EXPECT_FALSE(adshost::ParseCommandLine(words, ignored, error)) << words.size();
    EXPECT_FALSE(error.empty());
  }
}

TEST(CommandLine, AssignmentsAndIndices) {
  const auto pair = adshost::ParseAssignment("Remote Ip= 10.0.0.1=x ");
  ASSERT_TRUE(pair);
  EXPECT_EQ(pair->name + "|" + pair->value, "Remote Ip| 10.0.0.1=x ");
  EXPECT_FALSE(adshost::ParseAssignment("=1"));
  EXPECT_FALSE(adshost::ParseAssignment("novalue"));

  EXPECT_EQ(adshost::ParseIndex("4294967295"), 4294967295u);
  for (const char* word : {"", "-1", "4294967296"}) EXPECT_FALSE(adshost::ParseIndex(word)) << word;
}

}  // namespace
