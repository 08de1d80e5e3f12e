// The tag dialog in a real terminal: adshost runs inside tmux, the test sends keys and reads
// the screen. What the keys do in the dialog is checked on a scripted terminal (tests/hostui);
// here, that the curses terminal carries keys, frames, resizes and signals. Skipped without tmux.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <string>
#include <thread>

#include "support/HostSession.h"

namespace {

namespace fs = std::filesystem;

class TerminalSession : public HostSession {
 protected:
  void SetUp() override {
    if (std::system("tmux -V >/dev/null 2>&1") != 0) GTEST_SKIP() << "no tmux";
    fs::copy_file(example_, dir_ / "demo.tpy");  // the file chooser lists the host's directory
    tmux_ = "tmux -L " + dir_.filename().string() + " ";
    // adshost select in a terminal of 100 x 30; the shell that runs it writes its exit status
    // to "status" (whole, by a rename, so that it is never read half written) and stays, so
    // the screen can be read afterwards.
    const std::string host =
        std::string(ADS_HOST_PATH) + " --project p.adsproj select; echo \\$? > status.part; mv status.part status; sleep 600";
    ASSERT_EQ(Shell(tmux_ + "new-session -d -s t -x 100 -y 30 -c '" + dir_.string() + "' \"" + host + "\""), 0);
    Shell(tmux_ + "set-option -g window-size manual >/dev/null 2>&1");
    ASSERT_TRUE(WaitFor("\xe6\xa0\x87\xe7\xad\xbe\xe9\x80\x89\xe6\x8b\xa9")) << Screen();  // 标签选择
  }
  void TearDown() override {
    if (!tmux_.empty()) Shell(tmux_ + "kill-server 2>/dev/null");
  }

  static int Shell(const std::string& command) { return std::system(command.c_str()); }

  // tmux key names ("Tab", "BTab", "Space", "Down", ...), separated by spaces.
  void Keys(const std::string& keys) { ASSERT_EQ(Shell(tmux_ + "send-keys -t t " + keys), 0); }

  std::string Query(const std::string& command) {
    const fs::path out = dir_ / "screen";
    Shell(tmux_ + command + " > '" + out.string() + "' 2>/dev/null");
    return Slurp(out);
  }
  std::string Screen() { return Query("capture-pane -p -t t"); }

  // Waits until the screen shows the text (the host works through the keys at its own pace).
  bool WaitFor(const std::string& text) {
    for (int i = 0; i < 400; ++i, std::this_thread::sleep_for(std::chrono::milliseconds(50)))
      if (Screen().find(text) != std::string::npos) return true;
    return false;
  }
  // The exit status of the host, once it has ended.
  std::string Status() {
    for (int i = 0; i < 400 && !fs::exists(dir_ / "status"); ++i)
      std::this_thread::sleep_for(std::chrono::milliseconds(50));
    return Slurp(dir_ / "status");
  }

  std::string tmux_;
};

TEST_F(TerminalSession, KeysReachTheDialogAndTheChoiceIsSaved) {
  // Shift-Tab to the import button; the chooser lists ".." and the symbol file.
  Keys("BTab Space");
  ASSERT_TRUE(WaitFor("demo.tpy")) << Screen();
  Keys("Down Enter");
  ASSERT_TRUE(WaitFor("+ [ ] MAIN")) << Screen();
  // To the grid: expand MAIN, check fbMotor, check the last row gCounter; Tab to OK, Space.
  Keys("Tab Tab Tab Right Down Space End Space");
  ASSERT_TRUE(WaitFor("[x] gCounter")) << Screen();
  Keys("Tab Space");
  EXPECT_EQ(Status(), "0\n") << Screen();
  Expect("p.adsproj", {{{"channels"}, 0, "index…\n…\tMAIN.fbMotor.bEnable\t⋮\tMAIN.fbMotor.fCurrent\t…\n…\tgCounter\t…\n"}});
}

TEST_F(TerminalSession, ASmallTerminalShowsANoticeAndASignalRestoresTheTerminal) {
  Shell(tmux_ + "resize-window -t t -x 50 -y 10");
  EXPECT_TRUE(WaitFor("\xe7\xbb\x88\xe7\xab\xaf\xe5\xa4\xaa\xe5\xb0\x8f")) << Screen();  // 终端太小
  Shell(tmux_ + "resize-window -t t -x 100 -y 30");
  EXPECT_TRUE(WaitFor("[\xe7\xa1\xae\xe5\xae\x9a]")) << Screen();  // [确定]
  // Killed while the dialog is open: the terminal leaves the dialog's screen, and nothing
  // was saved.
  std::string shell = Query("display-message -p -t t '#{pane_pid}'");
  shell.erase(shell.find_last_not_of('\n') + 1);
  const std::string host = Slurp("/proc/" + shell + "/task/" + shell + "/children");
  ASSERT_FALSE(host.empty());
  ASSERT_EQ(Shell("kill -TERM " + host), 0);
  EXPECT_EQ(Status(), "143\n") << Screen();
  EXPECT_EQ(Screen().find("[\xe7\xa1\xae\xe5\xae\x9a]"), std::string::npos) << Screen();  // the dialog's screen left
  EXPECT_FALSE(fs::exists(dir_ / "p.adsproj"));
}

}  // namespace
