#pragma once
// What a dialog needs of the window system, kept abstract so that a dialog's behaviour does
// not depend on how (or whether) it is drawn: the events a dialog answers, one dialog window,
// and the backend that creates dialog windows. A dialog's grid is shown through the grid's
// own view of itself (grid::GridView).
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/UserInterface.h"

namespace grid {
class GridView;
}

namespace platform {

struct Rect {
  int left = 0;
  int top = 0;
  int right = 0;
  int bottom = 0;
  int Width() const { return right - left; }
  int Height() const { return bottom - top; }
  bool operator==(const Rect&) const = default;
};

struct Size {
  int cx = 0;
  int cy = 0;
  bool operator==(const Size&) const = default;
};

struct FontRequest {
  std::u16string face;
  int height = 0;
  int width = 0;
  int weight = 0;
  bool italic = false;
  bool underline = false;
  bool strikeOut = false;
  int charSet = 0;
  int pitchAndFamily = 0;
};

// The ids of a dialog's OK and Cancel buttons, which are also the codes they end it with.
inline constexpr int kIdOk = 1;
inline constexpr int kIdCancel = 2;

// The keys a surface offers to PreTranslateKeyDown before it acts on them itself.
inline constexpr unsigned kKeyEnter = 13;
inline constexpr unsigned kKeyEscape = 27;

// Implemented by a dialog; the surface calls it as the window system would.
class DialogEvents {
 public:
  virtual bool OnInitDialog() = 0;
  virtual void OnCommand(int id) = 0;
  virtual bool PreTranslateKeyDown(unsigned virtualKey) = 0;  // true = swallowed
  virtual void OnSize(int cx, int cy) = 0;

 protected:
  ~DialogEvents() = default;
};

// One dialog window created from a template. Control rectangles are client coordinates.
class DialogSurface {
 public:
  virtual ~DialogSurface() = default;

  virtual int RunModal(DialogEvents& events) = 0;  // returns the end code
  virtual void EndDialog(int code) = 0;

  virtual bool HasControl(int id) const = 0;
  virtual std::u16string GetText(int id) const = 0;
  virtual void SetText(int id, const std::u16string& text) = 0;
  virtual void Enable(int id, bool enabled) = 0;
  virtual bool IsEnabled(int id) const = 0;
  virtual void Show(int id, bool visible) = 0;
  virtual int GetCheck(int id) const = 0;
  virtual void SetCheck(int id, int check) = 0;
  virtual Rect GetRect(int id) const = 0;
  virtual void SetRect(int id, const Rect& rect) = 0;
  virtual void SetFocus(int id) = 0;

  virtual Rect GetWindowRect() const = 0;
  virtual void SetWindowSize(int width, int height) = 0;  // keeps the top-left corner
  virtual Size GetClientSize() const = 0;

  virtual void ShowMessageBox(const std::u16string& text, MessageBoxIcon icon) = 0;
  virtual int ScreenPixelsPerInchY() const = 0;
  // Creates the font and applies it to every child window.
  virtual void CreateFont(const FontRequest& request) = 0;
  virtual void AttachGrid(int id, grid::GridView* grid) = 0;
};

enum class ControlKind { Button, DefaultButton, Edit, CheckBox, Custom };
// What a control is for; a backend that acts for the user finds the control it needs by it.
enum class ControlRole { Other, Import, SearchEdit, FindButton, Grid, KeepCheck, Ok, Cancel };

// What a backend keeps of one control while its dialog runs.
struct ControlState {
  ControlKind kind = ControlKind::Button;
  std::u16string text;
  Rect rect;
  bool visible = true;
  bool enabled = true;
  int check = 0;
};

// A control of a dialog template; position and size in dialog units.
struct ControlTemplate {
  int id = 0;
  ControlKind kind = ControlKind::Button;
  ControlRole role = ControlRole::Other;
  std::u16string caption;
  int x = 0;
  int y = 0;
  int cx = 0;
  int cy = 0;
};

// A dialog's template: its controls in the order the focus moves through them.
struct DialogTemplate {
  int id = 0;
  std::u16string title;
  Size units;
  std::vector<ControlTemplate> controls;

  // The id of the control with the role (not Other); 0 when the dialog has none.
  int ControlId(ControlRole role) const {
    for (const auto& control : controls)
      if (control.role == role) return control.id;
    return 0;
  }
};

class DialogBackend {
 public:
  virtual ~DialogBackend() = default;
  // The template comes with the request: the backend may live in another binary (the host),
  // which cannot see the module's resources.
  virtual std::unique_ptr<DialogSurface> CreateSurface(const DialogTemplate& dialogTemplate) = 0;
  virtual int ScreenPixelsPerInchY() const = 0;
};

// The current backend; never null. The default: the process's services, else the window
// system's dialogs, else surfaces that end at once with Cancel (2).
DialogBackend& CurrentDialogBackend();
// The window system's dialog windows; null on a platform without them.
DialogBackend* NativeDialogBackend();
// Installs a backend (not owned); null restores the default.
void SetDialogBackend(DialogBackend* backend);

}  // namespace platform
