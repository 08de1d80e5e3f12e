// The tree grid window. The model owns rows, checks and expansion; the window keeps only its
// view of them: the rows in view (those the model does not hide), the scroll position and the
// font. Every size follows the row height, which follows the font, so a dialog that scales
// its font scales the grid with it.
#include "platform/win32/GridWindowWin32.h"

#include <algorithm>
#include <climits>
#include <vector>

#include "platform/System.h"
#include "platform/win32/GridPartsWin32.h"

namespace platform::win32 {
namespace {

constexpr COLORREF kGridLine = RGB(208, 208, 208);
constexpr COLORREF kHeaderFace = RGB(236, 236, 236);
constexpr int kHorizontalLine = 16;  // pixels of one horizontal scroll step

struct Geometry {
  int rowHeight = 18;
  int indent() const { return rowHeight; }
  int box() const { return std::max(9, rowHeight * 2 / 3) | 1; }  // odd, so marks centre
};

class GridWindow {
 public:
  explicit GridWindow(HWND hwnd) : hwnd_(hwnd) { MeasureFont(); }

  LRESULT Handle(UINT message, WPARAM wParam, LPARAM lParam);

  void Attach(grid::GridView* model) {
    model_ = model;
    firstRow_ = 0;
    scrollX_ = 0;
    lastSelected_ = -1;
    Refresh();
  }

  void Refresh() {
    CollectRows();
    if (model_ && model_->SelectedRow() != lastSelected_) {
      lastSelected_ = model_->SelectedRow();
      ScrollIntoView(lastSelected_);
    }
    UpdateScrollBars();
    ::InvalidateRect(hwnd_, nullptr, FALSE);
  }

 private:
  struct Hit {
    int row = -1;
    int col = -1;
    GridPart part = GridPart::None;
  };

  // ---- layout ----

  void MeasureFont() {
    HDC dc = ::GetDC(hwnd_);
    HGDIOBJ old = ::SelectObject(dc, font_ ? font_ : ::GetStockObject(DEFAULT_GUI_FONT));
    TEXTMETRICW metrics{};
    ::GetTextMetricsW(dc, &metrics);
    ::SelectObject(dc, old);
    ::ReleaseDC(hwnd_, dc);
    geometry_.rowHeight = std::max<int>(metrics.tmHeight + metrics.tmExternalLeading + 6, 16);
  }

  void CollectRows() {
    rows_.clear();
    if (!model_) return;
    const int count = model_->RowCount();
    for (int row = model_->FixedRowCount(); row < count; ++row) {
      if (!model_->IsRowHidden(row)) rows_.push_back(row);
    }
  }

  int HeaderHeight() const { return model_ && model_->FixedRowCount() > 0 ? geometry_.rowHeight : 0; }
  RECT Client() const {
    RECT client{};
    ::GetClientRect(hwnd_, &client);
    return client;
  }
  int RowsInPage() const {
    const int height = static_cast<int>(Client().bottom) - HeaderHeight();
    return std::max(1, height / geometry_.rowHeight);
  }
  int TotalWidth() const {
    int width = 0;
    for (int col = 0; model_ && col < model_->ColumnCount(); ++col) width += std::max(0, model_->ColumnWidth(col));
    return width;
  }
  int ColumnLeft(int col) const {
    int x = -scrollX_;
    for (int c = 0; c < col; ++c) x += std::max(0, model_->ColumnWidth(c));
    return x;
  }
  // Index into rows_ of a model row; -1 when it is not shown.
  int ViewIndex(int row) const {
    auto found = std::lower_bound(rows_.begin(), rows_.end(), row);
    return found != rows_.end() && *found == row ? static_cast<int>(found - rows_.begin()) : -1;
  }
  int RowTop(int viewIndex) const { return HeaderHeight() + (viewIndex - firstRow_) * geometry_.rowHeight; }

  // The parts of a row's tree cell, left to right: indentation, expand button, check box, text.
  RECT ExpandRect(int row, int top) const {
    const int left = ColumnLeft(model_->TreeColumn()) + 2 + model_->RowLevel(row) * geometry_.indent();
    return {left, top, left + geometry_.rowHeight, top + geometry_.rowHeight};
  }
  RECT CheckRect(int row, int top) const {
    const RECT expand = ExpandRect(row, top);
    return {expand.right, top, expand.right + geometry_.rowHeight, top + geometry_.rowHeight};
  }

  Hit HitTest(POINT point) const {
    Hit hit;
    if (!model_ || point.y < 0 || point.x < 0) return hit;
    int x = -scrollX_;
    for (int col = 0; col < model_->ColumnCount(); ++col) {
      const int width = std::max(0, model_->ColumnWidth(col));
      if (width > 0 && point.x >= x && point.x < x + width) hit.col = col;
      x += width;
    }
    if (hit.col < 0) return hit;
    if (point.y < HeaderHeight()) {
      hit.row = 0;
      hit.part = GridPart::Header;
      return hit;
    }
    const int viewIndex = firstRow_ + (point.y - HeaderHeight()) / geometry_.rowHeight;
    if (viewIndex >= static_cast<int>(rows_.size())) return Hit{};
    hit.row = rows_[static_cast<size_t>(viewIndex)];
    hit.part = GridPart::Cell;
    if (hit.col == model_->TreeColumn()) {
      const int top = RowTop(viewIndex);
      const RECT expand = ExpandRect(hit.row, top);
      const RECT check = CheckRect(hit.row, top);
      if (model_->RowHasChildren(hit.row) && ::PtInRect(&expand, point)) hit.part = GridPart::ExpandButton;
      if (::PtInRect(&check, point)) hit.part = GridPart::CheckBox;
    }
    return hit;
  }

  LRESULT PartCentre(int row, GridPart part) const {
    if (!model_) return -1;
    const int viewIndex = ViewIndex(row);
    if (viewIndex < firstRow_ || viewIndex >= firstRow_ + RowsInPage()) return -1;
    const int top = RowTop(viewIndex);
    RECT rect{};
    switch (part) {
      case GridPart::ExpandButton:
        if (!model_->RowHasChildren(row)) return -1;
        rect = ExpandRect(row, top);
        break;
      case GridPart::CheckBox:
        rect = CheckRect(row, top);
        break;
      case GridPart::Cell: {
        const RECT check = CheckRect(row, top);
        const int right = ColumnLeft(model_->TreeColumn() + 1);
        rect = {check.right, top, std::max<int>(check.right + 1, right), top + geometry_.rowHeight};
        break;
      }
      default:
        return -1;
    }
    const int x = (rect.left + rect.right) / 2;
    const int y = (rect.top + rect.bottom) / 2;
    const RECT client = Client();
    if (x < 0 || x >= client.right) return -1;
    return MAKELONG(x, y);
  }

  // ---- scrolling ----

  void UpdateScrollBars() {
    const RECT client = Client();
    SCROLLINFO vertical{sizeof vertical, SIF_RANGE | SIF_PAGE | SIF_POS, 0, 0, 0, 0, 0};
    vertical.nMax = std::max(0, static_cast<int>(rows_.size()) - 1);
    vertical.nPage = static_cast<UINT>(RowsInPage());
    firstRow_ = std::clamp(firstRow_, 0, std::max(0, static_cast<int>(rows_.size()) - RowsInPage()));
    vertical.nPos = firstRow_;
    ::SetScrollInfo(hwnd_, SB_VERT, &vertical, TRUE);

    SCROLLINFO horizontal{sizeof horizontal, SIF_RANGE | SIF_PAGE | SIF_POS, 0, 0, 0, 0, 0};
    horizontal.nMax = std::max(0, TotalWidth() - 1);
    horizontal.nPage = static_cast<UINT>(std::max<LONG>(client.right, 1));
    scrollX_ = std::clamp(scrollX_, 0, std::max(0, TotalWidth() - static_cast<int>(client.right)));
    horizontal.nPos = scrollX_;
    ::SetScrollInfo(hwnd_, SB_HORZ, &horizontal, TRUE);
  }

  void ScrollRowsTo(int first) {
    const int last = std::max(0, static_cast<int>(rows_.size()) - RowsInPage());
    const int clamped = std::clamp(first, 0, last);
    if (clamped == firstRow_) return;
    firstRow_ = clamped;
    UpdateScrollBars();
    ::InvalidateRect(hwnd_, nullptr, FALSE);
  }

  void ScrollXTo(int x) {
    const int last = std::max(0, TotalWidth() - static_cast<int>(Client().right));
    const int clamped = std::clamp(x, 0, last);
    if (clamped == scrollX_) return;
    scrollX_ = clamped;
    UpdateScrollBars();
    ::InvalidateRect(hwnd_, nullptr, FALSE);
  }

  void ScrollIntoView(int row) {
    const int viewIndex = ViewIndex(row);
    if (viewIndex < 0) return;
    if (viewIndex < firstRow_) firstRow_ = viewIndex;
    if (viewIndex >= firstRow_ + RowsInPage()) firstRow_ = viewIndex - RowsInPage() + 1;
  }

  void OnWheel(int delta) {
    wheelRest_ += delta;
    const int notches = wheelRest_ / WHEEL_DELTA;
    wheelRest_ -= notches * WHEEL_DELTA;
    if (notches == 0) return;
    const unsigned lines = WheelScrollLines();
    // The setting's "one page per notch" value is the largest unsigned number.
    const int step = lines == UINT_MAX ? RowsInPage() : static_cast<int>(std::min(lines, 1000u));
    ScrollRowsTo(firstRow_ - notches * step);
  }

  // ---- user actions ----

  void Select(int row) {
    if (!model_) return;
    model_->SelectRow(row);
    lastSelected_ = model_->SelectedRow();
    ScrollIntoView(lastSelected_);
    Refresh();
  }

  void Notify(int code, int row, int col) {
    HWND parent = ::GetParent(hwnd_);
    if (!parent) return;
    GridNotification notification{};
    notification.header.hwndFrom = hwnd_;
    notification.header.idFrom = static_cast<UINT_PTR>(::GetDlgCtrlID(hwnd_));
    notification.header.code = static_cast<UINT>(code);
    notification.row = row;
    notification.column = col;
    ::SendMessageW(parent, WM_NOTIFY, notification.header.idFrom, reinterpret_cast<LPARAM>(&notification));
  }

  void Expand(int row) {
    model_->Expand(row);
    Refresh();
    Notify(kGridNotifyExpanded, row, model_->TreeColumn());
    Refresh();
  }

  void Collapse(int row) {
    model_->Collapse(row);
    Refresh();
  }

  void ToggleExpansion(int row) {
    if (model_->IsRowExpanded(row)) {
      Collapse(row);
    } else {
      Expand(row);
    }
  }

  void OnButtonDown(POINT point, bool doubleClick) {
    ::SetFocus(hwnd_);
    const Hit hit = HitTest(point);
    if (!model_ || hit.row < model_->FixedRowCount()) return;
    switch (hit.part) {
      case GridPart::ExpandButton:
        ToggleExpansion(hit.row);
        break;
      case GridPart::CheckBox:
        Select(hit.row);
        model_->ClickCheck(hit.row);
        Refresh();
        break;
      case GridPart::Cell:
        Select(hit.row);
        if (doubleClick) {
          model_->DoubleClick(hit.row, hit.col);
          Refresh();
          Notify(kGridNotifyDoubleClick, hit.row, hit.col);
          Refresh();
        }
        break;
      default:
        break;
    }
  }

  void OnKey(WPARAM key) {
    if (!model_ || rows_.empty()) return;
    const int selected = model_->SelectedRow();
    const int at = ViewIndex(selected);
    const int last = static_cast<int>(rows_.size()) - 1;
    auto moveTo = [&](int viewIndex) { Select(rows_[static_cast<size_t>(std::clamp(viewIndex, 0, last))]); };
    switch (key) {
      case VK_UP:
        return moveTo(at < 0 ? 0 : at - 1);
      case VK_DOWN:
        return moveTo(at < 0 ? 0 : at + 1);
      case VK_PRIOR:
        return moveTo(at < 0 ? 0 : at - RowsInPage());
      case VK_NEXT:
        return moveTo(at < 0 ? 0 : at + RowsInPage());
      case VK_HOME:
        return moveTo(0);
      case VK_END:
        return moveTo(last);
      case VK_RIGHT:
        if (at >= 0 && model_->RowHasChildren(selected) && !model_->IsRowExpanded(selected)) Expand(selected);
        return;
      case VK_LEFT:
        if (at < 0) return;
        if (model_->RowHasChildren(selected) && model_->IsRowExpanded(selected)) return Collapse(selected);
        // To the parent: the nearest row above with a smaller level.
        for (int up = at - 1; up >= 0; --up) {
          if (model_->RowLevel(rows_[static_cast<size_t>(up)]) < model_->RowLevel(selected)) return moveTo(up);
        }
        return;
      case VK_SPACE:
        if (at >= 0) {
          model_->ClickCheck(selected);
          Refresh();
        }
        return;
      default:
        return;
    }
  }

  // ---- drawing ----

  void DrawHeader(HDC dc, const RECT& client) const {
    const int height = HeaderHeight();
    if (height == 0) return;
    RECT band{0, 0, client.right, height};
    HBRUSH face = ::CreateSolidBrush(kHeaderFace);
    ::FillRect(dc, &band, face);
    ::DeleteObject(face);
    ::SetTextColor(dc, RGB(0, 0, 0));
    for (int col = 0; col < model_->ColumnCount(); ++col) {
      const int width = model_->ColumnWidth(col);
      if (width <= 0) continue;
      RECT cell{ColumnLeft(col), 0, ColumnLeft(col) + width, height};
      ::DrawEdge(dc, &cell, BDR_RAISEDINNER, BF_RECT);
      DrawCellText(dc, model_->ColumnHeading(col), cell, DT_CENTER);
    }
  }

  void DrawRow(HDC dc, int row, int top, const RECT& client) const {
    const bool selected = model_->SelectedRow() == row;
    const int height = geometry_.rowHeight;
    if (selected) {
      RECT band{0, top, std::min<int>(client.right, ColumnLeft(model_->ColumnCount())), top + height};
      ::FillRect(dc, &band, ::GetSysColorBrush(COLOR_HIGHLIGHT));
    }
    HPEN line = ::CreatePen(PS_SOLID, 1, kGridLine);
    HGDIOBJ oldPen = ::SelectObject(dc, line);
    for (int col = 0; col < model_->ColumnCount(); ++col) {
      const int width = model_->ColumnWidth(col);
      if (width <= 0) continue;
      RECT cell{ColumnLeft(col), top, ColumnLeft(col) + width, top + height};
      if (cell.right < 0 || cell.left > client.right) continue;
      const COLORREF own = static_cast<COLORREF>(model_->CellTextColour(row, col) & 0xFFFFFFu);
      ::SetTextColor(dc, selected ? ::GetSysColor(COLOR_HIGHLIGHTTEXT) : own);
      if (col == model_->TreeColumn()) {
        const RECT expand = ExpandRect(row, top);
        const RECT check = CheckRect(row, top);
        if (model_->RowHasChildren(row)) DrawExpandButton(dc, expand, geometry_.box(), model_->IsRowExpanded(row));
        const bool disabled = !model_->IsRowCheckable(row);
        DrawCheckBox(dc, check, geometry_.box(), model_->RowCheck(row), disabled);
        RECT text = cell;
        text.left = check.right;
        DrawCellText(dc, model_->CellText(row, col), text, DT_LEFT);
      } else {
        DrawCellText(dc, model_->CellText(row, col), cell, DT_LEFT);
      }
      ::MoveToEx(dc, cell.right - 1, top, nullptr);
      ::LineTo(dc, cell.right - 1, top + height);
    }
    ::MoveToEx(dc, 0, top + height - 1, nullptr);
    ::LineTo(dc, std::min<int>(client.right, ColumnLeft(model_->ColumnCount())), top + height - 1);
    ::SelectObject(dc, oldPen);
    ::DeleteObject(line);
  }

  void Paint() {
    const RECT client = Client();
    OffscreenPaint paint(hwnd_, client);
    const HDC dc = paint.dc();
    HGDIOBJ oldFont = ::SelectObject(dc, font_ ? font_ : ::GetStockObject(DEFAULT_GUI_FONT));
    if (model_) {
      DrawHeader(dc, client);
      const int rows = static_cast<int>(rows_.size());
      for (int viewIndex = firstRow_; viewIndex < rows; ++viewIndex) {
        const int top = RowTop(viewIndex);
        if (top >= client.bottom) break;
        DrawRow(dc, rows_[static_cast<size_t>(viewIndex)], top, client);
      }
    }
    if (::GetFocus() == hwnd_ && model_) {
      const int at = ViewIndex(model_->SelectedRow());
      if (at >= firstRow_) {
        RECT focus{0, RowTop(at), std::min<int>(client.right, ColumnLeft(model_->ColumnCount())),
                   RowTop(at) + geometry_.rowHeight};
        ::DrawFocusRect(dc, &focus);
      }
    }
    ::SelectObject(dc, oldFont);
  }

  HWND hwnd_;
  grid::GridView* model_ = nullptr;
  HFONT font_ = nullptr;
  Geometry geometry_;
  std::vector<int> rows_;  // model rows in view order
  int firstRow_ = 0;       // index into rows_ of the top row below the header
  int scrollX_ = 0;
  int wheelRest_ = 0;
  int lastSelected_ = -1;
};

LRESULT GridWindow::Handle(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_PAINT:
      Paint();
      return 0;
    case WM_ERASEBKGND:
      return 1;
    case WM_SIZE:
      UpdateScrollBars();
      ::InvalidateRect(hwnd_, nullptr, FALSE);
      return 0;
    case WM_SETFONT:
      font_ = reinterpret_cast<HFONT>(wParam);
      MeasureFont();
      UpdateScrollBars();
      if (LOWORD(lParam)) ::InvalidateRect(hwnd_, nullptr, FALSE);
      return 0;
    case WM_GETFONT:
      return reinterpret_cast<LRESULT>(font_);
    case WM_GETDLGCODE:
      return DLGC_WANTARROWS | DLGC_WANTCHARS;
    case WM_SETFOCUS:
    case WM_KILLFOCUS:
      ::InvalidateRect(hwnd_, nullptr, FALSE);
      return 0;
    case WM_VSCROLL:
      ScrollRowsTo(ScrollTarget(hwnd_, SB_VERT, wParam, 1, RowsInPage()));
      return 0;
    case WM_HSCROLL:
      ScrollXTo(ScrollTarget(hwnd_, SB_HORZ, wParam, kHorizontalLine, static_cast<int>(Client().right)));
      return 0;
    case WM_MOUSEWHEEL:
      OnWheel(GET_WHEEL_DELTA_WPARAM(wParam));
      return 0;
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK: {
      const POINT point{static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};
      OnButtonDown(point, message == WM_LBUTTONDBLCLK);
      return 0;
    }
    case WM_KEYDOWN:
      OnKey(wParam);
      return 0;
    case kGridHitTest: {
      const POINT point{static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};
      const Hit hit = HitTest(point);
      if (hit.part == GridPart::None) return -1;
      return MakeGridHit(hit.row, hit.col, hit.part);
    }
    case kGridPartCentre:
      return PartCentre(static_cast<int>(wParam), static_cast<GridPart>(lParam));
    case kGridRowState:
      return model_ ? GridRowState(*model_, static_cast<int>(wParam)) : -1;
    default:
      return ::DefWindowProcW(hwnd_, message, wParam, lParam);
  }
}

LRESULT CALLBACK GridWindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  auto* window = reinterpret_cast<GridWindow*>(::GetWindowLongPtrW(hwnd, 0));
  if (message == WM_NCCREATE) {
    window = new GridWindow(hwnd);
    ::SetWindowLongPtrW(hwnd, 0, reinterpret_cast<LONG_PTR>(window));
  }
  if (!window) return ::DefWindowProcW(hwnd, message, wParam, lParam);
  if (message == WM_NCDESTROY) {
    ::SetWindowLongPtrW(hwnd, 0, 0);
    delete window;
    return ::DefWindowProcW(hwnd, message, wParam, lParam);
  }
  return window->Handle(message, wParam, lParam);
}

GridWindow* WindowOf(HWND window) {
  wchar_t name[32] = {};
  if (!window || !::GetClassNameW(window, name, 32) || wcscmp(name, kGridWindowClass) != 0) return nullptr;
  return reinterpret_cast<GridWindow*>(::GetWindowLongPtrW(window, 0));
}

}  // namespace

bool RegisterGridWindowClass(HINSTANCE instance) {
  WNDCLASSEXW existing{};
  existing.cbSize = sizeof existing;
  if (::GetClassInfoExW(instance, kGridWindowClass, &existing)) return true;
  WNDCLASSEXW windowClass{};
  windowClass.cbSize = sizeof windowClass;
  windowClass.style = CS_DBLCLKS;
  windowClass.lpfnWndProc = &GridWindowProc;
  windowClass.cbWndExtra = sizeof(GridWindow*);
  windowClass.hInstance = instance;
  windowClass.hCursor = ::LoadCursorW(nullptr, MAKEINTRESOURCEW(32512));  // the arrow
  windowClass.lpszClassName = kGridWindowClass;
  return ::RegisterClassExW(&windowClass) != 0 || ::GetLastError() == ERROR_CLASS_ALREADY_EXISTS;
}

void AttachGridModel(HWND window, grid::GridView* model) {
  if (GridWindow* grid = WindowOf(window)) grid->Attach(model);
}

void RefreshGridWindow(HWND window) {
  if (GridWindow* grid = WindowOf(window)) grid->Refresh();
}

}  // namespace platform::win32
