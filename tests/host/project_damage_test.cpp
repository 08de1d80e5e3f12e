// Damaged copies of a real project: every command warns where the device would lose data,
// commands that save refuse to write over the file unless forced, and every save keeps the
// previous bytes as FILE.bak.
#include <algorithm>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

#include "support/HostProgram.h"
#include "utils/stream_io.h"

namespace {

namespace fs = std::filesystem;
using ProjectDamage = HostProgramTest;

uint32_t U32(const std::string& bytes, size_t at) {
  return utils::LoadU32(reinterpret_cast<const unsigned char*>(bytes.data() + at));
}

void Put(std::string& bytes, size_t at, uint32_t value) {
  utils::StoreU32(reinterpret_cast<unsigned char*>(bytes.data() + at), value);
}

void Store(const fs::path& path, const std::string& bytes) {
  std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;
}

// Where the parts of a saved project lie.
struct Layout {
  explicit Layout(const std::string& bytes)
      : table(16 + U32(bytes, 32)), names(16 + U32(bytes, 8)), secondName(names + 8 + U32(bytes, names + 4)) {}
  size_t Entry(size_t i) const { return table + 12 * i; }  // sections 1, 99, 100
  size_t table, names, secondName;
};

struct Case {
  const char* name;
  std::function<void(std::string&, const Layout&)> damage;
  std::function<size_t(const Layout&)> offset;
  const char* consequence;
};

const Case kCases[] = {
    {"truncated header", [](std::string& b, const Layout&) { b.resize(10); }, [](const Layout&) { return 0; },
     "no data types and no channels"},
    {"truncated device data", [](std::string& b, const Layout& l) { b.resize(l.names - 8); },
     [](const Layout&) { return 16; }, "no data types and no channels"},
    {"wrong magic", [](std::string& b, const Layout&) { Put(b, 16, 0); }, [](const Layout&) { return 16; },
     "device data refused: the device starts with default properties, no data types and no channels, losing the 2 "
     "channel names after it"},
    {"size field", [](std::string& b, const Layout&) { Put(b, 20, 0); }, [](const Layout&) { return 20; },
     "device data refused"},
    {"section table", [](std::string& b, const Layout&) { Put(b, 32, 0); }, [](const Layout&) { return 32; },
     "the 2 channel names name no known tag"},
    {"properties past the end", [](std::string& b, const Layout& l) { Put(b, l.Entry(0) + 8, 0xFFFFFF); },
     [](const Layout& l) { return l.Entry(0); }, "every property keeps its default"},
    {"data types past the end", [](std::string& b, const Layout& l) { Put(b, l.Entry(2) + 4, 0xFFFFFF); },
     [](const Layout& l) { return l.Entry(2); }, "no data types"},
    {"name block length 0", [](std::string& b, const Layout&) { Put(b, 12, 0); }, [](const Layout&) { return 12; },
     "the device reads no channel names"},
    {"name cut short", [](std::string& b, const Layout& l) { b.resize(l.secondName + 5); },
     [](const Layout& l) { return l.secondName; }, "the device keeps the first 1 channel name of 2"},
};

class Project : public ProjectDamage {
 protected:
  void SetUp() override {
    ProjectDamage::SetUp();
    if (IsSkipped()) return;
    ASSERT_EQ(Select("p.adsproj", Script({"MAIN.aValues[3]", "gCounter"})).status, 0);
    fs::remove(dir_ / "p.adsproj.bak");
    original_ = Slurp(dir_ / "p.adsproj");
  }
  std::string original_;
};

TEST_F(Project, DamageIsReportedAndNotSavedOverUnlessForced) {
  const fs::path project = dir_ / "p.adsproj", backup = dir_ / "p.adsproj.bak";
  for (const auto& c : kCases) {
    SCOPED_TRACE(c.name);
    std::string bytes = original_;
    const Layout layout(original_);
    c.damage(bytes, layout);
    Store(project, bytes);
    fs::remove(backup);

    const HostRun channels = Host("p.adsproj", {"channels"});
    EXPECT_EQ(channels.status, 0);
    const std::string where = "p.adsproj is damaged at offset " + std::to_string(c.offset(layout)) + ": ";
    EXPECT_NE(channels.err.find("adshost: warning: " + where), std::string::npos) << channels.err;
    EXPECT_NE(channels.err.find(c.consequence), std::string::npos) << channels.err;
    EXPECT_EQ(std::count(channels.err.begin(), channels.err.end(), '\n'), 1) << channels.err;

    const HostRun refused = Host("p.adsproj", {"set", "Remote Ip=1.2.3.4"});
    EXPECT_EQ(refused.status, 1);
    EXPECT_NE(refused.err.find("--force"), std::string::npos) << refused.err;
    EXPECT_TRUE(Slurp(project) == bytes);
    EXPECT_FALSE(fs::exists(backup));

    EXPECT_EQ(Host("p.adsproj", {"set", "--force", "Remote Ip=1.2.3.4"}).status, 0);
    EXPECT_TRUE(Slurp(backup) == bytes);
    EXPECT_TRUE(Host("p.adsproj", {"channels"}).err.empty());
  }
}

// The device reads a format word other than 2 as it reads the rest: no warning, and the save
// keeps the previous bytes, as every save does.
TEST_F(Project, EverySaveKeepsThePreviousBytes) {
  std::string bytes = original_;
  Put(bytes, 4, 3);
  Store(dir_ / "p.adsproj", bytes);
  const HostRun set = Host("p.adsproj", {"set", "Remote Ip=1.2.3.4"});
  EXPECT_EQ(set.status, 0);
  EXPECT_TRUE(set.err.empty()) << set.err;
  EXPECT_TRUE(Slurp(dir_ / "p.adsproj.bak") == bytes);

  const std::string second = Slurp(dir_ / "p.adsproj");
  ASSERT_EQ(Host("p.adsproj", {"delete"}).status, 0);
  EXPECT_TRUE(Slurp(dir_ / "p.adsproj.bak") == second);
}

}  // namespace
