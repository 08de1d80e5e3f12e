// Whether a value read back after `set` is the one asked for, by the kind its text shows.
#include <gtest/gtest.h>

#include "PropertyCheck.h"

namespace {

TEST(PropertyCheck, ComparesNumbersByValueAndTextsAsTrimmed) {
  const struct {
    const char *asked, *kept;
    bool enumeration, same;
  } cases[] = {
      // Values that `set` reports or keeps silently are checked by the adshost sessions.
      {"x0X1F4", "500", false, true},   {"0500", "500", false, true},  {"0x1F4", "500", false, false},
      {"1.5", "1.500000", false, true}, {"", "10.1.1.1", false, false}, {"0X353", "851", true, false},
  };
  for (const auto& c : cases)
    EXPECT_EQ(adshost::KeptAsAsked(c.asked, c.kept, c.enumeration), c.same) << c.asked << " / " << c.kept;
}

}  // namespace
