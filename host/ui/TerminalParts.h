#pragma once
// Pieces the terminal dialog and the terminal file chooser share.
#include <optional>
#include <string>

#include "platform/Terminal.h"
#include "platform/UserInterface.h"

namespace hostui::terminal {

inline constexpr char16_t kCancelCaption[] = u"\u53d6\u6d88";  // 取消

// Where a control was drawn, for mouse clicks.
struct HitArea {
  int id = 0;
  int row = 0;
  int col = 0;
  int width = 0;
};

inline bool IsChar(const platform::TerminalKey& key, char32_t ch) { return key.kind == platform::TerminalKey::Char && key.ch == ch; }
inline bool IsText(const platform::TerminalKey& key) { return key.kind == platform::TerminalKey::Char && key.ch >= 0x20; }

inline bool TooSmall(platform::TerminalSize size, platform::TerminalSize needed) {
  return size.rows < needed.rows || size.cols < needed.cols;
}
// A frame that only says the terminal is too small for what it should show.
platform::TerminalFrame TooSmallFrame(platform::TerminalSize size, platform::TerminalSize needed);

// A framed, blank box.
void DrawBox(platform::TerminalFrame& frame, int top, int left, int height, int width);

// The file-open dialog over the whole terminal: the path chosen, or none for Cancel.
std::optional<std::u16string> RunFileChooser(platform::TerminalIo& io, const platform::FileDialogRequest& request);

}  // namespace hostui::terminal
