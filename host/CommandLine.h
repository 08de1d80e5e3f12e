#pragma once
// The host's command line: global options, the command and its arguments.
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace adshost {

struct Options {
  std::string project = "device.adsproj";
  std::string driver;  // empty: the module next to the program
  bool trace = false;
  bool force = false;  // save even over a damaged project file
  std::string command;
  std::vector<std::string> arguments;
};

// False with a message for options that are unknown or lack their value, or a missing command.
bool ParseCommandLine(const std::vector<std::string>& words, Options& options, std::string& error);

// NAME=VALUE split at the first '='; nothing when there is no '=' or the name is empty.
struct Assignment {
  std::string name;
  std::string value;
};
std::optional<Assignment> ParseAssignment(const std::string& word);

// A channel index written in decimal digits only, within 32 bits.
std::optional<uint32_t> ParseIndex(const std::string& word);

// The usage text printed for usage errors.
const char* UsageText();

}  // namespace adshost
