#pragma once
// The files the host program finds from where it runs: the driver module and the bundled
// examples, beside the program in the build tree or in the installed layout.
#include <string>

namespace adshost {

// The module beside the program, else the one in the installed module directory.
std::string DefaultDriverPath();

// The installed examples, else the examples of the source tree the program was built from.
std::string DefaultExamplesDir();

}  // namespace adshost
