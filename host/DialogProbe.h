#pragma once
// Runs the module's tag selection dialog with host code as its user: the steps get the dialog's
// grid and press its buttons, and file dialogs are answered by the steps. Nothing is drawn.
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "Session.h"
#include "grid/GridView.h"
#include "platform/DialogSurface.h"

namespace adshost {

class ProbeDialog {
 public:
  virtual grid::GridView* Grid() = 0;
  // Presses the import button and answers the file dialog with the path; the texts of the
  // message boxes shown meanwhile (none when the import succeeded).
  virtual std::vector<std::u16string> Import(const std::u16string& path) = 0;
  // Types the text into the search field and presses "find next".
  virtual void Find(const std::u16string& text) = 0;
  virtual void Ok() = 0;
  virtual void Cancel() = 0;

 protected:
  ~ProbeDialog() = default;
};

// Runs the device's custom command with the dialog driven by `steps`, which run once the dialog
// has opened; a dialog that the steps leave open is cancelled. False when the export failed.
bool RunDialogProbe(Session& session, const std::function<void(ProbeDialog&)>& steps);

}  // namespace adshost
