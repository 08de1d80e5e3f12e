// Dialog windows of the window system, made from the current resource module's templates.
// A dialog runs modally in a message loop of its own rather than the system's: the dialog
// sees each key-down before the dialog manager would turn Enter and Escape into OK and Cancel.
#include "platform/DialogSurface.h"
#include "platform/System.h"
#include "platform/win32/GridWindowWin32.h"
#include "platform/win32/ResourceModuleWin32.h"
#include "platform/win32/WideWin32.h"

#include <string>

// The window system names its A and W variants by macro; here it is the surface's operation.
#undef CreateFont

namespace platform {
namespace {

constexpr int kCouldNotOpen = -1;

class Win32DialogSurface final : public DialogSurface {
 public:
  explicit Win32DialogSurface(int templateId) : templateId_(templateId) {}
  ~Win32DialogSurface() override {
    if (hwnd_) ::DestroyWindow(hwnd_);
    if (font_) ::DeleteObject(font_);
  }

  int RunModal(DialogEvents& events) override {
    const HMODULE resources = win32::CurrentResourceModule();
    win32::RegisterGridWindowClass(resources);
    events_ = &events;
    const HWND owner = ::GetActiveWindow();
    ::CreateDialogParamW(resources, MAKEINTRESOURCEW(templateId_), owner, &DialogProc, reinterpret_cast<LPARAM>(this));
    if (!hwnd_) {
      OutputDebugText("dialog template " + std::to_string(templateId_) + " cannot be opened\n");
      events_ = nullptr;
      return kCouldNotOpen;
    }
    const bool ownerWasEnabled = owner && ::IsWindowEnabled(owner);
    if (ownerWasEnabled) ::EnableWindow(owner, FALSE);
    if (!ended_) ::ShowWindow(hwnd_, SW_SHOW);
    RunLoop();
    // The owner gets the activation back before the dialog goes.
    if (ownerWasEnabled) ::EnableWindow(owner, TRUE);
    ::ShowWindow(hwnd_, SW_HIDE);
    ::DestroyWindow(hwnd_);
    hwnd_ = nullptr;
    events_ = nullptr;
    return endCode_;
  }

  void EndDialog(int code) override {
    ended_ = true;
    endCode_ = code;
    if (hwnd_) ::PostMessageW(hwnd_, WM_NULL, 0, 0);
  }

  bool HasControl(int id) const override { return Item(id) != nullptr; }
  std::u16string GetText(int id) const override {
    const HWND item = Item(id);
    if (!item) return {};
    std::wstring text(static_cast<size_t>(::GetWindowTextLengthW(item)) + 1, L'\0');
    const int length = ::GetWindowTextW(item, text.data(), static_cast<int>(text.size()));
    return win32::FromWide(text.data(), static_cast<size_t>(length > 0 ? length : 0));
  }
  void SetText(int id, const std::u16string& text) override {
    if (const HWND item = Item(id)) ::SetWindowTextW(item, win32::AsWide(text));
  }
  void Enable(int id, bool enabled) override {
    if (const HWND item = Item(id)) ::EnableWindow(item, enabled ? TRUE : FALSE);
  }
  bool IsEnabled(int id) const override {
    const HWND item = Item(id);
    return item && ::IsWindowEnabled(item);
  }
  void Show(int id, bool visible) override {
    if (const HWND item = Item(id)) ::ShowWindow(item, visible ? SW_SHOW : SW_HIDE);
  }
  // The button states unchecked, checked and indeterminate are 0, 1 and 2 as here.
  int GetCheck(int id) const override {
    const HWND item = Item(id);
    return item ? static_cast<int>(::SendMessageW(item, BM_GETCHECK, 0, 0)) : 0;
  }
  void SetCheck(int id, int check) override {
    if (const HWND item = Item(id)) ::SendMessageW(item, BM_SETCHECK, static_cast<WPARAM>(check), 0);
  }
  Rect GetRect(int id) const override {
    const HWND item = Item(id);
    if (!item) return {};
    RECT rect{};
    ::GetWindowRect(item, &rect);
    ::MapWindowPoints(nullptr, hwnd_, reinterpret_cast<POINT*>(&rect), 2);
    return {rect.left, rect.top, rect.right, rect.bottom};
  }
  void SetRect(int id, const Rect& rect) override {
    if (const HWND item = Item(id)) ::MoveWindow(item, rect.left, rect.top, rect.Width(), rect.Height(), TRUE);
  }
  void SetFocus(int id) override {
    if (const HWND item = Item(id)) ::SetFocus(item);
  }

  Rect GetWindowRect() const override {
    RECT rect{};
    if (hwnd_) ::GetWindowRect(hwnd_, &rect);
    return {rect.left, rect.top, rect.right, rect.bottom};
  }
  void SetWindowSize(int width, int height) override {
    if (hwnd_) ::SetWindowPos(hwnd_, nullptr, 0, 0, width, height, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  }
  Size GetClientSize() const override {
    RECT rect{};
    if (hwnd_) ::GetClientRect(hwnd_, &rect);
    return {rect.right, rect.bottom};
  }

  void ShowMessageBox(const std::u16string& text, MessageBoxIcon icon) override {
    if (UserInterface* native = NativeUserInterface()) native->ShowMessageBox(text, icon);
  }
  int ScreenPixelsPerInchY() const override { return platform::ScreenPixelsPerInchY(); }

  void CreateFont(const FontRequest& request) override {
    const HFONT font = ::CreateFontW(request.height, request.width, 0, 0, request.weight, request.italic,
                                     request.underline, request.strikeOut, static_cast<DWORD>(request.charSet),
                                     OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                                     static_cast<DWORD>(request.pitchAndFamily), win32::AsWide(request.face));
    if (!font) return;
    for (HWND child = ::GetWindow(hwnd_, GW_CHILD); child; child = ::GetWindow(child, GW_HWNDNEXT))
      ::SendMessageW(child, WM_SETFONT, reinterpret_cast<WPARAM>(font), TRUE);
    if (font_) ::DeleteObject(font_);
    font_ = font;
  }

  void AttachGrid(int id, grid::GridView* grid) override {
    gridId_ = id;
    grid_ = grid;
  }

 private:
  HWND Item(int id) const { return hwnd_ ? ::GetDlgItem(hwnd_, id) : nullptr; }
  HWND GridWindow() const { return grid_ ? Item(gridId_) : nullptr; }

  void RunLoop() {
    MSG message;
    while (!ended_) {
      const BOOL got = ::GetMessageW(&message, nullptr, 0, 0);
      if (got == 0) {
        // A quit request ends the dialog like Cancel and stays for the loop outside.
        ::PostQuitMessage(static_cast<int>(message.wParam));
        endCode_ = 2;
        break;
      }
      if (got < 0) break;
      if (PreTranslate(message)) continue;
      if (::IsDialogMessageW(hwnd_, &message)) continue;
      ::TranslateMessage(&message);
      ::DispatchMessageW(&message);
    }
  }

  bool PreTranslate(const MSG& message) {
    if (message.message != WM_KEYDOWN || !events_) return false;
    if (message.hwnd != hwnd_ && !::IsChild(hwnd_, message.hwnd)) return false;
    return events_->PreTranslateKeyDown(static_cast<unsigned>(message.wParam));
  }

  BOOL OnInit() {
    // Data exchange: the grid window shows the dialog's grid.
    if (const HWND grid = GridWindow()) win32::AttachGridModel(grid, grid_);
    const bool systemFocus = events_->OnInitDialog();
    Refresh();
    return systemFocus ? TRUE : FALSE;
  }

  // A handler may have changed the grid's rows or selection.
  void Refresh() {
    if (const HWND grid = GridWindow()) win32::RefreshGridWindow(grid);
  }

  INT_PTR Handle(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
      case WM_COMMAND: {
        // Only clicks, menu commands and accelerators; an edit field's notifications are none.
        if (lParam != 0 && HIWORD(wParam) != BN_CLICKED) return FALSE;
        events_->OnCommand(LOWORD(wParam));
        Refresh();
        return TRUE;
      }
      case WM_SIZE:
        if (wParam != SIZE_MINIMIZED) events_->OnSize(LOWORD(lParam), HIWORD(lParam));
        return TRUE;
      case WM_NOTIFY:
        // The grid's expanded and double-click notifications reached the dialog through the
        // grid itself already, which calls its owner when the user acts on it.
        return FALSE;
      default:
        return FALSE;
    }
  }

  static INT_PTR CALLBACK DialogProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_INITDIALOG) {
      auto* self = reinterpret_cast<Win32DialogSurface*>(lParam);
      ::SetWindowLongPtrW(hwnd, DWLP_USER, lParam);
      self->hwnd_ = hwnd;
      return self->OnInit();
    }
    auto* self = reinterpret_cast<Win32DialogSurface*>(::GetWindowLongPtrW(hwnd, DWLP_USER));
    if (!self || !self->events_) return FALSE;
    return self->Handle(message, wParam, lParam);
  }

  int templateId_;
  HWND hwnd_ = nullptr;
  DialogEvents* events_ = nullptr;
  HFONT font_ = nullptr;
  int gridId_ = 0;
  grid::GridView* grid_ = nullptr;
  bool ended_ = false;
  int endCode_ = 2;
};

class Win32DialogBackend final : public DialogBackend {
 public:
  std::unique_ptr<DialogSurface> CreateSurface(const DialogTemplate& dialogTemplate) override {
    return std::make_unique<Win32DialogSurface>(dialogTemplate.id);
  }
  int ScreenPixelsPerInchY() const override { return platform::ScreenPixelsPerInchY(); }
};

}  // namespace

DialogBackend* NativeDialogBackend() {
  static Win32DialogBackend native;
  return &native;
}

}  // namespace platform
