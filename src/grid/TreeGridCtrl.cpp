#include "grid/TreeGridCtrl.h"

#include <unordered_map>

namespace grid {

CTreeGridCtrl::CTreeGridCtrl() { DeleteAllItems(); }

// ---- columns ----

void CTreeGridCtrl::SetColumnCount(int count) {
  if (count < 0) count = 0;
  columns_.resize(static_cast<size_t>(count));
  for (auto& item : items_) {
    if (item.cells.size() > columns_.size()) item.cells.resize(columns_.size());
  }
}

void CTreeGridCtrl::SetColumn(int col, const std::u16string& heading, uint32_t format, int width) {
  if (col < 0 || col >= ColumnCount()) return;
  columns_[static_cast<size_t>(col)] = Column{heading, format, width};
}

uint32_t CTreeGridCtrl::ColumnFormat(int col) const {
  if (col < 0 || col >= ColumnCount()) return 0;
  return columns_[static_cast<size_t>(col)].format;
}

std::u16string CTreeGridCtrl::ColumnHeading(int col) const {
  if (col < 0 || col >= ColumnCount()) return {};
  return columns_[static_cast<size_t>(col)].heading;
}

int CTreeGridCtrl::ColumnWidth(int col) const {
  if (col < 0 || col >= ColumnCount()) return 0;
  return columns_[static_cast<size_t>(col)].width;
}

void CTreeGridCtrl::SetFixedRowCount(int count) { fixedRows_ = count > 0 ? 1 : 0; }

// ---- items ----

void CTreeGridCtrl::DeleteAllItems() {
  items_.clear();
  items_.emplace_back();
  items_[kRootItem].alive = true;
  freeItems_.clear();
  rows_.clear();
  rowsDirty_ = false;
  selectedItem_ = kNoItem;
  visibleItem_ = kNoItem;
}

bool CTreeGridCtrl::IsValidItem(TreeItem item) const { return item < items_.size() && items_[item].alive; }

TreeItem CTreeGridCtrl::AllocateItem() {
  if (!freeItems_.empty()) {
    TreeItem item = freeItems_.back();
    freeItems_.pop_back();
    items_[item] = Item{};
    return item;
  }
  items_.emplace_back();
  return static_cast<TreeItem>(items_.size() - 1);
}

// The rows of parent's subtree end the row list when parent and each of its ancestors are
// the last children of their parents; a new child of parent then simply becomes the last row.
bool CTreeGridCtrl::IsAtEndOfRows(TreeItem parent) const {
  for (TreeItem at = parent; at != kRootItem; at = items_[at].parent) {
    if (items_[at].next != kNoItem) return false;
  }
  return true;
}

TreeItem CTreeGridCtrl::InsertItem(const std::u16string& text, TreeItem parent, int check, bool takeParentCheck) {
  if (!IsValidItem(parent)) return kNoItem;
  const bool appendRow = !rowsDirty_ && IsAtEndOfRows(parent);
  const TreeItem item = AllocateItem();
  Item& added = items_[item];
  Item& owner = items_[parent];
  added.alive = true;
  added.parent = parent;
  added.level = owner.level + 1;
  added.prev = owner.lastChild;
  if (owner.lastChild != kNoItem) {
    items_[owner.lastChild].next = item;
  } else {
    owner.firstChild = item;
  }
  owner.lastChild = item;
  added.check = check;
  if (takeParentCheck && parent != kRootItem) added.check = owner.check == kUnchecked ? kUnchecked : kChecked;
  SetItemText(item, treeColumn_, text);

  if (appendRow) {
    rows_.push_back(item);
    added.row = fixedRows_ + static_cast<int>(rows_.size()) - 1;
  } else {
    rowsDirty_ = true;
  }
  return item;
}

void CTreeGridCtrl::DeleteItem(TreeItem item) {
  if (!IsItemRow(item)) return;
  Item& gone = items_[item];
  Item& owner = items_[gone.parent];
  if (gone.prev != kNoItem) {
    items_[gone.prev].next = gone.next;
  } else {
    owner.firstChild = gone.next;
  }
  if (gone.next != kNoItem) {
    items_[gone.next].prev = gone.prev;
  } else {
    owner.lastChild = gone.prev;
  }

  std::vector<TreeItem> pending{item};
  while (!pending.empty()) {
    TreeItem at = pending.back();
    pending.pop_back();
    for (TreeItem child = items_[at].firstChild; child != kNoItem; child = items_[child].next) pending.push_back(child);
    if (at == selectedItem_) selectedItem_ = kNoItem;
    if (at == visibleItem_) visibleItem_ = kNoItem;
    items_[at] = Item{};
    freeItems_.push_back(at);
  }
  rowsDirty_ = true;
}

TreeItem CTreeGridCtrl::GetParentItem(TreeItem item) const { return IsItemRow(item) ? items_[item].parent : kNoItem; }
TreeItem CTreeGridCtrl::GetChildItem(TreeItem item) const { return IsValidItem(item) ? items_[item].firstChild : kNoItem; }
TreeItem CTreeGridCtrl::GetNextSiblingItem(TreeItem item) const { return IsItemRow(item) ? items_[item].next : kNoItem; }
TreeItem CTreeGridCtrl::GetPrevSiblingItem(TreeItem item) const { return IsItemRow(item) ? items_[item].prev : kNoItem; }
bool CTreeGridCtrl::ItemHasChildren(TreeItem item) const {
  return IsValidItem(item) && items_[item].firstChild != kNoItem;
}
int CTreeGridCtrl::GetItemLevel(TreeItem item) const { return IsItemRow(item) ? items_[item].level : -1; }

// ---- rows ----

void CTreeGridCtrl::RebuildRows() const {
  rows_.clear();
  TreeItem at = items_[kRootItem].firstChild;
  while (at != kNoItem) {
    items_[at].row = fixedRows_ + static_cast<int>(rows_.size());
    rows_.push_back(at);
    if (items_[at].firstChild != kNoItem) {
      at = items_[at].firstChild;
      continue;
    }
    while (at != kRootItem && items_[at].next == kNoItem) at = items_[at].parent;
    at = at == kRootItem ? kNoItem : items_[at].next;
  }
  rowsDirty_ = false;
}

int CTreeGridCtrl::RowCount() const {
  if (rowsDirty_) RebuildRows();
  return fixedRows_ + static_cast<int>(rows_.size());
}

int CTreeGridCtrl::GetRowForItem(TreeItem item) const {
  if (!IsItemRow(item)) return -1;
  if (rowsDirty_) RebuildRows();
  return items_[item].row;
}

TreeItem CTreeGridCtrl::GetItemForRow(int row) const {
  if (rowsDirty_) RebuildRows();
  const int index = row - fixedRows_;
  if (index < 0 || index >= static_cast<int>(rows_.size())) return kNoItem;
  return rows_[static_cast<size_t>(index)];
}

// ---- expansion ----

void CTreeGridCtrl::ExpandItem(TreeItem item) {
  if (!IsItemRow(item)) return;
  SetItemState(item, treeColumn_, (GetItemState(item, treeColumn_) & ~kStateCollapsed) | kStateExpanded);
}

void CTreeGridCtrl::CollapseItem(TreeItem item) {
  if (!IsItemRow(item)) return;
  SetItemState(item, treeColumn_, (GetItemState(item, treeColumn_) & ~kStateExpanded) | kStateCollapsed);
}

bool CTreeGridCtrl::IsItemExpanded(TreeItem item) const {
  return (GetItemState(item, treeColumn_) & kStateExpanded) != 0;
}

// ---- cells ----

const CTreeGridCtrl::Cell* CTreeGridCtrl::FindCell(TreeItem item, int col) const {
  if (!IsItemRow(item) || col < 0) return nullptr;
  const auto& cells = items_[item].cells;
  return static_cast<size_t>(col) < cells.size() ? &cells[static_cast<size_t>(col)] : nullptr;
}

CTreeGridCtrl::Cell* CTreeGridCtrl::MutableCell(TreeItem item, int col) {
  if (!IsItemRow(item) || col < 0 || col >= ColumnCount()) return nullptr;
  auto& cells = items_[item].cells;
  if (static_cast<size_t>(col) >= cells.size()) cells.resize(columns_.size());
  return &cells[static_cast<size_t>(col)];
}

std::u16string CTreeGridCtrl::GetItemText(TreeItem item, int col) const {
  const Cell* cell = FindCell(item, col);
  return cell ? cell->text : std::u16string();
}
void CTreeGridCtrl::SetItemText(TreeItem item, int col, const std::u16string& text) {
  if (Cell* cell = MutableCell(item, col)) cell->text = text;
}
void* CTreeGridCtrl::GetItemData(TreeItem item, int col) const {
  const Cell* cell = FindCell(item, col);
  return cell ? cell->data : nullptr;
}
void CTreeGridCtrl::SetItemData(TreeItem item, int col, void* data) {
  if (Cell* cell = MutableCell(item, col)) cell->data = data;
}
uint32_t CTreeGridCtrl::GetItemState(TreeItem item, int col) const {
  const Cell* cell = FindCell(item, col);
  return cell ? cell->state : 0;
}
void CTreeGridCtrl::SetItemState(TreeItem item, int col, uint32_t state) {
  if (Cell* cell = MutableCell(item, col)) cell->state = state;
}
uint32_t CTreeGridCtrl::GetItemTextColour(TreeItem item, int col) const {
  const Cell* cell = FindCell(item, col);
  return cell ? cell->colour : 0;
}
void CTreeGridCtrl::SetItemTextColour(TreeItem item, int col, uint32_t colour) {
  if (Cell* cell = MutableCell(item, col)) cell->colour = colour;
}

// ---- checks ----

int CTreeGridCtrl::GetCheck(TreeItem item) const { return IsItemRow(item) ? items_[item].check : kUnchecked; }

void CTreeGridCtrl::SetCheckValue(TreeItem item, int value) {
  if (IsItemRow(item)) items_[item].check = value;
}

bool CTreeGridCtrl::SubtreeHasDisabled(TreeItem item) const {
  TreeItem at = items_[item].firstChild;
  while (at != kNoItem) {
    if (IsDisabled(at)) return true;
    if (items_[at].firstChild != kNoItem) {
      at = items_[at].firstChild;
      continue;
    }
    while (at != item && items_[at].next == kNoItem) at = items_[at].parent;
    at = at == item ? kNoItem : items_[at].next;
  }
  return false;
}

CTreeGridCtrl::ChildrenTest CTreeGridCtrl::TestChildren(TreeItem item) const {
  ChildrenTest test;
  test.hasDisabled = SubtreeHasDisabled(item);
  for (TreeItem child = items_[item].firstChild; child != kNoItem; child = items_[child].next) {
    if (!IsDisabled(child) && items_[child].check == kUnchecked) test.allChecked = false;
  }
  return test;
}

void CTreeGridCtrl::SetCheck(TreeItem item, int value) {
  if (!IsItemRow(item)) return;
  const ChildrenTest test = TestChildren(item);
  int stored = value;
  int carried = value;
  if (test.hasDisabled) {
    if (items_[item].check != kPartlyChecked) {
      stored = kPartlyChecked;
    } else if (test.allChecked) {
      stored = carried = kUnchecked;
    } else {
      stored = kPartlyChecked;
      carried = kChecked;
    }
  }
  items_[item].check = stored;
  if (!propagate_) return;
  PropagateDown(item, carried);
  PropagateUp(item, carried);
}

void CTreeGridCtrl::ToggleCheck(TreeItem item) {
  if (!IsItemRow(item)) return;
  SetCheck(item, items_[item].check == kChecked ? kUnchecked : kChecked);
}

// Every descendant that is not disabled takes the value, or 2 for a checked value when its
// own subtree holds a disabled row. Whether a subtree holds a disabled row is gathered once,
// bottom-up, so that deep trees stay linear.
void CTreeGridCtrl::PropagateDown(TreeItem item, int value) {
  std::vector<TreeItem> order;
  TreeItem at = items_[item].firstChild;
  while (at != kNoItem) {
    order.push_back(at);
    if (items_[at].firstChild != kNoItem) {
      at = items_[at].firstChild;
      continue;
    }
    while (at != item && items_[at].next == kNoItem) at = items_[at].parent;
    at = at == item ? kNoItem : items_[at].next;
  }
  std::unordered_map<TreeItem, bool> belowDisabled;
  belowDisabled.reserve(order.size());
  for (auto it = order.rbegin(); it != order.rend(); ++it) {
    const bool mine = belowDisabled[*it];
    if (IsDisabled(*it) || mine) belowDisabled[items_[*it].parent] = true;
  }
  for (TreeItem child : order) {
    if (IsDisabled(child)) continue;
    items_[child].check = (value == kChecked && belowDisabled[child]) ? kPartlyChecked : value;
  }
}

void CTreeGridCtrl::PropagateUp(TreeItem item, int value) {
  for (TreeItem at = item;;) {
    const TreeItem parent = items_[at].parent;
    if (parent == kRootItem || parent == kNoItem) return;
    bool siblingsAgree = true;
    for (TreeItem sibling = items_[parent].firstChild; sibling != kNoItem; sibling = items_[sibling].next) {
      if (sibling == at || IsDisabled(sibling)) continue;
      if (items_[sibling].check != value) siblingsAgree = false;
    }
    if (!siblingsAgree) {
      for (TreeItem up = parent; up != kRootItem; up = items_[up].parent) {
        if (!IsDisabled(up)) items_[up].check = kPartlyChecked;
      }
      return;
    }
    if (!IsDisabled(parent)) items_[parent].check = value;
    at = parent;
  }
}

// ---- GridView ----

int CTreeGridCtrl::RowLevel(int row) const { return GetItemLevel(GetItemForRow(row)); }

bool CTreeGridCtrl::IsRowHidden(int row) const {
  const TreeItem item = GetItemForRow(row);
  if (item == kNoItem) return false;
  if (GetItemState(item, treeColumn_) & kStateHidden) return true;
  for (TreeItem up = items_[item].parent; up != kRootItem; up = items_[up].parent) {
    if (!IsItemExpanded(up)) return true;
  }
  return false;
}

std::u16string CTreeGridCtrl::CellText(int row, int col) const {
  if (row >= 0 && row < fixedRows_) return ColumnHeading(col);
  return GetItemText(GetItemForRow(row), col);
}

int CTreeGridCtrl::RowCheck(int row) const { return GetCheck(GetItemForRow(row)); }

bool CTreeGridCtrl::IsRowCheckable(int row) const {
  const TreeItem item = GetItemForRow(row);
  return IsItemRow(item) && !IsDisabled(item);
}

bool CTreeGridCtrl::IsRowGreyed(int row) const {
  return GetItemTextColour(GetItemForRow(row), treeColumn_) == kGreyText;
}
uint32_t CTreeGridCtrl::CellState(int row, int col) const { return GetItemState(GetItemForRow(row), col); }
uint32_t CTreeGridCtrl::CellTextColour(int row, int col) const { return GetItemTextColour(GetItemForRow(row), col); }
bool CTreeGridCtrl::RowHasChildren(int row) const {
  const TreeItem item = GetItemForRow(row);
  return item != kNoItem && ItemHasChildren(item);
}
bool CTreeGridCtrl::IsRowExpanded(int row) const { return IsItemExpanded(GetItemForRow(row)); }

std::u16string CTreeGridCtrl::AccessibleName(int row) const {
  if (nameProvider_) return nameProvider_(row);
  return CellText(row, treeColumn_);
}

void CTreeGridCtrl::ClickCheck(int row) {
  const TreeItem item = GetItemForRow(row);
  if (item == kNoItem || IsDisabled(item)) return;
  ToggleCheck(item);
}

void CTreeGridCtrl::Expand(int row) {
  const TreeItem item = GetItemForRow(row);
  if (item == kNoItem || !ItemHasChildren(item)) return;
  ExpandItem(item);
  if (notify_) notify_(kNotifyItemExpanded, row, treeColumn_);
}

void CTreeGridCtrl::Collapse(int row) { CollapseItem(GetItemForRow(row)); }

void CTreeGridCtrl::DoubleClick(int row, int col) {
  if (GetItemForRow(row) == kNoItem) return;
  if (notify_) notify_(kNotifyDoubleClick, row, col);
}

void CTreeGridCtrl::SelectRow(int row) { selectedItem_ = IsValidRow(row) ? GetItemForRow(row) : kNoItem; }
void CTreeGridCtrl::EnsureVisible(int row) { visibleItem_ = IsValidRow(row) ? GetItemForRow(row) : kNoItem; }

}  // namespace grid
