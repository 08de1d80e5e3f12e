// The terminal's screen of cells: what the platform's terminal shows, drawn by the caller.
#include "platform/Terminal.h"

#include <algorithm>

#include "utils/utf16.h"
#include "utils/utf8.h"

namespace platform {

TerminalFrame::TerminalFrame(int rows, int cols)
    : rows_(std::max(rows, 1)), cols_(std::max(cols, 1)), cells_(static_cast<size_t>(rows_) * static_cast<size_t>(cols_)) {}

std::string TerminalFrame::Text(int row) const {
  std::string line;
  if (row < 0 || row >= rows_) return line;
  for (int c = 0; c < cols_; ++c)
    if (const char32_t ch = At(row, c).ch) utils::AppendUtf8(line, ch);
  return line;
}

int TerminalFrame::Put(int row, int col, std::u16string_view text, int width, CellStyle style) {
  if (row < 0 || row >= rows_ || col < 0) return 0;
  const int limit = std::min(cols_, col + std::max(width, 0));
  int at = col;
  utils::ForEachCodePoint(text, [&](char32_t cp) {
    if (cp < 0x20 || cp == 0x7f) cp = U' ';
    const int w = TerminalCellWidth(cp);
    if (w == 0) return true;
    if (at + w > limit) return false;
    Set(row, at, cp, style);
    if (w == 2) Set(row, at + 1, 0, style);
    at += w;
    return true;
  });
  return at - col;
}

void TerminalFrame::Fill(int row, int col, int width, CellStyle style) {
  if (row < 0 || row >= rows_) return;
  for (int c = std::max(col, 0); c < std::min(cols_, col + width); ++c) cells_[Index(row, c)].style = style;
}

void TerminalFrame::Set(int row, int col, char32_t ch, CellStyle style) {
  // Overwriting half of a wide character blanks its other half.
  if (cells_[Index(row, col)].ch == 0 && col > 0) cells_[Index(row, col - 1)].ch = U' ';
  if (col + 1 < cols_ && cells_[Index(row, col + 1)].ch == 0) cells_[Index(row, col + 1)].ch = U' ';
  cells_[Index(row, col)] = {ch, style};
}

int TextColumns(std::u16string_view text) {
  int columns = 0;
  utils::ForEachCodePoint(text, [&](char32_t cp) {
    columns += TerminalCellWidth(cp);
    return true;
  });
  return columns;
}

int EastAsianCellWidth(char32_t ch) {
  if (ch < 0x20 || ch == 0x7f) return 0;
  const bool wide = (ch >= 0x1100 && ch <= 0x115F) || (ch >= 0x2E80 && ch <= 0xA4CF) ||
                    (ch >= 0xAC00 && ch <= 0xD7A3) || (ch >= 0xF900 && ch <= 0xFAFF) ||
                    (ch >= 0xFE30 && ch <= 0xFE4F) || (ch >= 0xFF00 && ch <= 0xFF60) ||
                    (ch >= 0xFFE0 && ch <= 0xFFE6) || (ch >= 0x1F300 && ch <= 0x1FAFF) ||
                    (ch >= 0x20000 && ch <= 0x3FFFD);
  return wide ? 2 : 1;
}

std::string FitToColumns(std::u16string_view text, int columns) {
  if (columns <= 0) return std::string();
  TerminalFrame frame(1, columns);
  frame.Put(0, 0, text, columns);
  return frame.Text(0);
}

}  // namespace platform
