#pragma once
// A dialog surface whose controls are plain records, for the backends no window system draws
// (the scripted and terminal dialogs, the host's probe): one record per control of the
// template, read and written by the surface's control operations.
#include <map>
#include <string>

#include "platform/DialogSurface.h"

namespace hostui {

class RecordedControlsSurface : public platform::DialogSurface {
 public:
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

 protected:
  // Each control starts with its caption as text, visible and enabled.
  explicit RecordedControlsSurface(const platform::DialogTemplate& dialogTemplate) {
    for (const auto& control : dialogTemplate.controls) {
      platform::ControlState state;
      state.kind = control.kind;
      state.text = control.caption;
      controls_[control.id] = state;
    }
  }

  // The record of a control, or null when the dialog has none of that id.
  platform::ControlState* Control(int id) {
    const auto found = controls_.find(id);
    return found == controls_.end() ? nullptr : &found->second;
  }
  const platform::ControlState* Control(int id) const {
    const auto found = controls_.find(id);
    return found == controls_.end() ? nullptr : &found->second;
  }

  // Whether the user can reach the control: it exists, is shown and is enabled.
  bool Usable(int id) const {
    const platform::ControlState* control = Control(id);
    return control && control->visible && control->enabled;
  }

  std::map<int, platform::ControlState> controls_;

 private:
  template <typename T>
  T Get(int id, T platform::ControlState::*field) const {
    const platform::ControlState* control = Control(id);
    return control ? control->*field : T{};
  }
  template <typename T>
  void Put(int id, T platform::ControlState::*field, const T& value) {
    if (platform::ControlState* control = Control(id)) control->*field = value;
  }
};

}  // namespace hostui
