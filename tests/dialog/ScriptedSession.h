#pragma once
// The scripted dialog backend and user interface installed for one test. The backend's lines
// and every message box (printed as the host prints it) are collected in `out`.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "TagSeletList.h"
#include "ui/ScriptedDialog.h"
#include "platform/Text.h"
#include "platform/UserInterface.h"

namespace dialog_tests {

class PrintingUi final : public hostui::ScriptedUserInterface {
 public:
  explicit PrintingUi(std::vector<std::string>& out) : out_(out) {}
  void ShowMessageBox(const std::u16string& text, platform::MessageBoxIcon icon) override {
    ScriptedUserInterface::ShowMessageBox(text, icon);
    out_.push_back("MESSAGE\t" + platform::WideToUtf8(text));
  }

 private:
  std::vector<std::string>& out_;
};

struct ScriptedSession {
  std::vector<std::string> out;
  PrintingUi ui{out};
  hostui::ScriptedDialogBackend backend{ui, [this](const std::string& line) { out.push_back(line); }};
  explicit ScriptedSession(int ppi = 96) {
    backend.SetScreenPixelsPerInchY(ppi);
    platform::SetDialogBackend(&backend);
    platform::SetUserInterface(&ui);
  }
  ~ScriptedSession() {
    platform::SetDialogBackend(nullptr);
    platform::SetUserInterface(nullptr);
  }
  ScriptedSession(const ScriptedSession&) = delete;
  ScriptedSession& operator=(const ScriptedSession&) = delete;

  // Runs the selector's dialog over `script`; the lines it printed.
  std::vector<std::string> Run(DEVICE::CDevSelectTag& selector, const std::string& script, bool expectOk = true) {
    out.clear();
    backend.AddScript(script);
    EXPECT_EQ(selector.DoModal(), expectOk);
    return out;
  }
};

}  // namespace dialog_tests
