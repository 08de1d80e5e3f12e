#pragma once
// The look at a project file before the module gets it: damage that would cost the device
// data is reported, and commands that save do not write over it unless forced.
#include <cstdint>
#include <ostream>
#include <string>
#include <vector>

#include "CommandLine.h"

namespace adshost {

// True for the commands that end by saving the device over the project file.
bool CommandSaves(const std::string& command);

// Decodes `bytes` as `dump` does and, on damage that costs the device data, prints one
// warning on `err`: the offset, what is wrong and what the device does with it. False when
// the command saves and was not forced: it must stop before the module is called.
bool CheckProjectBeforeLoad(const Options& options, const std::vector<uint8_t>& bytes, std::ostream& err);

}  // namespace adshost
