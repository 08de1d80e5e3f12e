#include "DialogScript.h"

#include "platform/Terminal.h"
#include "platform/UserInterface.h"
#include "ui/ScriptedDialog.h"
#include "ui/TerminalDialog.h"

namespace adshost {
namespace {

// Offers the scripted backend to the module through the host's services while it lives.
class InstalledScript final : public DialogScript {
 public:
  InstalledScript(const std::vector<std::string>& lines, LineSink output) : backend_(HostUi(), std::move(output)) {
    for (const auto& line : lines) backend_.AddScript(line);
    HostServices().dialogBackend = &backend_;
  }
  ~InstalledScript() override { HostServices().dialogBackend = nullptr; }
  InstalledScript(const InstalledScript&) = delete;
  InstalledScript& operator=(const InstalledScript&) = delete;

 private:
  hostui::ScriptedDialogBackend backend_;
};

// Offers the terminal's dialogs and prompts to the module while it lives.
class InstalledTerminal final : public DialogScript {
 public:
  explicit InstalledTerminal(std::unique_ptr<platform::TerminalIo> io)
      : io_(std::move(io)), backend_(*io_), ui_(*io_), previousUi_(HostServices().userInterface) {
    HostServices().dialogBackend = &backend_;
    HostServices().userInterface = &ui_;
  }
  ~InstalledTerminal() override {
    HostServices().dialogBackend = nullptr;
    HostServices().userInterface = previousUi_;
  }
  InstalledTerminal(const InstalledTerminal&) = delete;
  InstalledTerminal& operator=(const InstalledTerminal&) = delete;

 private:
  std::unique_ptr<platform::TerminalIo> io_;
  hostui::TerminalDialogBackend backend_;
  hostui::TerminalUserInterface ui_;
  platform::UserInterface* previousUi_;
};

}  // namespace

std::unique_ptr<DialogScript> InstallInteractiveDialog(std::string& error) {
  // With a window system the module shows its own dialog windows: nothing to install.
  if (platform::NativeUserInterface()) return std::make_unique<DialogScript>();
  auto io = platform::OpenTerminal(error);
  if (!io) return nullptr;
  return std::make_unique<InstalledTerminal>(std::move(io));
}

std::unique_ptr<DialogScript> InstallDialogScript(const std::vector<std::string>& lines, LineSink output,
                                                  std::string& /*error*/) {
  return std::make_unique<InstalledScript>(lines, std::move(output));
}

}  // namespace adshost
