// The terminal dialog backend with scripted keys and clicks and captured frames.
#include "ui/TerminalDialog.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "ScriptedTerminal.h"
#include "beckhoff/BeckhoffDeviceCtrl.h"
#include "device/Texts.h"
#include "support/ReadFile.h"
#include "support/ScratchDir.h"

namespace {

namespace fs = std::filesystem;
using hostui_tests::ScriptedTerminal;

class TerminalDialog : public testing::Test {
 protected:
  // Runs the custom command of an ADS device on the terminal with the keys.
  std::vector<std::string> Run(ScriptedTerminal& terminal) {
    hostui::TerminalDialogBackend backend(terminal);
    hostui::TerminalUserInterface ui(terminal);
    platform::SetDialogBackend(&backend);
    platform::SetUserInterface(&ui);
    device_.RunCustomCommand({texts::kTagImport, 0});
    platform::SetDialogBackend(nullptr);
    platform::SetUserInterface(nullptr);
    return device_.Channels().GetChannelNames();
  }
  // Shift-Tab to the import button, Space, the example's path into the file chooser, Enter.
  std::string ImportExample() const { return "\x1b[Z " + example_ + "\r"; }

  std::string example_ = std::string(ADS_SOURCE_DIR) + "/examples/demo.tpy";
  Beckhoff::BeckhoffDeviceCtrl device_;
};

TEST_F(TerminalDialog, ImportBrowseCheckAndConfirmFromTheKeyboard) {
  // Tab three times to the grid; Down to gCounter, Space; MAIN: Home, Right expands, Down to
  // fbMotor, Space; Enter and Escape are swallowed; Tab to OK, Space.
  ScriptedTerminal terminal;
  terminal.Keys(ImportExample() + "\t\t\t\x1b[B \x1b[H\x1b[C\x1b[B \r\x1b\t ");
  EXPECT_EQ(Run(terminal), (std::vector<std::string>{"MAIN.fbMotor.bEnable", "MAIN.fbMotor.bBusy",
                                                     "MAIN.fbMotor.nSpeed", "MAIN.fbMotor.fCurrent", "gCounter"}));
  for (const char* line : {"[x] fbMotor", "- [-] MAIN", "[x] gCounter", "+ [ ] aValues"})
    EXPECT_EQ(terminal.LinesWith(line), 1u) << line;
  // The unselectable TIME member has no check box to show.
  EXPECT_EQ(terminal.LinesWith("    tRamp"), 0u);
}

TEST_F(TerminalDialog, TypingSearchesAndTheLayoutFollowsTheTerminal) {
  // Type into the search field with a correction, Tab to "find next", Space twice; the
  // terminal's end of input cancels the dialog.
  ScriptedTerminal terminal;
  terminal.size = {24, 80};
  terminal.Keys(ImportExample() + "\tfPoz\x7fs\t  ");
  EXPECT_TRUE(Run(terminal).empty());
  EXPECT_EQ(terminal.LinesWith("[fPos "), 1u);
  // The search went to the second result, so both structures with an fPos are expanded.
  EXPECT_EQ(terminal.LinesWith("[ ] fPos "), 2u);
  for (const auto& line : terminal.frames.back()) EXPECT_LE(line.size(), 80u * 3);
}

TEST_F(TerminalDialog, MouseClicksActAndASmallTerminalShowsANotice) {
  // Click the import button and type the path; click MAIN's expand marker, fbMotor's check
  // box, double-click gCounter's row (no effect on the check); shrink the terminal (keys are
  // ignored then), grow it back, click OK.
  ScriptedTerminal terminal;
  terminal.Click(U"[\u6807\u7b7e\u5bfc\u5165]").Keys(example_ + "\r");  // [标签导入]
  terminal.Click(U"+ [ ] MAIN").Click(U"[ ] fbMotor", 1).Click(U"gCounter", 0, 2);
  terminal.Resize({10, 40}).Keys("\t ").Resize({30, 100}).Click(U"[\u786e\u5b9a]");  // [确定]
  EXPECT_EQ(Run(terminal), (std::vector<std::string>{"MAIN.fbMotor.bEnable", "MAIN.fbMotor.bBusy",
                                                     "MAIN.fbMotor.nSpeed", "MAIN.fbMotor.fCurrent"}));
  EXPECT_GT(terminal.LinesEverWith("40x10 < 64x14"), 0u);
}

TEST_F(TerminalDialog, AFileThatCannotBeReadGivesAMessageBoxAndTheDialogGoesOn) {
  ScriptedTerminal terminal;
  // The box's OK is pressed with a click; then the example is imported and gCounter checked.
  terminal.Keys("\x1b[Z /nonexistent/x.tpy\r").Click(U"[ \u786e\u5b9a ]");
  // The focus stayed on the import button.
  terminal.Keys(" " + example_ + "\r\t\t\t\x1b[B \t ");
  EXPECT_EQ(Run(terminal), std::vector<std::string>{"gCounter"});
  EXPECT_EQ(terminal.LinesEverWith("[ \xe7\xa1\xae\xe5\xae\x9a ]"), 1u);
}

class TerminalFileChooser : public testing::Test {
 protected:
  void SetUp() override {
    fs::create_directories(directory_ / "sub");
    for (const char* name : {"Z.tpy", "a.TPY", "sub/b.tpy", "c.txt"}) Store(directory_ / name, "x");
    previous_ = fs::current_path();
    fs::current_path(directory_);
  }
  void TearDown() override { fs::current_path(previous_); }
  std::optional<std::u16string> Choose(ScriptedTerminal& terminal) {
    hostui::TerminalUserInterface ui(terminal);
    return ui.ShowFileDialog({true, u"TPY (*.tpy)|*.tpy||", u"tpy", u"", 0});
  }
  ScratchDir scratch_{"ads-chooser-"};
  const fs::path& directory_ = scratch_.path();
  fs::path previous_;
};

TEST_F(TerminalFileChooser, ListsSymbolFilesWalksDirectoriesAndCancels) {
  // Down past ".." to "sub/", Enter goes in, Left comes back out, End selects the last entry:
  // a.TPY, sorted after Z.tpy (c.txt is not listed). Enter.
  ScriptedTerminal browsed, escaped, cancelled;
  browsed.Keys("\x1b[B\r\x1b[D\x1b[F\r");
  EXPECT_EQ(fs::path(Choose(browsed).value_or(u"")), fs::weakly_canonical(directory_) / "a.TPY");
  EXPECT_GT(browsed.LinesEverWith("b.tpy"), 0u);  // listed inside sub/

  // Escape and the cancel button give no file.
  escaped.Keys("sub\x1b");
  EXPECT_FALSE(Choose(escaped));
  cancelled.Click(U"[\u53d6\u6d88]");  // [取消]
  EXPECT_FALSE(Choose(cancelled));
}

}  // namespace
