#pragma once
// Modal user-interface services that the framework asks of the platform: the file-open
// dialog and message boxes. One backend is current at a time; the scripted backend answers
// from a script and records what it was asked, for tests and the host's batch mode.
#include <cstdint>
#include <deque>
#include <optional>
#include <string>
#include <vector>

namespace platform {

struct FileDialogRequest {
  bool openMode = true;
  std::u16string filter;            // "description|pattern|...||"
  std::u16string defaultExtension;
  std::u16string initialFileName;
  uint32_t options = 0;             // kHideReadOnly | kOverwritePrompt
};

inline constexpr uint32_t kHideReadOnly = 0x00000004;
inline constexpr uint32_t kOverwritePrompt = 0x00000002;

enum class MessageBoxIcon { None, Stop };

class UserInterface {
 public:
  virtual ~UserInterface() = default;
  // Shows the file dialog; the chosen full path, or nothing when the user cancelled.
  virtual std::optional<std::u16string> ShowFileDialog(const FileDialogRequest& request) = 0;
  // Shows a modal message box with only an OK button.
  virtual void ShowMessageBox(const std::u16string& text, MessageBoxIcon icon) = 0;
};

// The current backend; never null. The default: the process's services, else the native
// dialogs, else a scripted backend with an empty script.
UserInterface& CurrentUserInterface();
// Installs a backend (not owned); null restores the default.
void SetUserInterface(UserInterface* backend);
// The window system's own dialogs; null on a platform without them.
UserInterface* NativeUserInterface();

class ScriptedUserInterface : public UserInterface {
 public:
  struct MessageRecord {
    std::u16string text;
    MessageBoxIcon icon;
  };

  // Queues the answer of the next file dialog: a path, or nothing for a cancel. A dialog
  // with no queued answer is cancelled.
  void QueueFileAnswer(std::optional<std::u16string> path) { fileAnswers_.push_back(std::move(path)); }

  std::optional<std::u16string> ShowFileDialog(const FileDialogRequest& request) override;
  void ShowMessageBox(const std::u16string& text, MessageBoxIcon icon) override;

  const std::vector<FileDialogRequest>& fileRequests() const { return fileRequests_; }
  const std::vector<MessageRecord>& messages() const { return messages_; }
  void ClearRecords() {
    fileRequests_.clear();
    messages_.clear();
  }

 private:
  std::deque<std::optional<std::u16string>> fileAnswers_;
  std::vector<FileDialogRequest> fileRequests_;
  std::vector<MessageRecord> messages_;
};

}  // namespace platform
