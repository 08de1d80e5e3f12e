#include "platform/UserInterface.h"

#include "platform/ProcessServices.h"

namespace platform {
namespace {

// Where no one can answer: every file dialog is cancelled, every message goes unseen.
class AbsentUserInterface final : public UserInterface {
 public:
  std::optional<std::u16string> ShowFileDialog(const FileDialogRequest&) override { return std::nullopt; }
  void ShowMessageBox(const std::u16string&, MessageBoxIcon) override {}
};

UserInterface* g_current = nullptr;

}  // namespace

UserInterface& CurrentUserInterface() {
  static AbsentUserInterface absent;
  if (g_current) return *g_current;
  // A process that loads the module as a host may offer its own dialogs.
  const ProcessUiServices* services = FindProcessUiServices();
  if (services && services->userInterface) return *services->userInterface;
  if (UserInterface* native = NativeUserInterface()) return *native;
  return absent;
}

void SetUserInterface(UserInterface* backend) { g_current = backend; }

}  // namespace platform
