#include "grid/TreeGridCtrl.h"

#include <gtest/gtest.h>

#include <chrono>
#include <iostream>
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
  TreeItem Add(TreeItem parent, int check = 0) { return grid.InsertItem(u"x", parent, check, false); }
  void Disable(TreeItem item) { grid.SetItemState(item, 1, grid.GetItemState(item, 1) | grid::kStateCheckDisabled); }
  std::vector<int> Checks(const std::vector<TreeItem>& items) const {
    std::vector<int> out;
    for (TreeItem item : items) out.push_back(grid.GetCheck(item));
    return out;
  }
};

}  // namespace

TEST(TreeGrid, RowsFollowDepthFirstOrderThroughInsertsAndDeletes) {
  Fixture f;
  TreeItem a = f.grid.InsertItem(u"a", kRootItem, 0, false);
  TreeItem b = f.grid.InsertItem(u"b", kRootItem, 0, false);
  TreeItem a1 = f.grid.InsertItem(u"a1", a, 0, false);  // inserted in the middle of the rows
  TreeItem b1 = f.grid.InsertItem(u"b1", b, 0, false);  // appended at the end
  TreeItem a2 = f.grid.InsertItem(u"a2", a, 0, false);
  TreeItem a11 = f.grid.InsertItem(u"a11", a1, 0, false);

  const std::vector<std::u16string> expected{u"a", u"a1", u"a11", u"a2", u"b", u"b1"};
  ASSERT_EQ(7, f.grid.RowCount());
  for (int row = 1; row < 7; ++row) {
    EXPECT_EQ(expected[static_cast<size_t>(row - 1)], f.grid.CellText(row, 1));
    EXPECT_EQ(row, f.grid.GetRowForItem(f.grid.GetItemForRow(row)));
  }
  EXPECT_EQ(2, f.grid.RowLevel(3));
  EXPECT_EQ(grid::kNoItem, f.grid.GetItemForRow(0));
  EXPECT_EQ(a2, f.grid.GetNextSiblingItem(a1));
  EXPECT_EQ(a1, f.grid.GetPrevSiblingItem(a2));
  EXPECT_EQ(a1, f.grid.GetParentItem(a11));
  EXPECT_EQ(kRootItem, f.grid.GetParentItem(b));
  EXPECT_TRUE(f.grid.ItemHasChildren(a1));
  EXPECT_FALSE(f.grid.ItemHasChildren(b1));

  // Children of collapsed items are hidden rows; expanding the chain reveals them.
  EXPECT_FALSE(f.grid.IsRowHidden(1));
  EXPECT_TRUE(f.grid.IsRowHidden(2));
  f.grid.ExpandItem(a);
  EXPECT_FALSE(f.grid.IsRowHidden(2));
  EXPECT_TRUE(f.grid.IsRowHidden(3));
  f.grid.CollapseItem(a);
  EXPECT_EQ(grid::kStateCollapsed, f.grid.GetItemState(a, 1));

  // The selection stays on its item when rows above it go, and goes with its item.
  f.grid.SelectRow(f.grid.GetRowForItem(b1));
  f.grid.DeleteItem(a1);
  ASSERT_EQ(5, f.grid.RowCount());
  EXPECT_EQ(f.grid.GetRowForItem(b1), f.grid.SelectedRow());
  EXPECT_EQ(u"a2", f.grid.CellText(2, 1));
  EXPECT_FALSE(f.grid.IsValidItem(a11));
  EXPECT_EQ(a2, f.grid.GetChildItem(a));
  EXPECT_EQ(grid::kNoItem, f.grid.GetPrevSiblingItem(a2));

  f.grid.DeleteItem(b);
  EXPECT_EQ(-1, f.grid.SelectedRow());
  f.grid.DeleteAllItems();
  EXPECT_EQ(1, f.grid.RowCount());
}

TEST(TreeGrid, NotifiesAfterExpandingAndOnDoubleClick) {
  Fixture f;
  TreeItem a = f.Add(kRootItem);
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

TEST(TreeGrid, CheckingParentChecksDescendantsAndCompletesAncestors) {
  Fixture f;
  TreeItem top = f.Add(kRootItem);
  TreeItem p = f.Add(top);
  TreeItem sibling = f.Add(top, 1);
  TreeItem c1 = f.Add(p);
  TreeItem c2 = f.Add(p);
  TreeItem g = f.Add(c1);

  f.grid.ClickCheck(f.grid.GetRowForItem(p));
  EXPECT_EQ((std::vector<int>{1, 1, 1, 1, 1, 1}), f.Checks({top, p, sibling, c1, c2, g}));

  // Unchecking one of three checked siblings leaves every ancestor partly checked.
  TreeItem c3 = f.Add(p, 1);
  f.grid.ClickCheck(f.grid.GetRowForItem(c2));
  EXPECT_EQ((std::vector<int>{2, 2, 1, 1, 0, 1, 1}), f.Checks({top, p, sibling, c1, c2, c3, g}));

  // Checking it again completes the chain.
  f.grid.ClickCheck(f.grid.GetRowForItem(c2));
  EXPECT_EQ((std::vector<int>{1, 1, 1}), f.Checks({top, p, c2}));
}

TEST(TreeGrid, DisabledRowsAreExemptFromPropagation) {
  Fixture f;
  TreeItem p = f.Add(kRootItem);
  TreeItem plain = f.Add(p);
  TreeItem inner = f.Add(p);
  TreeItem innerLeaf = f.Add(inner);
  TreeItem innerDisabled = f.Add(inner);
  TreeItem disabledLeaf = f.Add(p);
  f.Disable(innerDisabled);
  f.Disable(disabledLeaf);
  const std::vector<TreeItem> all{p, plain, inner, innerLeaf, innerDisabled, disabledLeaf};

  f.grid.ClickCheck(f.grid.GetRowForItem(p));
  EXPECT_EQ((std::vector<int>{2, 1, 2, 1, 0, 0}), f.Checks(all));

  // A disabled check box ignores clicks.
  f.grid.ClickCheck(f.grid.GetRowForItem(disabledLeaf));
  EXPECT_EQ(0, f.grid.GetCheck(disabledLeaf));

  // Partly checked with every enabled direct child checked: the click clears the subtree.
  f.grid.ClickCheck(f.grid.GetRowForItem(p));
  EXPECT_EQ((std::vector<int>{0, 0, 0, 0, 0, 0}), f.Checks(all));

  // Partly checked with an enabled direct child unchecked: stays 2 and checks below.
  f.grid.ClickCheck(f.grid.GetRowForItem(p));
  f.grid.ClickCheck(f.grid.GetRowForItem(plain));
  EXPECT_EQ((std::vector<int>{2, 0}), f.Checks({p, plain}));
  f.grid.ClickCheck(f.grid.GetRowForItem(p));
  EXPECT_EQ((std::vector<int>{2, 1, 2, 1, 0, 0}), f.Checks(all));

  // A disabled sibling does not keep the parent partly checked.
  Fixture g;
  TreeItem q = g.Add(kRootItem);
  TreeItem leaf = g.Add(q);
  g.Disable(g.Add(q));
  g.grid.ClickCheck(g.grid.GetRowForItem(leaf));
  EXPECT_EQ(1, g.grid.GetCheck(q));
}

// What a backend asks instead of reading state flags and colours.
TEST(TreeGrid, RowsSayWhetherTheyAreCheckableAndGreyed) {
  Fixture f;
  TreeItem plain = f.Add(kRootItem);
  TreeItem disabled = f.Add(kRootItem);
  f.Disable(disabled);
  f.grid.SetItemTextColour(disabled, 1, grid::kGreyText);
  f.grid.SetItemTextColour(plain, 2, grid::kGreyText);  // another column's colour does not count
  EXPECT_TRUE(f.grid.IsRowCheckable(f.grid.GetRowForItem(plain)));
  EXPECT_FALSE(f.grid.IsRowCheckable(f.grid.GetRowForItem(disabled)));
  EXPECT_FALSE(f.grid.IsRowCheckable(0));  // the header row
  EXPECT_FALSE(f.grid.IsRowGreyed(f.grid.GetRowForItem(plain)));
  EXPECT_TRUE(f.grid.IsRowGreyed(f.grid.GetRowForItem(disabled)));
}

TEST(TreeGrid, PropagationSwitchAndInitialChecks) {
  Fixture f;
  f.grid.SetPropagation(false);
  TreeItem p = f.Add(kRootItem);
  TreeItem c = f.Add(p);
  f.grid.ClickCheck(f.grid.GetRowForItem(c));
  EXPECT_EQ((std::vector<int>{0, 1}), f.Checks({p, c}));
  f.grid.ClickCheck(f.grid.GetRowForItem(c));
  EXPECT_EQ(0, f.grid.GetCheck(c));

  // parent's check, check given, follow the parent, resulting check
  const std::tuple<int, int, bool, int> cases[] = {{2, 0, true, 1}, {1, 0, true, 1}, {0, 1, true, 0}, {0, 2, false, 2},
                                                   {2, 0, false, 0}};
  for (const auto& [parentCheck, given, flag, expected] : cases) {
    f.grid.SetCheckValue(p, parentCheck);
    EXPECT_EQ(expected, f.grid.GetCheck(f.grid.InsertItem(u"n", p, given, flag))) << parentCheck << given << flag;
    EXPECT_EQ(parentCheck, f.grid.GetCheck(p));
  }
  EXPECT_EQ(2, f.grid.GetCheck(f.grid.InsertItem(u"top", kRootItem, 2, true)));
}

TEST(TreeGrid, ManyRowsInsertInLinearTime) {
  Fixture f;
  const auto start = std::chrono::steady_clock::now();
  std::vector<TreeItem> tops;
  for (int i = 0; i < 1000; ++i) tops.push_back(f.Add(kRootItem));
  // Children under items in the middle of the rows; a lookup after every tenth batch.
  for (size_t i = 0; i < tops.size(); ++i) {
    for (int k = 0; k < 200; ++k) f.Add(tops[i]);
    if (i % 10 == 0) {
      ASSERT_GT(f.grid.GetRowForItem(tops[i]), 0);
    }
  }
  EXPECT_EQ(1 + 1000 * 201, f.grid.RowCount());
  EXPECT_EQ(tops[999], f.grid.GetItemForRow(1 + 999 * 201));
  const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - start);
  std::cout << "201000 rows inserted with lookups in " << ms.count() << " ms\n";
}
