// The search pattern's matching and the dialog's trace lines.
#include <gtest/gtest.h>

#include <regex>
#include <string>
#include <vector>

#include "TagSeletList.h"
#include "platform/ScriptedDialog.h"
#include "platform/System.h"

namespace {

TEST(TagPattern, MatchesLikeShellWildcardsWithoutEscapesAndCase) {
  const struct {
    const char* pattern;
    const char* text;
    bool match;
  } cases[] = {
      {"*arr*", "MAIN_ARR", true}, {"*a?c*", "xabcx", true},   {"*a?c*", "ac", false},
      {"*[0-2]*", "v1", true},     {"*[!0-2]*", "111", false}, {"*[^a]*", "b", true},
      {"*\\*", "a\\", true},       {"*[*", "x[", true},        {"*]*", "]", true},
      {"a*b*c", "aXbYc", true},    {"a*b*c", "aXbY", false},   {"", "", true},
      {"*", "", true},             {"*[]]*", "]", true},       {"*[a-]*", "-", true},
  };
  for (const auto& c : cases)
    EXPECT_EQ(DEVICE::detail::MatchPattern(c.pattern, c.text), c.match) << c.pattern << " " << c.text;
}

TEST(TagSelectTrace, EveryTracedOperationWritesBeginAndEndLines) {
  platform::ScriptedUserInterface ui;
  platform::ScriptedDialogBackend backend(ui, nullptr);
  platform::SetDialogBackend(&backend);
  std::vector<std::string> trace;
  platform::SetDebugSink([&trace](const std::string& line) { trace.push_back(line); });
  backend.AddScript("size 800 600\nfind x\nok");
  DEVICE::CTagSeletList dialog;
  dialog.DoModal();
  platform::SetDebugSink(nullptr);
  platform::SetDialogBackend(nullptr);

  const std::regex format(
      R"re(\[\d{4}-\d\d-\d\d \d\d:\d\d:\d\d\.\d{3}\]\[src\\TagSeletList\]\[DEVICE::CTagSeletList::\w+\]\[\d+\] "(begin|end)"\n)re");
  ASSERT_FALSE(trace.empty());
  for (const auto& line : trace) EXPECT_TRUE(std::regex_match(line, format)) << line;
  EXPECT_NE(trace.front().find("::OnInitDialog]"), std::string::npos);
  EXPECT_NE(trace.front().find("\"begin\""), std::string::npos);
  size_t begins = 0;
  for (const auto& line : trace) begins += line.find("\"begin\"") != std::string::npos;
  EXPECT_EQ(2 * begins, trace.size());  // every entry line has its return line
}

}  // namespace
