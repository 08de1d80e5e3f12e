#pragma once
// A dialog backend without windows: each dialog runs from script lines (UTF-8, one user
// action per line) and reports through an output callback. Used by tests and the host's
// batch mode.
//
//   import [PATH]     answer the next file dialog with PATH (none: cancel), press the import button
//   click FULLNAME    reveal the row named FULLNAME (expanding its ancestors), click its check box
//   expand FULLNAME   reveal the row and expand it
//   collapse FULLNAME reveal the row and collapse it
//   dblclick FULLNAME reveal the row and double-click its tree cell
//   find TEXT         type TEXT into the search edit and press the find button
//   key enter|escape  offer the key to the dialog; unless swallowed it presses OK resp. Cancel
//   size CX CY        resize the window to a client area of CX x CY
//   rows              print the grid rows that are not hidden
//   ok | cancel       press OK resp. Cancel
//
// The controls are found by their roles in the dialog's template.
#include <deque>
#include <functional>
#include <map>
#include <optional>
#include <string>

#include "platform/DialogSurface.h"
#include "ui/ScriptedUserInterface.h"

namespace hostui {

class ScriptedDialogBackend : public platform::DialogBackend {
 public:
  using Output = std::function<void(const std::string& utf8Line)>;

  // What a dialog window looked like when it ended.
  struct SurfaceRecord {
    std::map<int, platform::ControlState> controls;
    platform::Rect window;
    platform::Size client;
    std::optional<platform::FontRequest> font;
    int focus = 0;
    int endCode = 0;
  };

  ScriptedDialogBackend(ScriptedUserInterface& ui, Output output);

  // Appends script lines; text with several lines is split at line feeds.
  void AddScript(const std::string& text);
  void SetScreenPixelsPerInchY(int ppi) { ppi_ = ppi; }

  std::unique_ptr<platform::DialogSurface> CreateSurface(const platform::DialogTemplate& dialogTemplate) override;
  int ScreenPixelsPerInchY() const override { return ppi_; }

  const SurfaceRecord& LastSurface() const { return last_; }

  // Used by the surfaces.
  std::optional<std::string> NextLine();
  void Print(const std::string& line) const;
  ScriptedUserInterface& ui() { return ui_; }
  void Record(SurfaceRecord record) { last_ = std::move(record); }

 private:
  ScriptedUserInterface& ui_;
  Output output_;
  std::deque<std::string> lines_;
  int ppi_ = 96;
  SurfaceRecord last_;
};

}  // namespace hostui
