#include "utils/NameIndex.h"

#include <gtest/gtest.h>

#include <string>
#include <unordered_map>
#include <vector>

// Names with many repeats, added through several growths of the index, must give the position
// of their first occurrence; names never added give -1.
TEST(NameIndex, FirstPositionOfEachNameThroughGrowth) {
  std::vector<std::string> names;
  std::unordered_map<std::string, uint32_t> first;
  utils::NameIndex index;
  const auto nameAt = [&names](uint32_t at) -> std::string_view { return names[at]; };
  for (uint32_t i = 0; i < 5000; ++i) {
    names.push_back(i % 3 == 0 ? "m" + std::to_string(i % 700) : "member" + std::to_string(i));
    const auto [position, added] = index.Add(names.back(), i, nameAt);
    const auto [expected, isNew] = first.try_emplace(names.back(), i);
    EXPECT_EQ(position, expected->second);
    EXPECT_EQ(added, isNew);
  }
  for (const auto& [name, position] : first) EXPECT_EQ(index.Find(name, nameAt), position) << name;
  for (const std::string absent : {"", "m700", "member0", "member5000"})
    EXPECT_EQ(index.Find(absent, nameAt), -1) << absent;
  EXPECT_EQ(utils::NameIndex().Find("m0", nameAt), -1);
}
