#pragma once
// The host's commands, each one run of a device against the loaded module.
#include <ostream>

#include "CommandLine.h"

namespace adshost {

// Exit status: 0 when the export reported success, 1 when it reported failure, 2 for a usage
// error or an unreadable file (with a one-line message on `err`).
enum ExitStatus : int { kExitSuccess = 0, kExitFailure = 1, kExitUsage = 2 };

int RunCommand(const Options& options, std::ostream& out, std::ostream& err);

}  // namespace adshost
