// adshost: a command-line stand-in for the configuration environment that loads the driver
// module and drives it through its exports.
#include <iostream>
#include <string>
#include <vector>

#include "CommandLine.h"
#include "Commands.h"
#include "HostUi.h"

extern "C" const platform::ProcessUiServices* AdsHostUiServices() { return &adshost::HostServices(); }

int main(int argc, char** argv) {
  platform::UseBinaryStandardStreams();
  const std::vector<std::string> words = platform::ProgramArguments(argc, argv);
  adshost::Options options;
  std::string error;
  if (!adshost::ParseCommandLine(words, options, error)) {
    std::cerr << "adshost: " << error << '\n' << adshost::UsageText() << '\n';
    return adshost::kExitUsage;
  }
  adshost::HostUi().SetMessageSink([](const std::string& line) { std::cout << line << '\n'; });
  if (options.trace) adshost::SetTraceSink([](const std::string& line) { std::cerr << line << '\n'; });
  const int status = adshost::RunCommand(options, std::cout, std::cerr);
  std::cout.flush();
  return status;
}
