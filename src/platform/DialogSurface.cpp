#include "platform/DialogSurface.h"

#include "platform/ProcessServices.h"
#include "platform/System.h"

namespace platform {
namespace {

// Without a window system a dialog cannot be shown: it ends at once as if cancelled.
class ClosedSurface final : public DialogSurface {
 public:
  int RunModal(DialogEvents&) override { return 2; }
  void EndDialog(int) override {}
  bool HasControl(int) const override { return false; }
  std::u16string GetText(int) const override { return {}; }
  void SetText(int, const std::u16string&) override {}
  void Enable(int, bool) override {}
  bool IsEnabled(int) const override { return false; }
  void Show(int, bool) override {}
  int GetCheck(int) const override { return 0; }
  void SetCheck(int, int) override {}
  Rect GetRect(int) const override { return {}; }
  void SetRect(int, const Rect&) override {}
  void SetFocus(int) override {}
  Rect GetWindowRect() const override { return {}; }
  void SetWindowSize(int, int) override {}
  Size GetClientSize() const override { return {}; }
  void ShowMessageBox(const std::u16string&, MessageBoxIcon) override {}
  int ScreenPixelsPerInchY() const override { return platform::ScreenPixelsPerInchY(); }
  void CreateFont(const FontRequest&) override {}
  void AttachGrid(int, grid::GridView*) override {}
};

class ClosedBackend final : public DialogBackend {
 public:
  std::unique_ptr<DialogSurface> CreateSurface(const DialogTemplate&) override { return std::make_unique<ClosedSurface>(); }
  int ScreenPixelsPerInchY() const override { return platform::ScreenPixelsPerInchY(); }
};

DialogBackend* g_current = nullptr;

}  // namespace

DialogBackend& CurrentDialogBackend() {
  static ClosedBackend fallback;
  if (g_current) return *g_current;
  // A process that loads the module as a host may offer its own dialogs.
  const ProcessUiServices* services = FindProcessUiServices();
  if (services && services->dialogBackend) return *services->dialogBackend;
  if (DialogBackend* native = NativeDialogBackend()) return *native;
  return fallback;
}

void SetDialogBackend(DialogBackend* backend) { g_current = backend; }

}  // namespace platform
