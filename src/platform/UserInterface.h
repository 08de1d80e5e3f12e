#pragma once
// Modal user-interface services that the framework asks of the platform: the file-open
// dialog and message boxes. One backend is current at a time.
#include <cstdint>
#include <optional>
#include <string>

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
// dialogs, else one that cancels every file dialog and drops every message.
UserInterface& CurrentUserInterface();
// Installs a backend (not owned); null restores the default.
void SetUserInterface(UserInterface* backend);
// The window system's own dialogs; null on a platform without them.
UserInterface* NativeUserInterface();

}  // namespace platform
