#pragma once
// A dialog backend that draws dialogs full-screen in a text terminal and runs them from the
// keyboard. The drawing and the key handling are portable and work on a TerminalIo, which
// the platform implements for a real terminal and tests implement with scripted keys.
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/DialogSurface.h"
#include "platform/UserInterface.h"

namespace platform {

struct TerminalKey {
  enum Kind { Char, Up, Down, PageUp, PageDown, Home, End, Left, Right, Tab, BackTab, Enter, Escape, Backspace,
              Resize };
  Kind kind = Char;
  char32_t ch = 0;  // for Char
};

// Splits the bytes a terminal sends (UTF-8 text and the usual escape sequences) into keys.
std::vector<TerminalKey> DecodeTerminalKeys(std::string_view bytes);

// Columns a character takes in a terminal: 0, 1 or 2.
int TerminalCellWidth(char32_t ch);
// The same from a fixed table: 2 for the wide East Asian ranges, 0 for controls, else 1.
int EastAsianCellWidth(char32_t ch);

struct TerminalSize {
  int rows = 24;
  int cols = 80;
};

class TerminalIo {
 public:
  virtual ~TerminalIo() = default;
  virtual TerminalSize Size() const = 0;
  // Waits for the next key; none when the input has ended.
  virtual std::optional<TerminalKey> ReadKey() = 0;
  // Shows a whole frame: one UTF-8 line per row, each exactly as wide as the terminal.
  virtual void Draw(const std::vector<std::string>& lines) = 0;
};

// The terminal this process runs in, in full-screen raw mode for the object's life; null with
// a message when standard input and output are not a terminal.
std::unique_ptr<TerminalIo> OpenTerminal(std::string& error);

// Text cut (never wrapped) to the given number of columns and padded with blanks to it.
std::string FitToColumns(std::u16string_view text, int columns);

class TerminalDialogBackend final : public DialogBackend {
 public:
  explicit TerminalDialogBackend(TerminalIo& io) : io_(io) {}
  std::unique_ptr<DialogSurface> CreateSurface(const DialogTemplate& dialogTemplate) override;
  int ScreenPixelsPerInchY() const override { return 96; }

 private:
  TerminalIo& io_;
};

// File dialogs and message boxes as prompts on the terminal's last line.
class TerminalUserInterface final : public UserInterface {
 public:
  explicit TerminalUserInterface(TerminalIo& io) : io_(io) {}
  std::optional<std::u16string> ShowFileDialog(const FileDialogRequest& request) override;
  void ShowMessageBox(const std::u16string& text, MessageBoxIcon icon) override;

 private:
  TerminalIo& io_;
};

}  // namespace platform
