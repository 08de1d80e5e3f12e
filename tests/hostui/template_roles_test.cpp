// The scripted and terminal backends find the controls they act on by their roles in the
// dialog's template and move the focus in the template's order, whatever the ids.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "ScriptedTerminal.h"
#include "platform/DialogSurface.h"
#include "platform/Text.h"
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

// Runs a dialog on the backend with the focus in its search edit, whose ids are unlike the tag
// dialog's and whose Cancel comes before OK in the focus order. Gives the commands, the end
// code, and the search edit's text.
std::pair<std::vector<int>, std::string> RunOn(platform::DialogBackend& backend) {
  platform::DialogTemplate dialog;
  dialog.units = {200, 100};
  dialog.controls = {
      {40, ControlKind::Edit, ControlRole::SearchEdit, u"", 0, 0, 80, 14},
      {41, ControlKind::Button, ControlRole::FindButton, u"find", 90, 0, 40, 14},
      {42, ControlKind::Button, ControlRole::Import, u"import", 140, 0, 40, 14},
      {72, ControlKind::Button, ControlRole::Cancel, u"cancel", 0, 80, 40, 14},
      {71, ControlKind::DefaultButton, ControlRole::Ok, u"ok", 50, 80, 40, 14},
  };
  auto surface = backend.CreateSurface(dialog);
  RecordingDialog events;
  events.surface = surface.get();
  surface->SetFocus(40);
  events.commands.push_back(surface->RunModal(events));
  return {events.commands, platform::WideToUtf8(surface->GetText(40))};
}

struct RoleCase {
  const char* input;
  std::vector<int> commands;  // then the end code
  std::string searched = "";
};

TEST(TemplateRoles, ScriptedActionsPressTheControlsOfTheirRoles) {
  // The end of the script cancels.
  const RoleCase cases[] = {{"ok", {71, 71}},         {"cancel", {72, 72}}, {"key enter", {71, 71}},
                            {"key escape", {72, 72}}, {"", {platform::kIdCancel}},
                            {"import\nfind abc\nok", {42, 41, 71, 71}, "abc"}};
  for (const auto& c : cases) {
    hostui::ScriptedUserInterface ui;
    hostui::ScriptedDialogBackend backend(ui, nullptr);
    backend.AddScript(c.input);
    EXPECT_EQ(RunOn(backend), std::make_pair(c.commands, c.searched)) << c.input;
  }
}

TEST(TemplateRoles, TerminalTabFollowsTheTemplateOrder) {
  // From the edit: find, (import,) Cancel; Shift-Tab from the edit wraps to OK. The end of the
  // keys cancels.
  const RoleCase cases[] = {{"\t ", {41, platform::kIdCancel}}, {"\t\t\t ", {72, 72}}, {"\x1b[Z ", {71, 71}}};
  for (const auto& c : cases) {
    hostui_tests::ScriptedTerminal terminal;
    terminal.Keys(c.input);
    hostui::TerminalDialogBackend backend(terminal);
    EXPECT_EQ(RunOn(backend), std::make_pair(c.commands, c.searched)) << c.input;
  }
}

}  // namespace
