#include "grid/TreeGridCtrl.h"

#include <gtest/gtest.h>

#include <string>
#include <tuple>
#include <vector>

using grid::CTreeGridCtrl;
using grid::kRootItem;
using grid::TreeItem;

namespace {

struct Fixture {
  CTreeGridCtrl grid;
  Fixture() {
    grid.SetColumnCount(4);
    grid.SetPropagation(true);
  }
  TreeItem Add(TreeItem parent, int check = 0, const char16_t* text = u"x") {
    return grid.InsertItem(text, parent, check, false);
  }
  TreeItem AddDisabled(TreeItem parent) {
    const TreeItem item = Add(parent);
    grid.SetItemState(item, 1, grid.GetItemState(item, 1) | grid::kStateCheckDisabled);
    return item;
  }
  void Click(TreeItem item) { grid.ClickCheck(grid.GetRowForItem(item)); }
  std::vector<int> Checks(const std::vector<TreeItem>& items) const {
    std::vector<int> out;
    for (TreeItem item : items) out.push_back(grid.GetCheck(item));
    return out;
  }
  // The rows below the header by their text, hidden ones in brackets.
  std::string Rows() const {
    std::string out;
    for (int row = 1; row < grid.RowCount(); ++row) {
      const std::u16string text = grid.CellText(row, 1);
      const std::string ascii(text.begin(), text.end());
      out += (out.empty() ? "" : " ") + (grid.IsRowHidden(row) ? "(" + ascii + ")" : ascii);
    }
    return out;
  }
};

}  // namespace

TEST(TreeGrid, RowsFollowDepthFirstOrderThroughInsertsAndDeletes) {
  Fixture f;
  CTreeGridCtrl& g = f.grid;
  const TreeItem a = f.Add(kRootItem, 0, u"a");
  const TreeItem b = f.Add(kRootItem, 0, u"b");
  const TreeItem a1 = f.Add(a, 0, u"a1");  // inserted in the middle of the rows
  const TreeItem b1 = f.Add(b, 0, u"b1");  // appended at the end
  const TreeItem a2 = f.Add(a, 0, u"a2");
  const TreeItem a11 = f.Add(a1, 0, u"a11");
  // Children of collapsed items are hidden rows; expanding the chain reveals them.
  EXPECT_EQ(f.Rows(), "a (a1) (a11) (a2) b (b1)");
  for (int row = 1; row < 7; ++row) EXPECT_EQ(row, g.GetRowForItem(g.GetItemForRow(row)));
  EXPECT_EQ(std::make_tuple(2, grid::kNoItem, a2, a1, a1, kRootItem),
            std::make_tuple(g.RowLevel(3), g.GetItemForRow(0), g.GetNextSiblingItem(a1), g.GetPrevSiblingItem(a2),
                            g.GetParentItem(a11), g.GetParentItem(b)));
  EXPECT_TRUE(g.ItemHasChildren(a1) && !g.ItemHasChildren(b1));
  g.ExpandItem(a);
  EXPECT_EQ(f.Rows(), "a a1 (a11) a2 b (b1)");
  g.CollapseItem(a);
  EXPECT_EQ(grid::kStateCollapsed, g.GetItemState(a, 1));

  // The selection stays on its item when rows above it go, and goes with its item.
  g.SelectRow(g.GetRowForItem(b1));
  g.DeleteItem(a1);
  EXPECT_EQ(f.Rows(), "a (a2) b (b1)");
  EXPECT_EQ(g.GetRowForItem(b1), g.SelectedRow());
  EXPECT_FALSE(g.IsValidItem(a11));
  EXPECT_EQ(std::make_pair(a2, grid::kNoItem), std::make_pair(g.GetChildItem(a), g.GetPrevSiblingItem(a2)));
  g.DeleteItem(b);
  EXPECT_EQ(-1, g.SelectedRow());
}

TEST(TreeGrid, NotifiesAfterExpandingAndOnDoubleClick) {
  Fixture f;
  const TreeItem a = f.Add(kRootItem);
  f.Add(a);
  std::vector<std::vector<int>> seen;
  f.grid.SetNotifyHandler([&](int code, int row, int col) {
    EXPECT_EQ(code == grid::kNotifyItemExpanded, f.grid.IsItemExpanded(a));
    seen.push_back({code, row, col});
  });
  f.grid.Expand(2);  // a leaf: nothing to expand
  f.grid.Expand(1);
  f.grid.Collapse(1);
  f.grid.DoubleClick(1, 3);
  EXPECT_EQ((std::vector<std::vector<int>>{{-111, 1, 1}, {-3, 1, 3}}), seen);
}

// A disabled sibling (of p) does not keep the parent partly checked.
TEST(TreeGrid, CheckingParentChecksDescendantsAndCompletesAncestors) {
  Fixture f;
  const TreeItem top = f.Add(kRootItem);
  const TreeItem p = f.Add(top);
  const TreeItem sibling = f.Add(top, 1);
  f.AddDisabled(top);
  const TreeItem c1 = f.Add(p);
  const TreeItem c2 = f.Add(p);
  const TreeItem g = f.Add(c1);
  f.Click(p);
  EXPECT_EQ((std::vector<int>{1, 1, 1, 1, 1, 1}), f.Checks({top, p, sibling, c1, c2, g}));
  // Unchecking one of three checked siblings leaves every ancestor partly checked.
  const TreeItem c3 = f.Add(p, 1);
  f.Click(c2);
  EXPECT_EQ((std::vector<int>{2, 2, 1, 0, 1}), f.Checks({top, p, c1, c2, c3}));
  f.Click(c2);  // checking it again completes the chain
  EXPECT_EQ((std::vector<int>{1, 1, 1}), f.Checks({top, p, c2}));
}

TEST(TreeGrid, DisabledRowsAreExemptFromPropagation) {
  Fixture f;
  const TreeItem p = f.Add(kRootItem);
  const TreeItem plain = f.Add(p);
  const TreeItem inner = f.Add(p);
  const std::vector<TreeItem> all{p, plain, inner, f.Add(inner), f.AddDisabled(inner), f.AddDisabled(p)};
  f.Click(p);
  EXPECT_EQ((std::vector<int>{2, 1, 2, 1, 0, 0}), f.Checks(all));
  f.Click(all[5]);  // a disabled check box ignores clicks
  EXPECT_EQ(0, f.grid.GetCheck(all[5]));
  // Partly checked with every enabled direct child checked: the click clears the subtree.
  f.Click(p);
  EXPECT_EQ((std::vector<int>{0, 0, 0, 0, 0, 0}), f.Checks(all));
  // Partly checked with an enabled direct child unchecked: stays 2 and checks below.
  f.Click(p);
  f.Click(plain);
  EXPECT_EQ((std::vector<int>{2, 0}), f.Checks({p, plain}));
  f.Click(p);
  EXPECT_EQ((std::vector<int>{2, 1, 2, 1, 0, 0}), f.Checks(all));
}

// What a backend asks instead of reading state flags and colours.
TEST(TreeGrid, RowsSayWhetherTheyAreCheckableAndGreyed) {
  Fixture f;
  const TreeItem plain = f.Add(kRootItem);
  const TreeItem disabled = f.AddDisabled(kRootItem);
  f.grid.SetItemTextColour(disabled, 1, grid::kGreyText);
  f.grid.SetItemTextColour(plain, 2, grid::kGreyText);  // another column's colour does not count
  for (int row : {0, 1, 2})  // the header row, a plain row, a disabled grey row
    EXPECT_EQ(std::make_pair(f.grid.IsRowCheckable(row), f.grid.IsRowGreyed(row)), std::make_pair(row == 1, row == 2)) << row;
}

TEST(TreeGrid, PropagationSwitchAndInitialChecks) {
  Fixture f;
  f.grid.SetPropagation(false);
  const TreeItem p = f.Add(kRootItem);
  const TreeItem c = f.Add(p);
  f.Click(c);
  EXPECT_EQ((std::vector<int>{0, 1}), f.Checks({p, c}));
  f.Click(c);
  EXPECT_EQ(0, f.grid.GetCheck(c));

  // parent's check, check given, follow the parent, resulting check
  const std::tuple<int, int, bool, int> cases[] = {{2, 0, true, 1}, {0, 1, true, 0}, {0, 2, false, 2}};
  for (const auto& [parentCheck, given, flag, expected] : cases) {
    f.grid.SetCheckValue(p, parentCheck);
    EXPECT_EQ(expected, f.grid.GetCheck(f.grid.InsertItem(u"n", p, given, flag))) << parentCheck << given << flag;
    EXPECT_EQ(parentCheck, f.grid.GetCheck(p));
  }
  EXPECT_EQ(2, f.grid.GetCheck(f.grid.InsertItem(u"top", kRootItem, 2, true)));
}

// 1000 rows with 200 children each, inserted under rows in the middle, with lookups between.
TEST(TreeGrid, ManyRowsInsertInLinearTime) {
  Fixture f;
  std::vector<TreeItem> tops;
  for (int i = 0; i < 1000; ++i) tops.push_back(f.Add(kRootItem));
  for (size_t i = 0; i < tops.size(); ++i) {
    for (int k = 0; k < 200; ++k) f.Add(tops[i]);
    ASSERT_TRUE(i % 10 != 0 || f.grid.GetRowForItem(tops[i]) > 0) << i;
  }
  EXPECT_EQ(1 + 1000 * 201, f.grid.RowCount());
  EXPECT_EQ(tops[999], f.grid.GetItemForRow(1 + 999 * 201));
}
