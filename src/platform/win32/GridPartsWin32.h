#pragma once
// The pieces of the tree grid window that need none of its state: what it is drawn with
// (check boxes, expand buttons, cell texts, a paint pass drawn off screen first, so that
// scrolling does not flicker), the state word of a row and the position a scroll-bar request
// asks for.
#include <string>

#include "grid/GridView.h"
#include "platform/win32/WideWin32.h"

namespace platform::win32 {

// A check box of `size` pixels centred in the cell: 0 unchecked, 1 checked, 2 partly checked.
void DrawCheckBox(HDC dc, const RECT& cell, int size, int check, bool disabled);
// A "+" (collapsed) or "-" (expanded) box of `size` pixels centred in the cell.
void DrawExpandButton(HDC dc, const RECT& cell, int size, bool expanded);
// One line of text inside the rectangle, cut with an ellipsis.
void DrawCellText(HDC dc, const std::u16string& text, RECT rect, UINT format);

// One WM_PAINT: dc() is a bitmap of the client area, filled with the window colour, copied to
// the window when the pass ends.
class OffscreenPaint {
 public:
  OffscreenPaint(HWND window, const RECT& client);
  ~OffscreenPaint();
  OffscreenPaint(const OffscreenPaint&) = delete;
  OffscreenPaint& operator=(const OffscreenPaint&) = delete;
  HDC dc() const { return dc_; }

 private:
  HWND window_;
  RECT client_;
  PAINTSTRUCT paint_{};
  HDC target_ = nullptr;
  HDC dc_ = nullptr;
  HBITMAP bitmap_ = nullptr;
  HGDIOBJ oldBitmap_ = nullptr;
};

// The kGridRowState answer for a row of the model: its check value and kGridRow... flags, or
// -1 for a header row or a row that does not exist.
LRESULT GridRowState(const grid::GridView& model, int row);

// The position that a WM_VSCROLL or WM_HSCROLL request (wParam) asks of the scroll bar `bar`,
// with the step of a line and of a page; not clamped.
int ScrollTarget(HWND window, int bar, WPARAM wParam, int line, int page);

}  // namespace platform::win32
