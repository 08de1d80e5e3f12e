#include "DialogProbe.h"

#include <cstddef>
#include <map>

#include "HostUi.h"
#include "ui/ScriptedUserInterface.h"

namespace adshost {
namespace {

// One dialog window without a screen: controls are plain records, the steps are its user.
class ProbeSurface final : public platform::DialogSurface, public ProbeDialog {
 public:
  ProbeSurface(const platform::DialogTemplate& dialogTemplate, hostui::ScriptedUserInterface& ui,
               const std::function<void(ProbeDialog&)>& steps)
      : template_(dialogTemplate), ui_(ui), steps_(steps) {
    for (const auto& control : dialogTemplate.controls)
      controls_[control.id] = platform::ControlState{control.kind, control.caption, {}, true, true, 0};
    client_ = {800, 600};
  }

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

  bool HasControl(int id) const override { return controls_.count(id) != 0; }
  std::u16string GetText(int id) const override { return Get(id, &platform::ControlState::text); }
  void SetText(int id, const std::u16string& text) override { Put(id, &platform::ControlState::text, text); }
  void Enable(int id, bool enabled) override { Put(id, &platform::ControlState::enabled, enabled); }
  bool IsEnabled(int id) const override { return Get(id, &platform::ControlState::enabled); }
  void Show(int id, bool visible) override { Put(id, &platform::ControlState::visible, visible); }
  int GetCheck(int id) const override { return Get(id, &platform::ControlState::check); }
  void SetCheck(int id, int check) override { Put(id, &platform::ControlState::check, check); }
  platform::Rect GetRect(int id) const override { return Get(id, &platform::ControlState::rect); }
  void SetRect(int id, const platform::Rect& rect) override { Put(id, &platform::ControlState::rect, rect); }
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
    const auto found = controls_.find(template_.ControlId(role));
    if (ended_ || found == controls_.end() || !found->second.enabled || !found->second.visible) return false;
    events_->OnCommand(found->first);
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
  template <typename T>
  T Get(int id, T platform::ControlState::*field) const {
    const auto found = controls_.find(id);
    return found == controls_.end() ? T{} : found->second.*field;
  }
  template <typename T>
  void Put(int id, T platform::ControlState::*field, const T& value) {
    if (auto found = controls_.find(id); found != controls_.end()) found->second.*field = value;
  }

  const platform::DialogTemplate template_;
  hostui::ScriptedUserInterface& ui_;
  const std::function<void(ProbeDialog&)>& steps_;
  std::map<int, platform::ControlState> controls_;
  platform::Size client_;
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
