#pragma once
// The tree grid model: one fixed header row, columns, and rows that show the items of a tree
// in depth-first order. The tree column's cell of every row carries a three-state check box
// whose changes are carried to related rows (see SetCheck). Rows of items below a collapsed
// item stay rows but are hidden.
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "grid/GridView.h"

namespace grid {

using TreeItem = uint32_t;
inline constexpr TreeItem kRootItem = 0;  // parent of the top-level items; shows no row
inline constexpr TreeItem kNoItem = 0xFFFFFFFFu;

inline constexpr uint32_t kStateReadOnly = 0x0008;
inline constexpr uint32_t kStateHidden = 0x0200;
inline constexpr uint32_t kStateExpanded = 0x0400;
inline constexpr uint32_t kStateCollapsed = 0x0800;
inline constexpr uint32_t kStateCheckDisabled = 0x2000;

// The text colour of rows the user cannot pick.
inline constexpr uint32_t kGreyText = 0x7F7F7F;

inline constexpr int kUnchecked = 0;
inline constexpr int kChecked = 1;
inline constexpr int kPartlyChecked = 2;

// Notification codes sent to the owner.
inline constexpr int kNotifyItemExpanded = -111;
inline constexpr int kNotifyDoubleClick = -3;

class CTreeGridCtrl : public GridView {
 public:
  using NotifyHandler = std::function<void(int code, int row, int col)>;
  using NameProvider = std::function<std::u16string(int row)>;

  CTreeGridCtrl();

  // Columns.
  void SetColumnCount(int count);
  void SetColumn(int col, const std::u16string& heading, uint32_t format, int width);
  uint32_t ColumnFormat(int col) const;
  void SetFixedRowCount(int count);  // 0 or 1
  void SetTreeColumn(int col) { treeColumn_ = col; }

  // Removes every item row; columns and the header stay.
  void DeleteAllItems();

  // Check propagation switch (off at construction).
  void SetPropagation(bool on) { propagate_ = on; }

  // Appends an item at the end of parent's children (kRootItem: top level). With
  // takeParentCheck the stored check value is then replaced by the parent's: 0 stays 0,
  // 1 and 2 become 1; a top-level item keeps the value given.
  TreeItem InsertItem(const std::u16string& text, TreeItem parent, int check, bool takeParentCheck);
  // Deletes the item and its subtree.
  void DeleteItem(TreeItem item);

  bool IsValidItem(TreeItem item) const;
  TreeItem GetParentItem(TreeItem item) const;
  TreeItem GetChildItem(TreeItem item) const;  // first child
  TreeItem GetNextSiblingItem(TreeItem item) const;
  TreeItem GetPrevSiblingItem(TreeItem item) const;
  bool ItemHasChildren(TreeItem item) const;
  int GetItemLevel(TreeItem item) const;

  int GetRowForItem(TreeItem item) const;  // -1 when the item shows no row
  TreeItem GetItemForRow(int row) const;   // kNoItem for header or invalid rows
  bool IsValidRow(int row) const { return row >= 0 && row < RowCount(); }

  // Expanding and collapsing without notification.
  void ExpandItem(TreeItem item);
  void CollapseItem(TreeItem item);
  bool IsItemExpanded(TreeItem item) const;

  // Cells of item rows.
  std::u16string GetItemText(TreeItem item, int col) const;
  void SetItemText(TreeItem item, int col, const std::u16string& text);
  void* GetItemData(TreeItem item, int col) const;
  void SetItemData(TreeItem item, int col, void* data);
  uint32_t GetItemState(TreeItem item, int col) const;
  void SetItemState(TreeItem item, int col, uint32_t state);
  uint32_t GetItemTextColour(TreeItem item, int col) const;
  void SetItemTextColour(TreeItem item, int col, uint32_t colour);

  // Check value of the item's tree cell.
  int GetCheck(TreeItem item) const;
  // Stores the value and nothing else.
  void SetCheckValue(TreeItem item, int value);
  // Stores the value as a user's change and carries it to descendants and ancestors while
  // propagation is on. Rows with the check-disabled flag take no part.
  void SetCheck(TreeItem item, int value);
  // A click in the check box: 1 becomes 0, 0 and 2 become 1.
  void ToggleCheck(TreeItem item);

  void SetNotifyHandler(NotifyHandler handler) { notify_ = std::move(handler); }
  void SetAccessibleNameProvider(NameProvider provider) { nameProvider_ = std::move(provider); }

  // GridView
  int RowCount() const override;
  int FixedRowCount() const override { return fixedRows_; }
  int ColumnCount() const override { return static_cast<int>(columns_.size()); }
  int TreeColumn() const override { return treeColumn_; }
  std::u16string ColumnHeading(int col) const override;
  int ColumnWidth(int col) const override;
  int RowLevel(int row) const override;
  bool IsRowHidden(int row) const override;
  std::u16string CellText(int row, int col) const override;
  int RowCheck(int row) const override;
  bool IsRowCheckable(int row) const override;
  bool IsRowGreyed(int row) const override;
  uint32_t CellState(int row, int col) const override;
  uint32_t CellTextColour(int row, int col) const override;
  bool RowHasChildren(int row) const override;
  bool IsRowExpanded(int row) const override;
  std::u16string AccessibleName(int row) const override;
  void ClickCheck(int row) override;
  void Expand(int row) override;
  void Collapse(int row) override;
  void DoubleClick(int row, int col) override;
  void SelectRow(int row) override;
  void EnsureVisible(int row) override;
  int SelectedRow() const override { return GetRowForItem(selectedItem_); }
  int VisibleRow() const { return GetRowForItem(visibleItem_); }

 private:
  struct Cell {
    std::u16string text;
    void* data = nullptr;
    uint32_t state = 0;
    uint32_t colour = 0;
  };
  struct Column {
    std::u16string heading;
    uint32_t format = 0;
    int width = 0;
  };
  struct Item {
    TreeItem parent = kNoItem;
    TreeItem firstChild = kNoItem;
    TreeItem lastChild = kNoItem;
    TreeItem next = kNoItem;
    TreeItem prev = kNoItem;
    int level = -1;
    int check = 0;
    bool alive = false;
    mutable int row = -1;
    std::vector<Cell> cells;
  };
  struct ChildrenTest {
    bool hasDisabled = false;
    bool allChecked = true;
  };

  bool IsItemRow(TreeItem item) const { return item != kRootItem && IsValidItem(item); }
  bool IsDisabled(TreeItem item) const { return (GetItemState(item, treeColumn_) & kStateCheckDisabled) != 0; }
  const Cell* FindCell(TreeItem item, int col) const;
  Cell* MutableCell(TreeItem item, int col);
  TreeItem AllocateItem();
  bool IsAtEndOfRows(TreeItem parent) const;
  void RebuildRows() const;

  bool SubtreeHasDisabled(TreeItem item) const;
  ChildrenTest TestChildren(TreeItem item) const;
  void PropagateDown(TreeItem item, int value);
  void PropagateUp(TreeItem item, int value);

  std::vector<Column> columns_;
  std::vector<Item> items_;  // items_[kRootItem] is the invisible root
  std::vector<TreeItem> freeItems_;
  mutable std::vector<TreeItem> rows_;  // rows_[row - fixedRows_] is the item of a row
  mutable bool rowsDirty_ = false;
  int fixedRows_ = 1;
  int treeColumn_ = 1;
  bool propagate_ = false;
  // The selection and the row made visible follow their items when rows are inserted or
  // deleted elsewhere, and are dropped with their items.
  TreeItem selectedItem_ = kNoItem;
  TreeItem visibleItem_ = kNoItem;
  NotifyHandler notify_;
  NameProvider nameProvider_;
};

}  // namespace grid
