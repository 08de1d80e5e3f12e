// The tag import command and the selection dialog as the custom command runs them, with the
// scripted dialog and file dialog standing in for the user.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <stdexcept>
#include <string>
#include <tuple>
#include <vector>

#include "beckhoff/BeckhoffDeviceCtrl.h"
#include "dialog/ScriptedSession.h"
#include "device/Texts.h"
#include "ui/ScriptedDialog.h"
#include "platform/Text.h"
#include "platform/UserInterface.h"

namespace {

using Beckhoff::BeckhoffDeviceCtrl;

std::string Example(const char* name) { return std::string(ADS_SOURCE_DIR) + "/examples/" + name; }

class SelectTags : public testing::Test {
 protected:
  // Runs the custom command "标签导入" with the given script lines.
  bool Run(const std::string& script) {
    backend_.AddScript(script);
    return device_.RunCustomCommand({texts::kTagImport, 0});
  }
  std::vector<std::string> Channels() { return device_.Channels().GetChannelNames(); }
  std::vector<std::u16string> Messages() const {
    std::vector<std::u16string> texts;
    for (const auto& message : ui_.messages()) texts.push_back(message.text);
    return texts;
  }

  dialog_tests::ScriptedSession session_;
  hostui::ScriptedUserInterface& ui_ = session_.ui;
  hostui::ScriptedDialogBackend& backend_ = session_.backend;
  BeckhoffDeviceCtrl device_;
};

// Picking in row order is checked through the host program.
TEST_F(SelectTags, ImportAsksForATpyFileAndTheNextRunStartsWithTheChannelsChecked) {
  ASSERT_TRUE(Run("import " + Example("demo.tpy") + "\nclick gCounter\nclick MAIN.aValues[3]\nok\n"));
  ASSERT_EQ(ui_.fileRequests().size(), 1u);
  const auto& r = ui_.fileRequests()[0];
  EXPECT_EQ(std::tie(r.openMode, r.filter, r.defaultExtension, r.initialFileName, r.options),
            std::make_tuple(true, u"tpy(*.tpy)|*.tpy||", u"tpy(*.tpy)|*.tpy", u"", platform::kHideReadOnly | platform::kOverwritePrompt));
  ASSERT_TRUE(Run("ok\n"));  // OK alone keeps the channels
  EXPECT_EQ(Channels(), (std::vector<std::string>{"MAIN.aValues[3]", "gCounter"}));
}

TEST_F(SelectTags, FailedImportsKeepTheTreeAndTellTheUser) {
  const std::u16string openFailed = platform::AnsiToWide(texts::kOpenTagFileFailed);
  // A cancelled file dialog: no message, no tree.
  ASSERT_TRUE(Run("import\ncancel\n"));
  EXPECT_EQ(std::make_tuple(Messages().size(), device_.GetTagTree()), std::make_tuple(0u, nullptr));

  // An empty path asks for a file. It is queued ahead of the script's own (cancelling) answer,
  // which is used up afterwards.
  ui_.QueueFileAnswer(std::u16string());
  ASSERT_TRUE(Run("import\ncancel\n"));
  EXPECT_FALSE(ui_.ShowFileDialog({}));
  ASSERT_EQ(Messages(), std::vector<std::u16string>{platform::AnsiToWide(texts::kChooseTpyFile)});
  EXPECT_EQ(ui_.messages()[0].icon, platform::MessageBoxIcon::None);
  ui_.ClearRecords();

  // Success, then a second file replaces the tree, then a failure keeps the second tree in the
  // device and in the open dialog.
  ASSERT_TRUE(Run("import " + Example("demo.tpy") + "\nimport " + Example("demo_gbk.tpy") +
                  "\nimport /no/such/file.tpy\nclick gAlarm\nclick gCounter\nok\n"));
  EXPECT_EQ(Messages(), std::vector<std::u16string>{openFailed});
  EXPECT_EQ(Channels(), std::vector<std::string>{"gAlarm"});
  EXPECT_EQ(device_.FindTag("gCounter"), nullptr);
  EXPECT_NE(device_.FindTag("PRG_Station.aPumps[4].bRun"), nullptr);
}

TEST_F(SelectTags, OnlyTheExactCommandOpensTheDialog) {
  device_.Channels().AddChannel({"A"});
  backend_.AddScript("ok");  // would empty the channels if the dialog opened
  EXPECT_TRUE(device_.RunCustomCommand({texts::kTagImport, 1}));
  EXPECT_TRUE(device_.RunCustomCommand({std::string(texts::kTagImport) + "x", 0}));
  EXPECT_EQ(Channels(), std::vector<std::string>{"A"});
}

// A window system that fails while the dialog opens.
class ThrowingBackend final : public platform::DialogBackend {
 public:
  std::unique_ptr<platform::DialogSurface> CreateSurface(const platform::DialogTemplate&) override {
    throw std::runtime_error("no window");
  }
  int ScreenPixelsPerInchY() const override { return 96; }
};

TEST_F(SelectTags, AnExceptionInsideTheDialogIsCaughtByTheCommand) {
  ThrowingBackend failing;
  platform::SetDialogBackend(&failing);
  EXPECT_FALSE(device_.RunCustomCommand({texts::kTagImport, 0}));
  platform::SetDialogBackend(&backend_);
}

TEST_F(SelectTags, ATreeTooLargeIsRefusedAndThePreviousTreeStays) {
  // One array of 30 million elements.
  const auto big = std::filesystem::temp_directory_path() / "ads_array_30000000.tpy";
  std::ofstream(big) << "<?xml version=\"1.0\"?><PlcProjectInfo><DataTypes><DataType><Name>A</Name><Type>INT</Type>"
                        "<ArrayInfo><LBound>0</LBound><Elements>30000000</Elements></ArrayInfo></DataType>"
                        "</DataTypes><Symbols><Symbol><Name>MAIN.big</Name><Type>A</Type></Symbol></Symbols>"
                        "</PlcProjectInfo>";
  ASSERT_TRUE(Run("import " + Example("demo.tpy") + "\nimport " + big.string() + "\nclick gCounter\nok\n"));
  std::filesystem::remove(big);
  EXPECT_EQ(Messages(), std::vector<std::u16string>{platform::AnsiToWide(texts::kTagTreeTooLarge)});
  EXPECT_EQ(Channels(), std::vector<std::string>{"gCounter"});
  EXPECT_EQ(device_.FindTag("MAIN.big[0]"), nullptr);
}

}  // namespace
