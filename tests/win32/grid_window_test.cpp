// The grid window over a tree grid model, driven by mouse, keyboard and scroll messages as the
// window system delivers them; the parent records what the window tells it.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "grid/TreeGridCtrl.h"
#include "platform/System.h"
#include "platform/win32/GridWindowWin32.h"

namespace {

using platform::win32::GridPart;
namespace gw = platform::win32;

struct Notice {
  int code;
  int row;
  int column;
  bool operator==(const Notice&) const = default;
};
std::vector<Notice> g_parentNotices;

LRESULT CALLBACK ParentProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_NOTIFY) {
    const auto* notice = reinterpret_cast<const gw::GridNotification*>(lParam);
    g_parentNotices.push_back({static_cast<int>(notice->header.code), notice->row, notice->column});
    return 0;
  }
  return ::DefWindowProcW(hwnd, message, wParam, lParam);
}

class GridWindowTest : public ::testing::Test {
 protected:
  void SetUp() override {
    const HINSTANCE instance = ::GetModuleHandleW(nullptr);
    ASSERT_TRUE(gw::RegisterGridWindowClass(instance));
    ASSERT_TRUE(gw::RegisterGridWindowClass(instance));  // a second registration is no error
    WNDCLASSW parentClass{};
    parentClass.lpfnWndProc = &ParentProc;
    parentClass.hInstance = instance;
    parentClass.lpszClassName = L"GridWindowTestParent";
    ::RegisterClassW(&parentClass);
    parent_ = ::CreateWindowExW(0, L"GridWindowTestParent", L"grid", WS_OVERLAPPEDWINDOW, 0, 0, 500, 400, nullptr,
                                nullptr, instance, nullptr);
    if (!parent_) GTEST_SKIP() << "no window system (no display?)";
    window_ = ::CreateWindowExW(0, gw::kGridWindowClass, L"", WS_CHILD | WS_VISIBLE | WS_VSCROLL | WS_HSCROLL, 0, 0,
                                400, 200, parent_, reinterpret_cast<HMENU>(10002), instance, nullptr);
    ASSERT_TRUE(window_);
    model_.SetNotifyHandler([this](int code, int row, int col) { modelNotices_.push_back({code, row, col}); });
    model_.SetPropagation(true);
    model_.SetColumnCount(3);
    model_.SetColumn(0, u"", 0, 0);
    model_.SetColumn(1, u"name", 0, 300);
    model_.SetColumn(2, u"type", 0, 300);
    model_.SetTreeColumn(1);
    g_parentNotices.clear();
  }
  void TearDown() override {
    if (parent_) ::DestroyWindow(parent_);
  }

  // A: A1, A2 below it (collapsed); B.
  void SmallTree() {
    a_ = model_.InsertItem(u"A", grid::kRootItem, 0, false);
    model_.InsertItem(u"A1", a_, 0, true);
    model_.InsertItem(u"A2", a_, 0, true);
    model_.InsertItem(u"B", grid::kRootItem, 0, false);
    gw::AttachGridModel(window_, &model_);
  }

  LRESULT Centre(int row, GridPart part) const {
    return ::SendMessageW(window_, gw::kGridPartCentre, row, static_cast<LPARAM>(part));
  }
  int RowAt(LRESULT point) const {
    const LRESULT hit = ::SendMessageW(window_, gw::kGridHitTest, 0, point);
    return hit == -1 ? -1 : gw::GridHitRow(hit);
  }
  void Click(int row, GridPart part, UINT message = WM_LBUTTONDOWN) {
    const LRESULT at = Centre(row, part);
    ASSERT_NE(at, -1);
    ::SendMessageW(window_, message, MK_LBUTTON, at);
    ::SendMessageW(window_, WM_LBUTTONUP, 0, at);
  }
  void Key(WPARAM key) { ::SendMessageW(window_, WM_KEYDOWN, key, 0); }

  HWND parent_ = nullptr;
  HWND window_ = nullptr;
  grid::CTreeGridCtrl model_;
  grid::TreeItem a_ = grid::kNoItem;
  std::vector<Notice> modelNotices_;
};

TEST_F(GridWindowTest, HitTestFindsHeaderExpandButtonCheckBoxAndCell) {
  SmallTree();
  const LRESULT header = ::SendMessageW(window_, gw::kGridHitTest, 0, MAKELPARAM(100, 2));
  EXPECT_EQ(gw::GridHitPart(header), GridPart::Header);
  EXPECT_EQ(gw::GridHitColumn(header), 1);
  // Collapsed children are not in view: B follows A directly.
  EXPECT_EQ(Centre(2, GridPart::CheckBox), -1);
  for (GridPart part : {GridPart::ExpandButton, GridPart::CheckBox, GridPart::Cell}) {
    const LRESULT hit = ::SendMessageW(window_, gw::kGridHitTest, 0, Centre(1, part));
    EXPECT_EQ(gw::GridHitRow(hit), 1);
    EXPECT_EQ(gw::GridHitPart(hit), part);
  }
  EXPECT_EQ(Centre(4, GridPart::ExpandButton), -1);  // B has no children, so no button
  EXPECT_EQ(RowAt(Centre(4, GridPart::Cell)), 4);
  // The type column of row 4 and the empty space below the last row.
  const LRESULT typeCell = ::SendMessageW(window_, gw::kGridHitTest, 0, MAKELPARAM(350, HIWORD(Centre(4, GridPart::Cell))));
  EXPECT_EQ(gw::GridHitColumn(typeCell), 2);
  EXPECT_EQ(::SendMessageW(window_, gw::kGridHitTest, 0, MAKELPARAM(100, 190)), -1);
}

TEST_F(GridWindowTest, ExpandButtonExpandsCollapsesAndTellsModelAndParent) {
  SmallTree();
  Click(1, GridPart::ExpandButton);
  EXPECT_TRUE(model_.IsRowExpanded(1));
  EXPECT_EQ(modelNotices_, (std::vector<Notice>{{grid::kNotifyItemExpanded, 1, 1}}));
  EXPECT_EQ(g_parentNotices, (std::vector<Notice>{{gw::kGridNotifyExpanded, 1, 1}}));
  EXPECT_EQ(RowAt(Centre(2, GridPart::Cell)), 2);
  EXPECT_EQ(RowAt(Centre(3, GridPart::Cell)), 3);
  // The children are indented: their check box lies right of the parent's.
  EXPECT_GT(LOWORD(Centre(2, GridPart::CheckBox)), LOWORD(Centre(1, GridPart::CheckBox)));

  Click(1, GridPart::ExpandButton);
  EXPECT_FALSE(model_.IsRowExpanded(1));
  EXPECT_EQ(Centre(2, GridPart::Cell), -1);
  EXPECT_EQ(g_parentNotices.size(), 1u);  // collapsing is not announced
}

TEST_F(GridWindowTest, CheckBoxClicksToggleAndPropagateDoubleClickTellsBoth) {
  SmallTree();
  Click(1, GridPart::ExpandButton);
  // A click on the box toggles the check in the model, which passes it up to the parent.
  Click(2, GridPart::CheckBox);
  EXPECT_EQ(model_.RowCheck(2), grid::kChecked);
  EXPECT_EQ(model_.RowCheck(1), grid::kPartlyChecked);
  Click(2, GridPart::CheckBox);
  EXPECT_EQ(model_.RowCheck(2), grid::kUnchecked);

  g_parentNotices.clear();
  modelNotices_.clear();
  Click(4, GridPart::Cell, WM_LBUTTONDBLCLK);
  EXPECT_EQ(modelNotices_, (std::vector<Notice>{{grid::kNotifyDoubleClick, 4, 1}}));
  EXPECT_EQ(g_parentNotices, (std::vector<Notice>{{gw::kGridNotifyDoubleClick, 4, 1}}));
  EXPECT_EQ(model_.SelectedRow(), 4);
}

TEST_F(GridWindowTest, KeyboardMovesSelectionExpandsCollapsesAndChecks) {
  SmallTree();
  EXPECT_EQ(::SendMessageW(window_, WM_GETDLGCODE, 0, 0) & DLGC_WANTARROWS, DLGC_WANTARROWS);
  Key(VK_DOWN);
  EXPECT_EQ(model_.SelectedRow(), 1);
  Key(VK_DOWN);
  EXPECT_EQ(model_.SelectedRow(), 4);  // over the collapsed children
  Key(VK_UP);
  Key(VK_RIGHT);
  EXPECT_TRUE(model_.IsRowExpanded(1));
  EXPECT_EQ(g_parentNotices, (std::vector<Notice>{{gw::kGridNotifyExpanded, 1, 1}}));
  Key(VK_DOWN);
  EXPECT_EQ(model_.SelectedRow(), 2);
  Key(VK_SPACE);
  EXPECT_EQ(model_.RowCheck(2), grid::kChecked);
  Key(VK_LEFT);  // to the parent
  EXPECT_EQ(model_.SelectedRow(), 1);
  Key(VK_LEFT);  // collapses it
  EXPECT_FALSE(model_.IsRowExpanded(1));
  Key(VK_END);
  EXPECT_EQ(model_.SelectedRow(), 4);
  Key(VK_HOME);
  EXPECT_EQ(model_.SelectedRow(), 1);
}

TEST_F(GridWindowTest, WheelScrollsTheUsersLineCountAndSelectionScrollsIntoView) {
  for (int i = 0; i < 100; ++i) model_.InsertItem(u"row " + std::u16string(1, static_cast<char16_t>(u'0' + i % 10)), grid::kRootItem, 0, false);
  gw::AttachGridModel(window_, &model_);
  const LRESULT top = Centre(1, GridPart::Cell);
  ASSERT_NE(top, -1);
  EXPECT_EQ(Centre(100, GridPart::Cell), -1);

  const unsigned lines = platform::WheelScrollLines();
  ASSERT_GT(lines, 0u);
  ASSERT_LT(lines, 20u);
  ::SendMessageW(window_, WM_MOUSEWHEEL, MAKEWPARAM(0, static_cast<WORD>(-WHEEL_DELTA)), 0);
  EXPECT_EQ(RowAt(top), 1 + static_cast<int>(lines));
  EXPECT_EQ(::GetScrollPos(window_, SB_VERT), static_cast<int>(lines));
  // Half notches add up.
  ::SendMessageW(window_, WM_MOUSEWHEEL, MAKEWPARAM(0, static_cast<WORD>(WHEEL_DELTA / 2)), 0);
  EXPECT_EQ(RowAt(top), 1 + static_cast<int>(lines));
  ::SendMessageW(window_, WM_MOUSEWHEEL, MAKEWPARAM(0, static_cast<WORD>(WHEEL_DELTA / 2)), 0);
  EXPECT_EQ(RowAt(top), 1);

  ::SendMessageW(window_, WM_VSCROLL, SB_LINEDOWN, 0);
  EXPECT_EQ(RowAt(top), 2);
  ::SendMessageW(window_, WM_VSCROLL, SB_BOTTOM, 0);
  EXPECT_NE(Centre(100, GridPart::Cell), -1);
  ::SendMessageW(window_, WM_VSCROLL, SB_TOP, 0);
  EXPECT_EQ(RowAt(top), 1);

  // The columns are wider than the window: it scrolls sideways, and the cells move with it.
  const LRESULT check = Centre(1, GridPart::CheckBox);
  ::SendMessageW(window_, WM_HSCROLL, SB_LINEDOWN, 0);
  EXPECT_EQ(::GetScrollPos(window_, SB_HORZ), 16);
  EXPECT_EQ(LOWORD(Centre(1, GridPart::CheckBox)), LOWORD(check) - 16);

  // A selection made through the model (a search) is brought into view on refresh.
  model_.SelectRow(80);
  gw::RefreshGridWindow(window_);
  EXPECT_NE(Centre(80, GridPart::Cell), -1);
  EXPECT_EQ(RowAt(Centre(80, GridPart::Cell)), 80);
}

}  // namespace
