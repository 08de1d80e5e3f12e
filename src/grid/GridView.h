#pragma once
// A grid as the dialog and the backends that draw it see it: its rows and cells, and the
// actions a user performs on them. Row 0 .. FixedRowCount()-1 are header rows.
#include <cstdint>
#include <string>

namespace grid {

class GridView {
 public:
  virtual int RowCount() const = 0;
  virtual int FixedRowCount() const = 0;
  virtual int ColumnCount() const = 0;
  virtual int TreeColumn() const = 0;
  virtual std::u16string ColumnHeading(int col) const = 0;
  virtual int ColumnWidth(int col) const = 0;

  virtual int RowLevel(int row) const = 0;  // 0 for top-level rows
  virtual bool IsRowHidden(int row) const = 0;
  virtual std::u16string CellText(int row, int col) const = 0;
  virtual int RowCheck(int row) const = 0;  // 0 unchecked, 1 checked, 2 partly checked
  // Whether the row's tree cell shows a check box that takes clicks.
  virtual bool IsRowCheckable(int row) const = 0;
  // Whether the row is shown greyed, as one the user cannot pick.
  virtual bool IsRowGreyed(int row) const = 0;
  virtual uint32_t CellTextColour(int row, int col) const = 0;  // 0x00BBGGRR
  // The cell's state flags as stored, for listings of the rows.
  virtual uint32_t CellState(int row, int col) const = 0;
  virtual bool RowHasChildren(int row) const = 0;
  virtual bool IsRowExpanded(int row) const = 0;
  virtual std::u16string AccessibleName(int row) const = 0;

  virtual void ClickCheck(int row) = 0;
  virtual void Expand(int row) = 0;  // notifies the owner after expanding
  virtual void Collapse(int row) = 0;
  virtual void DoubleClick(int row, int col) = 0;
  virtual void SelectRow(int row) = 0;
  virtual void EnsureVisible(int row) = 0;
  virtual int SelectedRow() const = 0;  // -1 when none

 protected:
  ~GridView() = default;
};

}  // namespace grid
