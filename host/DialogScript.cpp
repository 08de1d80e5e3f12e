#include "DialogScript.h"

#include "platform/ScriptedDialog.h"

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
  platform::ScriptedDialogBackend backend_;
};

}  // namespace

std::unique_ptr<DialogScript> InstallDialogScript(const std::vector<std::string>& lines, LineSink output,
                                                  std::string& /*error*/) {
  return std::make_unique<InstalledScript>(lines, std::move(output));
}

}  // namespace adshost
