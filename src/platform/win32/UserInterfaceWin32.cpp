// The window system's own file dialog and message boxes.
#include "platform/UserInterface.h"
#include "platform/win32/WideWin32.h"

#include <commdlg.h>

#include <algorithm>
#include <vector>

namespace platform {
namespace {

// Room for the chosen path, terminator included.
constexpr size_t kPathCapacity = 32768;

// "description|pattern|...||" becomes the system's list of zero-terminated strings that ends
// with an empty one.
std::u16string SystemFilter(const std::u16string& filter) {
  std::u16string list = filter;
  for (char16_t& c : list)
    if (c == u'|') c = u'\0';
  list.push_back(u'\0');
  list.push_back(u'\0');
  return list;
}

class NativeUserInterfaceImpl final : public UserInterface {
 public:
  std::optional<std::u16string> ShowFileDialog(const FileDialogRequest& request) override {
    const std::u16string filter = SystemFilter(request.filter);
    std::vector<wchar_t> path(kPathCapacity, L'\0');
    const size_t initialLength = std::min(request.initialFileName.size(), kPathCapacity - 1);
    std::copy_n(request.initialFileName.data(), initialLength, path.begin());

    OPENFILENAMEW dialog{};
    dialog.lStructSize = sizeof(dialog);
    dialog.hwndOwner = nullptr;
    dialog.lpstrFilter = win32::AsWide(filter);
    dialog.nFilterIndex = 1;
    dialog.lpstrFile = path.data();
    dialog.nMaxFile = static_cast<DWORD>(path.size());
    dialog.lpstrDefExt = request.defaultExtension.empty() ? nullptr : win32::AsWide(request.defaultExtension);
    dialog.Flags = request.options | OFN_EXPLORER;
    const BOOL confirmed = request.openMode ? ::GetOpenFileNameW(&dialog) : ::GetSaveFileNameW(&dialog);
    if (!confirmed) return std::nullopt;
    return win32::FromWide(path.data());
  }

  void ShowMessageBox(const std::u16string& text, MessageBoxIcon icon) override {
    const UINT style = MB_OK | (icon == MessageBoxIcon::Stop ? MB_ICONSTOP : 0);
    ::MessageBoxW(::GetActiveWindow(), win32::AsWide(text), nullptr, style);
  }
};

}  // namespace

UserInterface* NativeUserInterface() {
  static NativeUserInterfaceImpl native;
  return &native;
}

}  // namespace platform
