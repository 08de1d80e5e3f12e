#include "DialogProbe.h"

#include <cstddef>

#include "HostUi.h"
#include "ui/RecordedControls.h"
#include "ui/ScriptedUserInterface.h"

namespace adshost {
namespace {

// One dialog window without a screen: controls are plain records, the steps are its user.
class ProbeSurface final : public hostui::RecordedControlsSurface, public ProbeDialog {
 public:
  ProbeSurface(const platform::DialogTemplate& dialogTemplate, hostui::ScriptedUserInterface& ui,
               const std::function<void(ProbeDialog&)>& steps)
      : RecordedControlsSurface(dialogTemplate), template_(dialogTemplate), ui_(ui), steps_(steps) {}

  int RunModal(platform::DialogEvents& events) override {
    events_ = &events;
    events.OnInitDialog();
    if (!ended_) steps_(*this);
    if (!ended_) Cancel();
    events_ = nullptr;
    return endCode_;
  }
  void EndDialog(int code) override {
    ended_ = true;
    endCode_ = code;
  }

  void SetFocus(int) override {}
  platform::Rect GetWindowRect() const override { return {0, 0, client_.cx, client_.cy}; }
  void SetWindowSize(int, int) override {}
  platform::Size GetClientSize() const override { return client_; }
  void ShowMessageBox(const std::u16string& text, platform::MessageBoxIcon icon) override {
    ui_.ShowMessageBox(text, icon);
  }
  int ScreenPixelsPerInchY() const override { return 96; }
  void CreateFont(const platform::FontRequest&) override {}
  void AttachGrid(int id, grid::GridView* grid) override {
    if (HasControl(id)) grid_ = grid;
  }

  grid::GridView* Grid() override { return grid_; }
  // Presses the button with the role; false when the dialog has none or it cannot be pressed now.
  bool Press(platform::ControlRole role) {
    const int id = template_.ControlId(role);
    if (ended_ || !Usable(id)) return false;
    events_->OnCommand(id);
    return true;
  }
  std::vector<std::u16string> Import(const std::u16string& path) override {
    const size_t shown = ui_.messages().size();
    ui_.QueueFileAnswer(path);
    Press(platform::ControlRole::Import);
    std::vector<std::u16string> shownSince;
    for (size_t i = shown; i < ui_.messages().size(); ++i) shownSince.push_back(ui_.messages()[i].text);
    return shownSince;
  }
  void Find(const std::u16string& text) override {
    SetText(template_.ControlId(platform::ControlRole::SearchEdit), text);
    Press(platform::ControlRole::FindButton);
  }
  void Ok() override { Press(platform::ControlRole::Ok); }
  void Cancel() override {
    if (!Press(platform::ControlRole::Cancel)) EndDialog(platform::kIdCancel);
  }

 private:
  const platform::DialogTemplate template_;
  hostui::ScriptedUserInterface& ui_;
  const std::function<void(ProbeDialog&)>& steps_;
  platform::Size client_{800, 600};
  platform::DialogEvents* events_ = nullptr;
  grid::GridView* grid_ = nullptr;
  bool ended_ = false;
  int endCode_ = platform::kIdCancel;
};

class ProbeBackend final : public platform::DialogBackend {
 public:
  explicit ProbeBackend(const std::function<void(ProbeDialog&)>& steps) : steps_(steps) {}
  std::unique_ptr<platform::DialogSurface> CreateSurface(const platform::DialogTemplate& dialogTemplate) override {
    return std::make_unique<ProbeSurface>(dialogTemplate, ui, steps_);
  }
  int ScreenPixelsPerInchY() const override { return 96; }

  hostui::ScriptedUserInterface ui;

 private:
  const std::function<void(ProbeDialog&)>& steps_;
};

// Offers the probe to the module while it lives, restoring what was offered before.
class InstalledProbe {
 public:
  explicit InstalledProbe(ProbeBackend& backend)
      : previousBackend_(HostServices().dialogBackend), previousUi_(HostServices().userInterface) {
    HostServices().dialogBackend = &backend;
    HostServices().userInterface = &backend.ui;
  }
  ~InstalledProbe() {
    HostServices().dialogBackend = previousBackend_;
    HostServices().userInterface = previousUi_;
  }
  InstalledProbe(const InstalledProbe&) = delete;
  InstalledProbe& operator=(const InstalledProbe&) = delete;

 private:
  platform::DialogBackend* previousBackend_;
  platform::UserInterface* previousUi_;
};

}  // namespace

bool RunDialogProbe(Session& session, const std::function<void(ProbeDialog&)>& steps) {
  hostapi::CustomUiArray entries;
  session.api.SvrGetCustomUI(0, entries);
  if (entries.empty()) return false;
  ProbeBackend backend(steps);
  InstalledProbe installed(backend);
  return session.api.SvrShowCustomUI(session.handle, entries.front().name) == 1;
}

}  // namespace adshost
