#pragma once
// The tree grid window (class "QorvGridCtrl"): draws a grid::GridView and turns the user's mouse
// and keyboard input into its actions. Besides the model's own notifications it tells its
// parent by WM_NOTIFY (GridNotification) when a row was expanded or double-clicked.
#include "grid/GridView.h"
#include "platform/DialogSurface.h"
#include "platform/win32/WideWin32.h"

namespace platform::win32 {

inline constexpr wchar_t kGridWindowClass[] = L"QorvGridCtrl";

// Notification codes of WM_NOTIFY, the same as the model's.
inline constexpr int kGridNotifyExpanded = -111;
inline constexpr int kGridNotifyDoubleClick = -3;

struct GridNotification {
  NMHDR header;
  int row;
  int column;
};

// What lies under a point of the window.
enum class GridPart { None = 0, Header = 1, Cell = 2, CheckBox = 3, ExpandButton = 4 };

// Messages of the window, usable from other threads and processes.
// Hit test: lParam = client point as MAKELPARAM(x, y); returns the hit as MakeGridHit packs it
// into the result word, or -1 outside every row.
inline constexpr UINT kGridHitTest = WM_USER + 0x100;
// The part in bits 0-3, the column in bits 4-7, the row above them: a row below 2^23 fits the
// result word of 32-bit Windows.
constexpr LRESULT MakeGridHit(int row, int column, GridPart part) {
  return static_cast<LRESULT>((static_cast<ULONG_PTR>(row) << 8) | (static_cast<ULONG_PTR>(column & 0xF) << 4) |
                              static_cast<ULONG_PTR>(part));
}
constexpr int GridHitRow(LRESULT hit) { return static_cast<int>(hit >> 8); }
constexpr int GridHitColumn(LRESULT hit) { return static_cast<int>((hit >> 4) & 0xF); }
constexpr GridPart GridHitPart(LRESULT hit) { return static_cast<GridPart>(hit & 0xF); }
// Centre of a part of a row: wParam = row, lParam = GridPart; returns MAKELONG(x, y) in client
// coordinates, or -1 when that part of the row is not in view.
inline constexpr UINT kGridPartCentre = WM_USER + 0x101;
// State of a row: wParam = row; returns the check value (bits 0-1) | kGridRow... flags, or -1
// for a row that does not exist.
inline constexpr UINT kGridRowState = WM_USER + 0x102;
inline constexpr LRESULT kGridRowHasChildren = 0x04;
inline constexpr LRESULT kGridRowExpanded = 0x08;
inline constexpr LRESULT kGridRowHidden = 0x10;
inline constexpr LRESULT kGridRowSelected = 0x20;

// Registers the window class for windows created with `instance` (a dialog template's
// module). True when the class is registered, now or before.
bool RegisterGridWindowClass(HINSTANCE instance);

// Shows `model` (not owned; null for none) in the window.
void AttachGridModel(HWND window, grid::GridView* model);
// Takes up changes that the model received from elsewhere: rows, checks and the selected
// row, which is scrolled into view when it changed.
void RefreshGridWindow(HWND window);

}  // namespace platform::win32
