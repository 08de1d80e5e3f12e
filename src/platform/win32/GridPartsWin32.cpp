#include "platform/win32/GridPartsWin32.h"

#include <algorithm>
#include <climits>

#include "platform/win32/GridWindowWin32.h"

namespace platform::win32 {
namespace {

constexpr COLORREF kBoxFrame = RGB(96, 96, 96);
constexpr COLORREF kDisabledFace = RGB(224, 224, 224);

}  // namespace

void DrawCheckBox(HDC dc, const RECT& cell, int size, int check, bool disabled) {
  const int left = (cell.left + cell.right - size) / 2;
  const int top = (cell.top + cell.bottom - size) / 2;
  RECT box{left, top, left + size, top + size};
  HBRUSH face = ::CreateSolidBrush(disabled ? kDisabledFace : RGB(255, 255, 255));
  ::FillRect(dc, &box, face);
  ::DeleteObject(face);
  HBRUSH frame = ::CreateSolidBrush(kBoxFrame);
  ::FrameRect(dc, &box, frame);
  ::DeleteObject(frame);
  if (check == 2) {
    RECT inner{left + 3, top + 3, left + size - 3, top + size - 3};
    HBRUSH fill = ::CreateSolidBrush(disabled ? RGB(160, 160, 160) : RGB(40, 40, 40));
    ::FillRect(dc, &inner, fill);
    ::DeleteObject(fill);
  } else if (check == 1) {
    HPEN pen = ::CreatePen(PS_SOLID, std::max(1, size / 7), disabled ? RGB(160, 160, 160) : RGB(0, 0, 0));
    HGDIOBJ old = ::SelectObject(dc, pen);
    const POINT mark[] = {{left + size / 5, top + size / 2},
                          {left + size * 2 / 5, top + size * 3 / 4},
                          {left + size * 4 / 5, top + size / 4}};
    ::Polyline(dc, mark, 3);
    ::SelectObject(dc, old);
    ::DeleteObject(pen);
  }
}

void DrawExpandButton(HDC dc, const RECT& cell, int size, bool expanded) {
  const int left = (cell.left + cell.right - size) / 2;
  const int top = (cell.top + cell.bottom - size) / 2;
  RECT box{left, top, left + size, top + size};
  HBRUSH frame = ::CreateSolidBrush(kBoxFrame);
  ::FrameRect(dc, &box, frame);
  const int middle = size / 2;
  RECT across{left + 2, top + middle, left + size - 2, top + middle + 1};
  ::FillRect(dc, &across, frame);
  if (!expanded) {
    RECT down{left + middle, top + 2, left + middle + 1, top + size - 2};
    ::FillRect(dc, &down, frame);
  }
  ::DeleteObject(frame);
}

void DrawCellText(HDC dc, const std::u16string& text, RECT rect, UINT format) {
  rect.left += 3;
  rect.right -= 3;
  if (rect.right <= rect.left) return;
  ::DrawTextW(dc, reinterpret_cast<const wchar_t*>(text.c_str()), static_cast<int>(text.size()), &rect,
              format | DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX | DT_END_ELLIPSIS);
}

OffscreenPaint::OffscreenPaint(HWND window, const RECT& client) : window_(window), client_(client) {
  target_ = ::BeginPaint(window_, &paint_);
  dc_ = ::CreateCompatibleDC(target_);
  bitmap_ = ::CreateCompatibleBitmap(target_, std::max<LONG>(client.right, 1), std::max<LONG>(client.bottom, 1));
  oldBitmap_ = ::SelectObject(dc_, bitmap_);
  ::FillRect(dc_, &client_, ::GetSysColorBrush(COLOR_WINDOW));
  ::SetBkMode(dc_, TRANSPARENT);
}

OffscreenPaint::~OffscreenPaint() {
  ::BitBlt(target_, 0, 0, client_.right, client_.bottom, dc_, 0, 0, SRCCOPY);
  ::SelectObject(dc_, oldBitmap_);
  ::DeleteObject(bitmap_);
  ::DeleteDC(dc_);
  ::EndPaint(window_, &paint_);
}

LRESULT GridRowState(const grid::GridView& model, int row) {
  if (row < model.FixedRowCount() || row >= model.RowCount()) return -1;
  LRESULT state = model.RowCheck(row) & 3;
  if (model.RowHasChildren(row)) state |= kGridRowHasChildren;
  if (model.IsRowExpanded(row)) state |= kGridRowExpanded;
  if (model.IsRowHidden(row)) state |= kGridRowHidden;
  if (model.SelectedRow() == row) state |= kGridRowSelected;
  return state;
}

int ScrollTarget(HWND window, int bar, WPARAM wParam, int line, int page) {
  SCROLLINFO info{sizeof info, SIF_ALL, 0, 0, 0, 0, 0};
  ::GetScrollInfo(window, bar, &info);
  switch (LOWORD(wParam)) {
    case SB_LINEUP:
      return info.nPos - line;
    case SB_LINEDOWN:
      return info.nPos + line;
    case SB_PAGEUP:
      return info.nPos - page;
    case SB_PAGEDOWN:
      return info.nPos + page;
    case SB_THUMBTRACK:
    case SB_THUMBPOSITION:
      return info.nTrackPos;
    case SB_TOP:
      return 0;
    case SB_BOTTOM:
      return INT_MAX / 2;
    default:
      return info.nPos;
  }
}

}  // namespace platform::win32
