#pragma once
// `adshost check`: which channels the device's tree does not know, and whether the device must
// import its tags again, before the configuration is generated.
#include <ostream>
#include <string>
#include <vector>

#include "Session.h"

namespace adshost {

// unresolved<TAB>INDEX<TAB>NAME per channel whose tag is unknown, in channel order, then
// reimport<TAB>OBJECT<TAB>MESSAGE per report of the generate check that names no such channel.
// Exit status 0 when the configuration would generate, 1 otherwise, 2 for a usage error.
int RunCheck(Session& session, const std::vector<std::string>& arguments, std::ostream& out, std::ostream& err);

}  // namespace adshost
