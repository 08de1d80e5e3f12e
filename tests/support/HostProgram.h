#pragma once
// Runs the built adshost program in a temporary directory of its own, one test at a time.
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "platform/ProcessServices.h"
#include "support/ReadFile.h"

struct HostRun {
  int status = -1;
  std::string out;
  std::string err;
};

class HostProgramTest : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!std::filesystem::is_regular_file(example_)) GTEST_SKIP() << "no example at " << example_;
    const auto stamp = std::chrono::steady_clock::now().time_since_epoch().count();
    dir_ = std::filesystem::temp_directory_path() / ("adshost-test-" + std::to_string(stamp));
    std::filesystem::create_directories(dir_);
  }
  void TearDown() override {
    std::error_code ignored;
    if (!dir_.empty()) std::filesystem::remove_all(dir_, ignored);
  }

  // Runs adshost in the test's directory with the arguments on `project`.
  HostRun Host(const std::string& project, const std::vector<std::string>& arguments, const std::string& input = "") {
    const auto out = dir_ / "out", err = dir_ / "err", in = dir_ / "in";
    std::ofstream(in, std::ios::binary) << input;
    platform::ProgramRun program{ADS_HOST_PATH, {"--project", project}, dir_.string(), in.string(), out.string(),
                                 err.string()};
    program.arguments.insert(program.arguments.end(), arguments.begin(), arguments.end());
    HostRun run;
    run.status = platform::RunProgram(program);
    run.out = Slurp(out);
    run.err = Slurp(err);
    return run;
  }
  // The dialog with the script as its user.
  HostRun Select(const std::string& project, const std::string& script) {
    return Host(project, {"select", "--script", "-"}, script);
  }
  // Imports `file` (the example by default), checks the tags and confirms.
  std::string Script(const std::vector<std::string>& tags, const std::string& file = "") const {
    std::string script = "import " + (file.empty() ? example_ : file) + "\n";
    for (const auto& tag : tags) script += "click " + tag + "\n";
    return script + "ok\n";
  }

  const std::string example_ = std::string(ADS_SOURCE_DIR) + "/examples/demo.tpy";
  std::filesystem::path dir_;
};
