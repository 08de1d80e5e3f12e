#include "CommandLine.h"

namespace adshost {

bool ParseCommandLine(const std::vector<std::string>& words, Options& options, std::string& error) {
  size_t i = 0;
  for (; i < words.size(); ++i) {
    const std::string& word = words[i];
    if (word == "--trace" || word == "--force") {
      (word == "--trace" ? options.trace : options.force) = true;
    } else if (word == "--project" || word == "--driver") {
      if (i + 1 >= words.size()) {
        error = word + " needs a value";
        return false;
      }
      (word == "--project" ? options.project : options.driver) = words[++i];
    } else if (word.size() > 1 && word[0] == '-' && word[1] == '-') {
      error = "unknown option " + word;
      return false;
    } else {
      break;
    }
  }
  if (i >= words.size()) {
    error = "no command given";
    return false;
  }
  options.command = words[i];
  for (++i; i < words.size(); ++i) {
    if (words[i] == "--force") {
      options.force = true;
    } else {
      options.arguments.push_back(words[i]);
    }
  }
  return true;
}

std::optional<Assignment> ParseAssignment(const std::string& word) {
  const size_t equals = word.find('=');
  if (equals == std::string::npos || equals == 0) return std::nullopt;
  return Assignment{word.substr(0, equals), word.substr(equals + 1)};
}

std::optional<uint32_t> ParseIndex(const std::string& word) {
  if (word.empty() || word.size() > 10) return std::nullopt;
  uint64_t value = 0;
  for (char c : word) {
    if (c < '0' || c > '9') return std::nullopt;
    value = value * 10 + static_cast<uint64_t>(c - '0');
  }
  if (value > UINT32_MAX) return std::nullopt;
  return static_cast<uint32_t>(value);
}

const char* UsageText() {
  return "usage: adshost [--project FILE] [--driver PATH] [--trace] [--force] COMMAND [ARGS...]\n"
         "commands: info | props | enum NAME | set NAME=VALUE... | select [--script FILE|-] | channels |\n"
         "          add NAME | delete [INDEX...] | check [--json] | diff NEW.tpy [--json] | generate |\n"
         "          dump [--json] | demo [FILE.tpy]";
}

}  // namespace adshost
