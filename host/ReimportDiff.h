#pragma once
// `adshost diff NEW.tpy`: what importing a changed symbol file and confirming the current
// selection would do to the channels, found on the loaded device without saving it.
#include <ostream>
#include <string>
#include <vector>

#include "Session.h"

namespace adshost {

// In channel order: kept<TAB>NAME, changed<TAB>NAME<TAB>OLD<TAB>NEW (as dataKind/type), or
// dropped<TAB>NAME<TAB>up to three suggestions; then added<TAB>NAME per channel the
// confirmation adds. Exit status 0 when nothing is dropped or changed, 1 otherwise, 2 for a
// usage error or a file that cannot be imported. The session's device is changed: throw it
// away afterwards.
int RunDiff(Session& session, const std::vector<std::string>& arguments, std::ostream& out, std::ostream& err);

// Differing segments of two full names compared position by position (a missing one differs).
size_t SegmentDistance(const std::u16string& a, const std::u16string& b);

}  // namespace adshost
