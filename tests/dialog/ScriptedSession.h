#pragma once
// The scripted dialog backend and user interface installed for one test; the backend's lines
// are collected in `out`, the message boxes by the user interface.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "TagSeletList.h"
#include "ui/ScriptedDialog.h"
#include "platform/UserInterface.h"

namespace dialog_tests {

struct ScriptedSession {
  std::vector<std::string> out;
  hostui::ScriptedUserInterface ui;
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
