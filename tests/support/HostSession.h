#pragma once
// Sessions of the built adshost program in a scratch directory of the test's own, checked
// against tables of command lines and what adshost must answer to each.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "platform/ProcessServices.h"
#include "support/ReadFile.h"
#include "support/ScratchDir.h"

// Whether the text fits the pattern, in which "…" stands for any text within a line and "⋮"
// for any text at all.
inline bool Fits(std::string_view text, std::string_view pattern) {
  static constexpr std::string_view kLine = "…", kAny = "⋮";
  const size_t wild = std::min(pattern.find(kLine), pattern.find(kAny));
  if (wild == std::string_view::npos) return text == pattern;
  if (text.substr(0, wild) != pattern.substr(0, wild)) return false;
  const bool inLine = pattern.substr(wild, kLine.size()) == kLine;
  const std::string_view rest = pattern.substr(wild + (inLine ? kLine.size() : kAny.size()));
  for (size_t skip = wild; skip <= text.size(); ++skip) {
    if (Fits(text.substr(skip), rest)) return true;
    if (inLine && skip < text.size() && text[skip] == '\n') return false;
  }
  return false;
}

struct HostRun {
  int status = -1;
  std::string out, err;
};

// A command line and the answer it must get: the exit status and the patterns (see Fits) of
// the output and the error stream.
struct HostCall {
  std::vector<std::string> args;
  int status = 0;
  std::string out = "⋮";
  std::string err = "⋮";
  std::string input = "";
};

// The dialog with the standard input as its user.
inline const std::vector<std::string> kSelect{"select", "--script", "-"};

class HostSession : public ::testing::Test {
 protected:
  void SetUp() override { Store(dir_ / "in", ""); }

  // adshost in the scratch directory with the arguments on `project`.
  platform::ProgramRun Program(const std::string& project, const std::vector<std::string>& args) const {
    platform::ProgramRun program{ADS_HOST_PATH,           {"--project", project},  dir_.string(),
                                 (dir_ / "in").string(), (dir_ / "out").string(), (dir_ / "err").string()};
    program.arguments.insert(program.arguments.end(), args.begin(), args.end());
    return program;
  }
  HostRun Host(const std::string& project, const std::vector<std::string>& args, const std::string& input = "") {
    Store(dir_ / "in", input);
    const int status = platform::RunProgram(Program(project, args));
    return {status, Slurp(dir_ / "out"), Slurp(dir_ / "err")};
  }
  HostRun Select(const std::string& project, const std::string& script) { return Host(project, kSelect, script); }
  // A script that imports `file` (the example by default), checks the tags and confirms.
  std::string Script(const std::vector<std::string>& tags, const std::string& file = "") const {
    std::string script = "import " + (file.empty() ? example_ : file) + "\n";
    for (const auto& tag : tags) script += "click " + tag + "\n";
    return script + "ok\n";
  }
  // Runs the calls on the project one after another and checks each answer.
  void Expect(const std::string& project, const std::vector<HostCall>& calls) {
    for (const HostCall& call : calls) {
      std::string line;
      for (const auto& arg : call.args) line += arg + ' ';
      SCOPED_TRACE(line + call.input);
      const HostRun run = Host(project, call.args, call.input);
      EXPECT_EQ(run.status, call.status) << run.err;
      EXPECT_TRUE(Fits(run.out, call.out)) << run.out;
      EXPECT_TRUE(Fits(run.err, call.err)) << run.err;
    }
  }

  const std::string example_ = std::string(ADS_SOURCE_DIR) + "/examples/demo.tpy";
  ScratchDir scratch_{"adshost-test-"};
  const std::filesystem::path& dir_ = scratch_.path();
};
