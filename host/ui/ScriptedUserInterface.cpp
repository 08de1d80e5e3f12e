#include "ui/ScriptedUserInterface.h"

namespace hostui {

std::optional<std::u16string> ScriptedUserInterface::ShowFileDialog(const platform::FileDialogRequest& request) {
  fileRequests_.push_back(request);
  if (fileAnswers_.empty()) return std::nullopt;
  auto answer = std::move(fileAnswers_.front());
  fileAnswers_.pop_front();
  return answer;
}

void ScriptedUserInterface::ShowMessageBox(const std::u16string& text, platform::MessageBoxIcon icon) {
  messages_.push_back({text, icon});
}

}  // namespace hostui
