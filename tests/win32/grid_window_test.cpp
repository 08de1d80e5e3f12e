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
  int code, row, column;
  bool operator==(const Notice&) const = default;
};
std::vector<Notice> g_parentNotices;

LRESULT CALLBACK ParentProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message != WM_NOTIFY) return ::DefWindowProcW(hwnd, message, wParam, lParam);
  const auto* notice = reinterpret_cast<const gw::GridNotification*>(lParam);
  g_parentNotices.push_back({static_cast<int>(notice->header.code), notice->row, notice->column});
  return 0;
}

class GridWindowTest : public ::testing::Test {
 protected:
  void SetUp() override {
    const HINSTANCE instance = ::GetModuleHandleW(nullptr);
    ASSERT_TRUE(gw::RegisterGridWindowClass(instance));
    ASSERT_TRUE(gw::RegisterGridWindowClass(instance));  // a second registration is no error
    const WNDCLASSW parentClass{0, &ParentProc, 0, 0, instance, nullptr, nullptr, nullptr, nullptr, L"GridTestParent"};
    ::RegisterClassW(&parentClass);
    parent_ = ::CreateWindowExW(0, L"GridTestParent", L"grid", WS_OVERLAPPEDWINDOW, 0, 0, 500, 400, nullptr, nullptr,
                                instance, nullptr);
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

  // Rows: 1 A, 2 A1 and 3 A2 below it (collapsed), 4 B.
  void SmallTree() {
    const grid::TreeItem a = model_.InsertItem(u"A", grid::kRootItem, 0, false);
    model_.InsertItem(u"A1", a, 0, true);
    model_.InsertItem(u"A2", a, 0, true);
    model_.InsertItem(u"B", grid::kRootItem, 0, false);
    gw::AttachGridModel(window_, &model_);
  }

  LRESULT Centre(int row, GridPart part) const {
    return ::SendMessageW(window_, gw::kGridPartCentre, row, static_cast<LPARAM>(part));
  }
  LRESULT HitAt(LPARAM point) const { return ::SendMessageW(window_, gw::kGridHitTest, 0, point); }
  int RowAt(LRESULT point) const {
    const LRESULT hit = HitAt(point);
    return hit == -1 ? -1 : gw::GridHitRow(hit);
  }
  void Click(int row, GridPart part, UINT message = WM_LBUTTONDOWN) {
    const LRESULT at = Centre(row, part);
    ASSERT_NE(at, -1);
    ::SendMessageW(window_, message, MK_LBUTTON, at);
    ::SendMessageW(window_, WM_LBUTTONUP, 0, at);
  }
  void Wheel(int delta) { ::SendMessageW(window_, WM_MOUSEWHEEL, MAKEWPARAM(0, static_cast<WORD>(delta)), 0); }

  HWND parent_ = nullptr;
  HWND window_ = nullptr;
  grid::CTreeGridCtrl model_;
  std::vector<Notice> modelNotices_;
};

TEST_F(GridWindowTest, HitTestFindsHeaderExpandButtonCheckBoxAndCell) {
  SmallTree();
  const LRESULT header = HitAt(MAKELPARAM(100, 2));
  EXPECT_EQ(gw::GridHitPart(header), GridPart::Header);
  EXPECT_EQ(gw::GridHitColumn(header), 1);
  for (GridPart part : {GridPart::ExpandButton, GridPart::CheckBox, GridPart::Cell}) {
    const LRESULT hit = HitAt(Centre(1, part));
    EXPECT_EQ(gw::GridHitRow(hit), 1);
    EXPECT_EQ(gw::GridHitPart(hit), part);
  }
  EXPECT_EQ(Centre(4, GridPart::ExpandButton), -1);  // B has no children, so no button
  EXPECT_EQ(RowAt(Centre(4, GridPart::Cell)), 4);    // B follows A directly
  EXPECT_EQ(gw::GridHitColumn(HitAt(MAKELPARAM(350, HIWORD(Centre(4, GridPart::Cell))))), 2);
  EXPECT_EQ(HitAt(MAKELPARAM(100, 190)), -1);  // below the last row
}

TEST_F(GridWindowTest, ExpandButtonExpandsCollapsesAndTellsModelAndParent) {
  SmallTree();
  Click(1, GridPart::ExpandButton);
  EXPECT_TRUE(model_.IsRowExpanded(1));
  EXPECT_EQ(modelNotices_, (std::vector<Notice>{{grid::kNotifyItemExpanded, 1, 1}}));
  EXPECT_EQ(g_parentNotices, (std::vector<Notice>{{gw::kGridNotifyExpanded, 1, 1}}));
  EXPECT_EQ(RowAt(Centre(2, GridPart::Cell)), 2);
  // The children are indented: their check box lies right of the parent's.
  EXPECT_GT(LOWORD(Centre(2, GridPart::CheckBox)), LOWORD(Centre(1, GridPart::CheckBox)));

  Click(1, GridPart::ExpandButton);
  EXPECT_FALSE(model_.IsRowExpanded(1));
  EXPECT_EQ(Centre(2, GridPart::Cell), -1);  // collapsed children are not in view
  EXPECT_EQ(g_parentNotices.size(), 1u);  // collapsing is not announced
}

TEST_F(GridWindowTest, CheckBoxClicksToggleAndPropagateDoubleClickTellsBoth) {
  SmallTree();
  Click(1, GridPart::ExpandButton);
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
  // Each key in turn, and the selected row, whether A is expanded and A1's check after it.
  const struct { WPARAM key; int selected; bool expanded; int check; } steps[] = {
      {VK_DOWN, 1, false, grid::kUnchecked},  {VK_DOWN, 4, false, grid::kUnchecked},  // over the collapsed children
      {VK_UP, 1, false, grid::kUnchecked},    {VK_RIGHT, 1, true, grid::kUnchecked},
      {VK_DOWN, 2, true, grid::kUnchecked},   {VK_SPACE, 2, true, grid::kChecked},
      {VK_LEFT, 1, true, grid::kChecked},     {VK_LEFT, 1, false, grid::kChecked},  // to the parent, then collapses
      {VK_END, 4, false, grid::kChecked},     {VK_HOME, 1, false, grid::kChecked},
  };
  for (const auto& step : steps) {
    SCOPED_TRACE(testing::Message() << "key " << step.key << " to row " << step.selected);
    ::SendMessageW(window_, WM_KEYDOWN, step.key, 0);
    EXPECT_EQ(model_.SelectedRow(), step.selected);
    EXPECT_EQ(model_.IsRowExpanded(1), step.expanded);
    EXPECT_EQ(model_.RowCheck(2), step.check);
  }
  EXPECT_EQ(g_parentNotices, (std::vector<Notice>{{gw::kGridNotifyExpanded, 1, 1}}));
}

TEST_F(GridWindowTest, WheelScrollsTheUsersLineCountAndSelectionScrollsIntoView) {
  for (int i = 0; i < 100; ++i) model_.InsertItem(u"row", grid::kRootItem, 0, false);
  gw::AttachGridModel(window_, &model_);
  const LRESULT top = Centre(1, GridPart::Cell);
  ASSERT_NE(top, -1);
  EXPECT_EQ(Centre(100, GridPart::Cell), -1);

  const int lines = static_cast<int>(platform::WheelScrollLines());
  ASSERT_TRUE(lines > 0 && lines < 20) << lines;
  Wheel(-WHEEL_DELTA);
  EXPECT_EQ(RowAt(top), 1 + lines);
  EXPECT_EQ(::GetScrollPos(window_, SB_VERT), lines);
  Wheel(WHEEL_DELTA / 2);  // half notches add up
  EXPECT_EQ(RowAt(top), 1 + lines);
  Wheel(WHEEL_DELTA / 2);
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
  EXPECT_EQ(RowAt(Centre(80, GridPart::Cell)), 80);
}

}  // namespace
