#include "utils/StringSet.h"

#include <gtest/gtest.h>

#include <string>

namespace {

TEST(StringSet, KeepsEachStringOnceThroughGrowth) {
  utils::StringSet set;
  EXPECT_TRUE(set.Insert(""));
  EXPECT_FALSE(set.Insert(""));
  EXPECT_TRUE(set.Insert(std::string("a\0b", 3)));
  EXPECT_TRUE(set.Insert("a"));  // a prefix of the string before
  EXPECT_FALSE(set.Insert(std::string("a\0b", 3)));
  // Enough long names with a common prefix to double the table many times; every one is
  // found again afterwards, and none is taken for another.
  const std::string prefix(40, 'p');
  for (int i = 0; i < 200000; ++i) ASSERT_TRUE(set.Insert(prefix + std::to_string(i))) << i;
  for (int i = 0; i < 200000; i += 7) ASSERT_FALSE(set.Insert(prefix + std::to_string(i))) << i;
  EXPECT_TRUE(set.Insert(prefix + "x"));
  EXPECT_EQ(set.size(), 200004u);
}

}  // namespace
