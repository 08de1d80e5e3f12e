#include "platform/UserInterface.h"

#include "platform/ProcessServices.h"

namespace platform {
namespace {
UserInterface* g_current = nullptr;

ScriptedUserInterface& DefaultBackend() {
  static ScriptedUserInterface backend;
  return backend;
}
}  // namespace

UserInterface& CurrentUserInterface() {
  if (g_current) return *g_current;
  // A process that loads the module as a host may offer its own dialogs.
  const ProcessUiServices* services = FindProcessUiServices();
  if (services && services->userInterface) return *services->userInterface;
  if (UserInterface* native = NativeUserInterface()) return *native;
  return DefaultBackend();
}

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
