// Kills adshost at random moments while it saves a big project: the project file must hold
// the old or the new bytes afterwards, its backup FILE.bak the old bytes or nothing, and no
// temporary file may pile up. Half the kills fall while the temporary file lives.
#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <set>
#include <thread>
#include <vector>

#include "beckhoff/BeckhoffDeviceCtrl.h"
#include "support/HostSession.h"

namespace {

namespace fs = std::filesystem;
using std::chrono::steady_clock, std::chrono::microseconds, std::chrono::milliseconds, std::chrono::duration_cast;

constexpr int kIterations = 40;
constexpr auto kLoopBudget = std::chrono::seconds(60);  // for slow machines and emulators
constexpr size_t kKillChannels = 2000;
constexpr size_t kSurplusBytes = 512 << 10;  // older content past the run buffer, saved along

// A project with many channels and a long tail of older bytes, so that a save takes a while.
std::string BigProject() {
  Beckhoff::BeckhoffDeviceCtrl control;
  std::vector<std::string> names;
  for (size_t i = 0; i < kKillChannels; ++i) names.push_back("MAIN.aMotors[" + std::to_string(i) + "].stStatus.bReady");
  control.Channels().AddChannel(names);
  DEVICE::ByteArray bytes;
  EXPECT_TRUE(control.SerializeRunBuffer(bytes));
  for (size_t i = 0; i < kSurplusBytes; ++i) bytes.push_back(static_cast<uint8_t>(i * 131 + 7));
  return std::string(bytes.begin(), bytes.end());
}

// The files in the directory other than the project, its backup and the runs' standard streams.
std::vector<std::string> Strays(const fs::path& dir) {
  static const std::set<std::string> kOwn{"p.adsproj", "p.adsproj.bak", "in", "out", "err"};
  std::vector<std::string> strays;
  for (const auto& entry : fs::directory_iterator(dir))
    if (!kOwn.count(entry.path().filename().string())) strays.push_back(entry.path().filename().string());
  return strays;
}

// Waits until a file other than the project's own appears (a temporary one), or `limit` has passed.
bool AwaitTemporary(const fs::path& dir, steady_clock::duration limit) {
  for (const auto end = steady_clock::now() + limit; steady_clock::now() < end;
       std::this_thread::sleep_for(microseconds(100)))
    if (!Strays(dir).empty()) return true;
  return false;
}

using ProjectKill = HostSession;

TEST_F(ProjectKill, AKilledSaveLeavesTheOldOrTheNewProject) {
  const fs::path project = dir_ / "p.adsproj";
  const platform::ProgramRun setIp = Program("p.adsproj", {"set", "Remote Ip=10.0.0.2"});
  Store(project, BigProject());
  ASSERT_EQ(platform::RunProgram(Program("p.adsproj", {"set", "Remote Ip=10.0.0.1"})), 0) << Slurp(dir_ / "err");
  const std::string oldBytes = Slurp(project);
  const auto start = steady_clock::now();
  ASSERT_EQ(platform::RunProgram(setIp), 0);
  const auto fullRun = steady_clock::now() - start;
  const std::string newBytes = Slurp(project);
  ASSERT_TRUE(oldBytes != newBytes);
  ASSERT_EQ(oldBytes.size(), newBytes.size());  // same-length texts: only bytes inside change

  // How long the temporary file lives: written, flushed, renamed.
  Store(project, oldBytes);
  auto probe = platform::StartProgram(setIp);
  if (!probe) GTEST_SKIP() << "programs cannot be started here";
  // A save too quick to be seen leaves the kills below a window of a millisecond.
  const bool seen = AwaitTemporary(dir_, fullRun * 5);
  const auto saveStart = steady_clock::now();
  while (seen && !Strays(dir_).empty() && steady_clock::now() - saveStart < fullRun * 5)
    std::this_thread::sleep_for(microseconds(50));
  const auto saveWindow = std::max(steady_clock::now() - saveStart, steady_clock::duration(milliseconds(1)));
  ASSERT_EQ(probe->Wait(), 0);

  std::mt19937 random(20261206);
  std::uniform_int_distribution<long long> anywhere(0, duration_cast<microseconds>(fullRun).count());
  std::uniform_int_distribution<long long> inSave(0, duration_cast<microseconds>(saveWindow * 5 / 4).count());
  int oldSeen = 0;
  const auto loopStart = steady_clock::now();
  for (int i = 0; i < kIterations && steady_clock::now() - loopStart < kLoopBudget; ++i) {
    SCOPED_TRACE(i);
    Store(project, oldBytes);
    fs::remove(dir_ / "p.adsproj.bak");
    const bool targeted = i % 2 == 1;
    auto run = platform::StartProgram(setIp);
    ASSERT_TRUE(run);
    if (targeted) AwaitTemporary(dir_, fullRun * 5);
    std::this_thread::sleep_for(microseconds(targeted ? inSave(random) : anywhere(random)));
    run->Kill();
    run->Wait();
    const std::string now = Slurp(project);
    const bool isOld = now == oldBytes;
    ASSERT_TRUE(isOld || now == newBytes) << "project of " << now.size() << " bytes is neither";
    oldSeen += isOld;
    const bool hasBackup = fs::exists(dir_ / "p.adsproj.bak");
    ASSERT_TRUE(!hasBackup || Slurp(dir_ / "p.adsproj.bak") == oldBytes) << "backup is not the old project";
    ASSERT_TRUE(isOld || hasBackup) << "the new project was written before its backup";
    // A killed writer may leave its temporary file; it is named after the project or its
    // backup and a process id, never the file itself, and the next save removes it.
    for (const auto& name : Strays(dir_))
      EXPECT_TRUE(name.rfind("p.adsproj.tmp.", 0) == 0 || name.rfind("p.adsproj.bak.tmp.", 0) == 0) << name;
  }
  EXPECT_GT(oldSeen, 0);  // kills did land before the rename

  // One save that is not interrupted leaves the new project and no temporary file.
  ASSERT_EQ(platform::RunProgram(setIp), 0);
  EXPECT_TRUE(Slurp(project) == newBytes);
  EXPECT_TRUE(Strays(dir_).empty());
}

}  // namespace
