#pragma once
// A user interface that answers file dialogs from a queue and records every request and
// message box, for tests and the host's batch mode.
#include <deque>
#include <optional>
#include <string>
#include <vector>

#include "platform/UserInterface.h"

namespace hostui {

class ScriptedUserInterface : public platform::UserInterface {
 public:
  struct MessageRecord {
    std::u16string text;
    platform::MessageBoxIcon icon;
  };

  // Queues the answer of the next file dialog: a path, or nothing for a cancel. A dialog
  // with no queued answer is cancelled.
  void QueueFileAnswer(std::optional<std::u16string> path) { fileAnswers_.push_back(std::move(path)); }

  std::optional<std::u16string> ShowFileDialog(const platform::FileDialogRequest& request) override;
  void ShowMessageBox(const std::u16string& text, platform::MessageBoxIcon icon) override;

  const std::vector<platform::FileDialogRequest>& fileRequests() const { return fileRequests_; }
  const std::vector<MessageRecord>& messages() const { return messages_; }
  void ClearRecords() {
    fileRequests_.clear();
    messages_.clear();
  }

 private:
  std::deque<std::optional<std::u16string>> fileAnswers_;
  std::vector<platform::FileDialogRequest> fileRequests_;
  std::vector<MessageRecord> messages_;
};

}  // namespace hostui
