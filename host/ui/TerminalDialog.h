#pragma once
// A dialog backend that draws dialogs full-screen in a text terminal and runs them from the
// keyboard and the mouse. The drawing and the key handling are portable and work on a
// platform::TerminalIo: the process's terminal, or scripted keys in tests.
#include <memory>
#include <optional>
#include <string>

#include "platform/DialogSurface.h"
#include "platform/Terminal.h"
#include "platform/UserInterface.h"

namespace hostui {

// The smallest terminal the tag dialog is drawn in; a smaller one shows a message instead.
inline constexpr platform::TerminalSize kMinimumDialogSize{14, 64};

class TerminalDialogBackend final : public platform::DialogBackend {
 public:
  explicit TerminalDialogBackend(platform::TerminalIo& io) : io_(io) {}
  std::unique_ptr<platform::DialogSurface> CreateSurface(const platform::DialogTemplate& dialogTemplate) override;
  int ScreenPixelsPerInchY() const override { return 96; }

 private:
  platform::TerminalIo& io_;
};

// The file-open dialog as a chooser of the current directory's subdirectories and files of
// the request's pattern, and message boxes as a box over the screen.
class TerminalUserInterface final : public platform::UserInterface {
 public:
  explicit TerminalUserInterface(platform::TerminalIo& io) : io_(io) {}
  std::optional<std::u16string> ShowFileDialog(const platform::FileDialogRequest& request) override;
  void ShowMessageBox(const std::u16string& text, platform::MessageBoxIcon icon) override;

 private:
  platform::TerminalIo& io_;
};

}  // namespace hostui
