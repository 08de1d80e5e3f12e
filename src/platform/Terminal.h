#pragma once
// The terminal this process runs in, as a screen of character cells and a stream of keys:
// what a full-screen text dialog needs of the operating system. The cells are drawn by the
// caller; the platform shows them and reads the keyboard and the mouse.
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace platform {

struct TerminalKey {
  enum Kind { Char, Up, Down, PageUp, PageDown, Home, End, Left, Right, Tab, BackTab, Enter, Escape, Backspace,
              Resize, Mouse };
  Kind kind = Char;
  char32_t ch = 0;  // for Char
  // For Mouse: the cell of a left-button click, and 2 for a double click.
  int row = 0;
  int col = 0;
  int clicks = 0;
};

// Columns a character takes in a terminal: 0, 1 or 2.
int TerminalCellWidth(char32_t ch);
// The same from a fixed table: 2 for the wide East Asian ranges, 0 for controls, else 1.
int EastAsianCellWidth(char32_t ch);
// Columns the text takes, by TerminalCellWidth.
int TextColumns(std::u16string_view text);

struct TerminalSize {
  int rows = 24;
  int cols = 80;
};

// How a cell is shown; the terminal maps each to its attributes and colours.
enum class CellStyle : uint8_t {
  Plain,
  Title,      // the dialog's title bar
  Heading,    // column headings
  Focused,    // the control with the focus, the selected row of a focused grid
  Selected,   // the selected row of a grid without the focus
  Grey,       // unselectable rows, disabled controls
  Hint,       // the key help line
  Box,        // message boxes and the file chooser's frame
};

struct TerminalCell {
  char32_t ch = U' ';  // 0: the right half of the wide character to its left
  CellStyle style = CellStyle::Plain;
};

// One screen of cells. Text put on it is cut at the given width, never wrapped; a wide
// character that does not fit whole is left out.
class TerminalFrame {
 public:
  TerminalFrame() = default;
  TerminalFrame(int rows, int cols);

  int rows() const { return rows_; }
  int cols() const { return cols_; }
  const TerminalCell& At(int row, int col) const { return cells_[Index(row, col)]; }
  // The row's characters as UTF-8, without styles.
  std::string Text(int row) const;

  // Writes text from (row, col), cut at `width` columns; returns the columns used.
  int Put(int row, int col, std::u16string_view text, int width, CellStyle style = CellStyle::Plain);
  void Fill(int row, int col, int width, CellStyle style);

  // Where the terminal shows its cursor; none when row < 0.
  int cursorRow = -1;
  int cursorCol = -1;

 private:
  size_t Index(int row, int col) const { return static_cast<size_t>(row) * static_cast<size_t>(cols_) + static_cast<size_t>(col); }
  void Set(int row, int col, char32_t ch, CellStyle style);

  int rows_ = 0;
  int cols_ = 0;
  std::vector<TerminalCell> cells_;
};

class TerminalIo {
 public:
  virtual ~TerminalIo() = default;
  virtual TerminalSize Size() const = 0;
  // Waits for the next key; none when the input has ended.
  virtual std::optional<TerminalKey> ReadKey() = 0;

  // Shows a whole frame, as large as the terminal, and keeps it as the screen's content.
  void Show(TerminalFrame frame) {
    Draw(frame);
    shown_ = std::move(frame);
  }
  // What the last Show put on the screen.
  const TerminalFrame& Shown() const { return shown_; }

 protected:
  virtual void Draw(const TerminalFrame& frame) = 0;

 private:
  TerminalFrame shown_;
};

// The terminal this process runs in, full-screen for the object's life; null with a message
// when standard input and output are not a terminal.
std::unique_ptr<TerminalIo> OpenTerminal(std::string& error);

// Text cut (never wrapped) to the given number of columns and padded with blanks to it.
std::string FitToColumns(std::u16string_view text, int columns);

}  // namespace platform
