#include "DialogProbe.h"

#include <cstddef>
#include <deque>
#include <map>

#include "HostUi.h"
#include "platform/UserInterface.h"

namespace adshost {
namespace {

constexpr int kOk = 1;
constexpr int kCancel = 2;
constexpr int kImportButton = 3;
constexpr int kSearchEdit = 10001;
constexpr int kFindButton = 10003;

// Answers file dialogs from a queue and keeps the message boxes' texts.
class ProbeUserInterface final : public platform::UserInterface {
 public:
  std::optional<std::u16string> ShowFileDialog(const platform::FileDialogRequest&) override {
    if (answers_.empty()) return std::nullopt;
    auto answer = std::move(answers_.front());
    answers_.pop_front();
    return answer;
  }
  void ShowMessageBox(const std::u16string& text, platform::MessageBoxIcon) override { messages.push_back(text); }

  void Queue(std::u16string path) { answers_.push_back(std::move(path)); }
  std::vector<std::u16string> messages;

 private:
  std::deque<std::optional<std::u16string>> answers_;
};

// One dialog window without a screen: controls are plain records, the steps are its user.
class ProbeSurface final : public platform::DialogSurface, public ProbeDialog {
 public:
  ProbeSurface(const platform::DialogTemplate& dialogTemplate, ProbeUserInterface& ui,
               const std::function<void(ProbeDialog&)>& steps)
      : ui_(ui), steps_(steps) {
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
  void ShowMessageBox(const std::u16string& text, platform::MessageBoxIcon) override { ui_.messages.push_back(text); }
  int ScreenPixelsPerInchY() const override { return 96; }
  void CreateFont(const platform::FontRequest&) override {}
  void AttachGrid(int id, grid::GridView* grid) override {
    if (HasControl(id)) grid_ = grid;
  }

  grid::GridView* Grid() override { return grid_; }
  bool Press(int id) override {
    const auto found = controls_.find(id);
    if (ended_ || found == controls_.end() || !found->second.enabled || !found->second.visible) return false;
    events_->OnCommand(id);
    return true;
  }
  std::vector<std::u16string> Import(const std::u16string& path) override {
    const size_t shown = ui_.messages.size();
    ui_.Queue(path);
    Press(kImportButton);
    return {ui_.messages.begin() + static_cast<std::ptrdiff_t>(shown), ui_.messages.end()};
  }
  void Find(const std::u16string& text) override {
    SetText(kSearchEdit, text);
    Press(kFindButton);
  }
  void Ok() override { Press(kOk); }
  void Cancel() override {
    if (!Press(kCancel)) EndDialog(kCancel);
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

  ProbeUserInterface& ui_;
  const std::function<void(ProbeDialog&)>& steps_;
  std::map<int, platform::ControlState> controls_;
  platform::Size client_;
  platform::DialogEvents* events_ = nullptr;
  grid::GridView* grid_ = nullptr;
  bool ended_ = false;
  int endCode_ = kCancel;
};

class ProbeBackend final : public platform::DialogBackend {
 public:
  explicit ProbeBackend(const std::function<void(ProbeDialog&)>& steps) : steps_(steps) {}
  std::unique_ptr<platform::DialogSurface> CreateSurface(const platform::DialogTemplate& dialogTemplate) override {
    return std::make_unique<ProbeSurface>(dialogTemplate, ui, steps_);
  }
  int ScreenPixelsPerInchY() const override { return 96; }

  ProbeUserInterface ui;

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
