#include "ProgramFiles.h"

#include <filesystem>
#include <initializer_list>

#include "platform/ProcessServices.h"
#include "platform/System.h"
#include "platform/Text.h"

// Where the installed layout puts the module and the examples, relative to the program's
// directory; the examples of the source tree for a program run where it was built.
#ifndef ADS_MODULE_DIR_FROM_PROGRAM
#define ADS_MODULE_DIR_FROM_PROGRAM "."
#endif
#ifndef ADS_EXAMPLES_DIR_FROM_PROGRAM
#define ADS_EXAMPLES_DIR_FROM_PROGRAM "examples"
#endif
#ifndef ADS_EXAMPLES_DIR
#define ADS_EXAMPLES_DIR "examples"
#endif

namespace adshost {
namespace {

std::filesystem::path PathOf(const std::string& utf8) {
  return std::filesystem::path(std::u8string(utf8.begin(), utf8.end()));
}

std::string ProgramDirectory() {
  const std::string exe = platform::WideToUtf8(platform::GetHostExecutablePath());
  const size_t slash = exe.find_last_of(platform::PathSeparator());
  return slash == std::string::npos ? "." : exe.substr(0, slash);
}

// The first of the paths that exists; the first one when none does, for the message.
std::string FirstExisting(std::initializer_list<std::string> paths) {
  for (const auto& path : paths) {
    std::error_code ignored;
    if (std::filesystem::exists(PathOf(path), ignored)) return path;
  }
  return *paths.begin();
}

}  // namespace

std::string DefaultDriverPath() {
  const std::string directory = ProgramDirectory() + platform::PathSeparator();
  const std::string file = platform::SharedModuleFileName("Beckhoff_ADS_Ethernet_Brevak");
  return FirstExisting({directory + file, directory + ADS_MODULE_DIR_FROM_PROGRAM + "/" + file});
}

std::string DefaultExamplesDir() {
  return FirstExisting({ProgramDirectory() + platform::PathSeparator() + ADS_EXAMPLES_DIR_FROM_PROGRAM,
                        ADS_EXAMPLES_DIR});
}

}  // namespace adshost
