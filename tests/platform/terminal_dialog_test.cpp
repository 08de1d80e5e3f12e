// The terminal dialog backend with scripted keys and captured frames.
#include "platform/TerminalDialog.h"

#include <gtest/gtest.h>

#include <deque>
#include <regex>
#include <string>
#include <vector>

#include "TagSeletList.h"
#include "beckhoff/BeckhoffDeviceCtrl.h"
#include "device/Texts.h"
#include "platform/Text.h"

namespace {

using platform::TerminalKey;

class ScriptedTerminal final : public platform::TerminalIo {
 public:
  explicit ScriptedTerminal(std::string keys) {
    for (const auto& key : platform::DecodeTerminalKeys(keys)) keys_.push_back(key);
  }
  platform::TerminalSize Size() const override { return size; }
  std::optional<TerminalKey> ReadKey() override {
    if (keys_.empty()) return std::nullopt;
    TerminalKey key = keys_.front();
    keys_.pop_front();
    return key;
  }
  void Draw(const std::vector<std::string>& lines) override {
    std::vector<std::string> plain;
    for (const auto& line : lines) plain.push_back(std::regex_replace(line, std::regex("\x1b\\[[0-9;]*m"), ""));
    frames.push_back(plain);
  }
  // The last frame's lines that contain the text.
  std::vector<std::string> LinesWith(const std::string& text) const {
    std::vector<std::string> found;
    for (const auto& line : frames.back())
      if (line.find(text) != std::string::npos) found.push_back(line);
    return found;
  }

  platform::TerminalSize size{30, 100};
  std::vector<std::vector<std::string>> frames;

 private:
  std::deque<TerminalKey> keys_;
};

TEST(TerminalKeys, SequencesAndTextDecode) {
  const auto keys = platform::DecodeTerminalKeys("\x1b[A\x1b[B\x1bOC\x1b[D\x1b[5~\x1b[6~\x1b[H\x1b[4~\x1b[Z\t\r\x7f\x1b"
                                                 "a\xe6\xa0\x87\xff\x1b[99x");
  const std::vector<TerminalKey::Kind> kinds{TerminalKey::Up,     TerminalKey::Down,     TerminalKey::Right,
                                             TerminalKey::Left,   TerminalKey::PageUp,   TerminalKey::PageDown,
                                             TerminalKey::Home,   TerminalKey::End,      TerminalKey::BackTab,
                                             TerminalKey::Tab,    TerminalKey::Enter,    TerminalKey::Backspace,
                                             TerminalKey::Escape, TerminalKey::Char,     TerminalKey::Char,
                                             TerminalKey::Char};
  ASSERT_EQ(keys.size(), kinds.size());
  for (size_t i = 0; i < kinds.size(); ++i) EXPECT_EQ(keys[i].kind, kinds[i]) << i;
  EXPECT_EQ(keys[13].ch, U'a');
  EXPECT_EQ(keys[14].ch, U'\u6807');
  EXPECT_EQ(keys[15].ch, U'\uFFFD');
}

TEST(TerminalText, WideCharactersTakeTwoColumnsAndAreCutNotWrapped) {
  EXPECT_EQ(platform::TerminalCellWidth(U'a'), 1);
  EXPECT_EQ(platform::TerminalCellWidth(U'\u6807'), 2);
  EXPECT_EQ(platform::FitToColumns(u"ab", 4), "ab  ");
  EXPECT_EQ(platform::FitToColumns(u"\u6807\u7b7e", 3), "\xe6\xa0\x87 ");  // the second one does not fit
  EXPECT_EQ(platform::FitToColumns(u"abcdef", 3), "abc");
}

class TerminalDialog : public testing::Test {
 protected:
  // Runs the custom command of an ADS device on the terminal with the keys.
  std::vector<std::string> Run(ScriptedTerminal& terminal) {
    platform::TerminalDialogBackend backend(terminal);
    platform::TerminalUserInterface ui(terminal);
    platform::SetDialogBackend(&backend);
    platform::SetUserInterface(&ui);
    device_.RunCustomCommand({texts::kTagImport, 0});
    platform::SetDialogBackend(nullptr);
    platform::SetUserInterface(nullptr);
    return device_.Channels().GetChannelNames();
  }
  std::string example_ = std::string(ADS_SOURCE_DIR) + "/examples/demo.tpy";
  Beckhoff::BeckhoffDeviceCtrl device_;
};

TEST_F(TerminalDialog, ImportBrowseCheckAndConfirmFromTheKeyboard) {
  // Shift-Tab from the search field to the import button, Space, the path, Enter; Tab three
  // times to the grid; Down to gCounter, Space; MAIN: Home, Right expands, Down to fbMotor, Space; Enter
  // and Escape are swallowed; Tab to OK, Space.
  ScriptedTerminal terminal("\x1b[Z " + example_ + "\r\t\t\t\x1b[B \x1b[H\x1b[C\x1b[B \r\x1b\t ");
  EXPECT_EQ(Run(terminal), (std::vector<std::string>{"MAIN.fbMotor.bEnable", "MAIN.fbMotor.bBusy",
                                                     "MAIN.fbMotor.nSpeed", "MAIN.fbMotor.fCurrent", "gCounter"}));
  const auto& frame = terminal.frames.back();
  ASSERT_EQ(frame.size(), 30u);
  EXPECT_NE(frame[0].find("\xe6\xa0\x87\xe7\xad\xbe\xe9\x80\x89\xe6\x8b\xa9"), std::string::npos);  // 标签选择
  EXPECT_EQ(terminal.LinesWith("[x] fbMotor").size(), 1u);
  EXPECT_EQ(terminal.LinesWith("- [-] MAIN").size(), 1u);
  EXPECT_EQ(terminal.LinesWith("[x] gCounter").size(), 1u);
  EXPECT_EQ(terminal.LinesWith("+ [ ] aValues").size(), 1u);
  // The unselectable TIME member has no check box to show.
  EXPECT_EQ(terminal.LinesWith("    tRamp").size(), 0u);
}

TEST_F(TerminalDialog, UncheckingOneMemberOfACheckedStructureKeepsTheOthers) {
  // Import; Tab three times to the grid; Right expands MAIN, Down to fbMotor, Space checks it;
  // Right expands it, Down to bEnable, Space unchecks it; Tab to OK, Space.
  ScriptedTerminal terminal("\x1b[Z " + example_ + "\r\t\t\t\x1b[C\x1b[B \x1b[C\x1b[B \t ");
  EXPECT_EQ(Run(terminal),
            (std::vector<std::string>{"MAIN.fbMotor.bBusy", "MAIN.fbMotor.nSpeed", "MAIN.fbMotor.fCurrent"}));
  EXPECT_EQ(terminal.LinesWith("- [-] MAIN").size(), 1u);
  EXPECT_EQ(terminal.LinesWith("- [-] fbMotor").size(), 1u);
  EXPECT_EQ(terminal.LinesWith("[ ] bEnable").size(), 1u);
  EXPECT_EQ(terminal.LinesWith("[x] bBusy").size(), 1u);
}

TEST_F(TerminalDialog, TypingSearchesAndTheLayoutFollowsTheTerminal) {
  // Type into the search field, Tab to "find next", Space twice; Escape in the file prompt
  // cancels; the terminal's end of input cancels the dialog.
  ScriptedTerminal terminal("\x1b[Z " + example_ + "\r\tfPoz\x7fs\t  ");
  terminal.size = {24, 80};
  EXPECT_TRUE(Run(terminal).empty());
  EXPECT_EQ(terminal.LinesWith("[fPos").size(), 1u);
  // The second result is selected: its structure is expanded.
  EXPECT_EQ(terminal.LinesWith("fPos ").size(), 2u);
  for (const auto& line : terminal.frames.back()) EXPECT_LE(line.size(), 80u * 3);
}

}  // namespace
