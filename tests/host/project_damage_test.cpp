// Damaged copies of a real project: every command warns where the device would lose data,
// commands that save refuse to write over the file unless forced, and a forced save keeps the
// damaged bytes as FILE.bak.
#include <filesystem>
#include <functional>
#include <string>

#include "support/HostSession.h"
#include "utils/stream_io.h"

namespace {

namespace fs = std::filesystem;

uint32_t U32(const std::string& bytes, size_t at) {
  return utils::LoadU32(reinterpret_cast<const unsigned char*>(bytes.data() + at));
}

void Put(std::string& bytes, size_t at, uint32_t value) {
  utils::StoreU32(reinterpret_cast<unsigned char*>(bytes.data() + at), value);
}

// Where the parts of a saved project lie: the section table and the two channel names.
struct Layout {
  explicit Layout(const std::string& bytes)
      : table(16 + U32(bytes, 32)), names(16 + U32(bytes, 8)), secondName(names + 8 + U32(bytes, names + 4)) {}
  size_t table, names, secondName;  // table entries of sections 1, 99 and 100 at +0, +12, +24
};

// Damage classes: how to damage the bytes (giving the offset the warning names) and the words
// of the consequence.
const struct {
  const char* name;
  std::function<size_t(std::string&, const Layout&)> damage;
  const char* consequence;
} kCases[] = {
    {"truncated header", [](std::string& b, const Layout&) { b.resize(10); return 0; }, "no data types and no channels"},
    {"truncated device data", [](std::string& b, const Layout& l) { b.resize(l.names - 8); return 16; },
     "no data types and no channels"},
    {"wrong magic", [](std::string& b, const Layout&) { Put(b, 16, 0); return 16; },
     "device data refused: the device starts with default properties, no data types and no channels, losing the 2 "
     "channel names after it"},
    {"size field", [](std::string& b, const Layout&) { Put(b, 20, 0); return 20; }, "device data refused"},
    {"section table", [](std::string& b, const Layout&) { Put(b, 32, 0); return 32; },
     "the 2 channel names name no known tag"},
    {"properties past the end", [](std::string& b, const Layout& l) { Put(b, l.table + 8, 0xFFFFFF); return l.table; },
     "every property keeps its default"},
    {"data types past the end",
     [](std::string& b, const Layout& l) { Put(b, l.table + 28, 0xFFFFFF); return l.table + 24; }, "no data types"},
    {"name block length 0", [](std::string& b, const Layout&) { Put(b, 12, 0); return 12; },
     "the device reads no channel names"},
    {"name cut short", [](std::string& b, const Layout& l) { b.resize(l.secondName + 5); return l.secondName; },
     "the device keeps the first 1 channel name of 2"},
};

using ProjectDamage = HostSession;

TEST_F(ProjectDamage, DamageIsReportedAndNotSavedOverUnlessForced) {
  const fs::path project = dir_ / "p.adsproj", backup = dir_ / "p.adsproj.bak";
  ASSERT_EQ(Select("p.adsproj", Script({"MAIN.aValues[3]", "gCounter"})).status, 0);  // two channels
  const std::string original = Slurp(project);
  const std::string refused = "⋮add --force to save anyway⋮";
  for (const auto& c : kCases) {
    SCOPED_TRACE(c.name);
    std::string bytes = original;
    const size_t offset = c.damage(bytes, Layout(original));
    Store(project, bytes);
    fs::remove(backup);
    Expect("p.adsproj", {{{"channels"}, 0, "⋮",
                          "adshost: warning: p.adsproj is damaged at offset " + std::to_string(offset) + ": …" +
                              c.consequence + "…\n"},
                         {{"set", "Remote Ip=1.2.3.4"}, 1, "⋮", refused},
                         {kSelect, 1, "⋮", refused},
                         {{"add", "gCounter"}, 1, "⋮", refused},
                         {{"delete"}, 1, "⋮", refused}});
    EXPECT_TRUE(Slurp(project) == bytes);
    EXPECT_FALSE(fs::exists(backup));

    Expect("p.adsproj", {{{"set", "--force", "Remote Ip=1.2.3.4"}, 0}, {{"channels"}, 0, "⋮", ""}});
    EXPECT_TRUE(Slurp(backup) == bytes);
  }
}

}  // namespace
