// The scripted and terminal backends find the controls they act on by their roles in the
// dialog's template and move the focus in the template's order, whatever the ids.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "ScriptedTerminal.h"
#include "platform/DialogSurface.h"
#include "ui/ScriptedDialog.h"
#include "ui/TerminalDialog.h"

namespace {

using platform::ControlKind;
using platform::ControlRole;

// A dialog that records the commands it gets; OK and Cancel end it with their ids.
class RecordingDialog final : public platform::DialogEvents {
 public:
  bool OnInitDialog() override { return true; }
  void OnCommand(int id) override {
    commands.push_back(id);
    if (id == 71 || id == 72) surface->EndDialog(id);
  }
  bool PreTranslateKeyDown(unsigned) override { return false; }
  void OnSize(int, int) override {}

  platform::DialogSurface* surface = nullptr;
  std::vector<int> commands;
};

// Ids unlike the tag dialog's; Cancel comes before OK in the focus order.
platform::DialogTemplate Template() {
  platform::DialogTemplate dialog;
  dialog.units = {200, 100};
  dialog.controls = {
      {40, ControlKind::Edit, ControlRole::SearchEdit, u"", 0, 0, 80, 14},
      {41, ControlKind::Button, ControlRole::FindButton, u"find", 90, 0, 40, 14},
      {42, ControlKind::Button, ControlRole::Import, u"import", 140, 0, 40, 14},
      {72, ControlKind::Button, ControlRole::Cancel, u"cancel", 0, 80, 40, 14},
      {71, ControlKind::DefaultButton, ControlRole::Ok, u"ok", 50, 80, 40, 14},
  };
  return dialog;
}

// The commands the script gave, the end code, and the search edit's text.
std::pair<std::vector<int>, std::string> RunScripted(const std::string& script) {
  hostui::ScriptedUserInterface ui;
  hostui::ScriptedDialogBackend backend(ui, nullptr);
  backend.AddScript(script);
  auto surface = backend.CreateSurface(Template());
  RecordingDialog dialog;
  dialog.surface = surface.get();
  dialog.commands.push_back(surface->RunModal(dialog));
  return {dialog.commands, platform::WideToUtf8(surface->GetText(40))};
}

TEST(TemplateRoles, ScriptedActionsPressTheControlsOfTheirRoles) {
  const struct {
    const char* script;
    std::vector<int> commands;  // then the end code
    std::string searched = "";
  } cases[] = {
      {"ok", {71, 71}},
      {"cancel", {72, 72}},
      {"key enter", {71, 71}},
      {"key escape", {72, 72}},
      {"import\nfind abc\nok", {42, 41, 71, 71}, "abc"},
      {"", {platform::kIdCancel}},  // the end of the script cancels
  };
  for (const auto& c : cases) EXPECT_EQ(RunScripted(c.script), std::make_pair(c.commands, c.searched)) << c.script;
}

TEST(TemplateRoles, TerminalTabFollowsTheTemplateOrder) {
  // From the edit: find, import, Cancel; Shift-Tab from the edit wraps to OK.
  const struct {
    const char* keys;
    int pressed;
  } cases[] = {{"\t ", 41}, {"\t\t ", 42}, {"\t\t\t ", 72}, {"\x1b[Z ", 71}};
  for (const auto& c : cases) {
    hostui_tests::ScriptedTerminal terminal;
    terminal.Keys(c.keys);
    hostui::TerminalDialogBackend backend(terminal);
    auto surface = backend.CreateSurface(Template());
    RecordingDialog dialog;
    dialog.surface = surface.get();
    surface->SetFocus(40);
    surface->RunModal(dialog);
    ASSERT_FALSE(dialog.commands.empty()) << c.keys;
    EXPECT_EQ(dialog.commands.front(), c.pressed) << c.keys;
  }
}

}  // namespace
