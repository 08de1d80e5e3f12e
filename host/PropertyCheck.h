#pragma once
// Whether the device kept a property value as the host asked for it. A value the device
// refuses leaves the old one in place while the export still reports success, so the host
// reads every value back and compares.
#include <string>

namespace adshost {

// `kept` is the value as SvrGetProperty lists it; `enumeration` is its flag. The exports tell
// no property kind, but they format each kind its own way: an unsigned number in decimal
// ("%d"), a floating one with six decimals ("%lf"), texts and enumeration items as they are.
// Numbers compare by value, with `asked` parsed as SvrSetProperty parses it (hexadecimal
// after "0X", decimal otherwise); texts compare after trimming the blanks the export trims.
bool KeptAsAsked(const std::string& asked, const std::string& kept, bool enumeration);

}  // namespace adshost
