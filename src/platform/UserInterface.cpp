#include "platform/UserInterface.h"

namespace platform {
namespace {
UserInterface* g_current = nullptr;

ScriptedUserInterface& DefaultBackend() {
  static ScriptedUserInterface backend;
  return backend;
}
}  // namespace

UserInterface& CurrentUserInterface() { return g_current ? *g_current : DefaultBackend(); }

void SetUserInterface(UserInterface* backend) { g_current = backend; }

std::optional<std::u16string> ScriptedUserInterface::ShowFileDialog(const FileDialogRequest& request) {
  fileRequests_.push_back(request);
  if (fileAnswers_.empty()) return std::nullopt;
  auto answer = std::move(fileAnswers_.front());
  fileAnswers_.pop_front();
  return answer;
}

void ScriptedUserInterface::ShowMessageBox(const std::u16string& text, MessageBoxIcon icon) {
  messages_.push_back({text, icon});
}

}  // namespace platform
