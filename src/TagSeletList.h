#pragma once
// The tag selection dialog: shows the tag tree in a tree grid with a check box per row,
// creates the rows of a node's children when the node is first expanded, searches tags by
// name, runs the import command, and yields the full names of the checked selectable leaf
// tags. CDevSelectTag is the small owner through which the framework drives it.
#include <cstdint>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

#include "device/CallBack.h"
#include "grid/TreeGridCtrl.h"
#include "platform/DialogSurface.h"
#include "tag/ITree.h"
#include "tagselect/SelectTree.h"
#include "tagselect/TakenNames.h"

namespace DEVICE {

class NestedTrace;

namespace detail {
// Display scale factor for the screen's vertical pixels per inch.
double ScaleFactorFor(int pixelsPerInch);
}  // namespace detail

class CTagSeletList : public platform::DialogEvents {
 public:
  static constexpr int kTemplateId = 10000;
  static constexpr int kSearchEdit = 10001;
  static constexpr int kGridId = 10002;
  static constexpr int kFindButton = 10003;
  static constexpr int kImportButton = 3;
  static constexpr int kKeepCheck = 1008;

  CTagSeletList();
  virtual ~CTagSeletList() = default;
  CTagSeletList(const CTagSeletList&) = delete;
  CTagSeletList& operator=(const CTagSeletList&) = delete;

  void SetTagTree(ITree* tree);
  void SetTagList(std::vector<std::string>* list);
  size_t GetSelectTag(std::vector<std::u16string>& names);
  void SetSelectNames(const std::vector<std::u16string>& names) { selectedNames_ = names; }
  void SetDiscardUnselected(bool discard) { discard_ = discard; }
  bool GetDiscardUnselected() const { return discard_; }
  void SetImportCallBack(stCallBack* command) { import_ = command; }
  void SetMaxSelectCount(uint32_t limit) { limit_ = limit; }

  // Shows the dialog modally; the end code (1 = OK).
  int DoModal();

  const grid::CTreeGridCtrl& Grid() const { return grid_; }

  // platform::DialogEvents
  bool OnInitDialog() override;
  void OnCommand(int id) override;
  bool PreTranslateKeyDown(unsigned virtualKey) override;
  void OnSize(int cx, int cy) override;

 protected:
  virtual void _ResetWindowPos(int cx, int cy);
  virtual void _InitGrid(grid::CTreeGridCtrl& grid);
  virtual void _ExpandTreeNode(int row);
  virtual grid::TreeItem _InsertTagRow(ITree* parentNode, const std::u16string& name, const std::u16string& type,
                                       const std::u16string& comment, grid::TreeItem parentItem, ITree* node,
                                       grid::CTreeGridCtrl& grid);
  // Nothing calls it; it keeps its place in the slot order.
  virtual bool _IsNotNull(const void* pointer) const { return pointer != nullptr; }

 private:
  int U(int k) const { return static_cast<int>(k * factor_); }
  int SelectCheck(const ITree* node) const;

  void OnGridNotify(int code, int row, int col);
  void OnTagTreeItemExpanded(int row, int col);
  void OnTagTreeDblClick(int row, int col);
  void OnOK();
  void OnTagImport();

  void _InitUI();
  void _ReloadTagTree();
  std::vector<ITree*> _CreateSelectTree(const std::vector<std::u16string>& names);
  void _InitTreeItem(ITree* node, grid::TreeItem parentItem);
  void _AddDefaultItem(grid::TreeItem item);
  bool _IsSelectable(ITree* node) const;
  std::u16string _GetLabelName(ITree* node);
  std::string _WideStringToMultibyte(const std::u16string& text);

  void _FindString();
  void _SearchTagTree(ITree* node, const std::string& pattern);
  bool _SetSelectSubNode(grid::TreeItem parentItem, ITree* node, bool selectPath);
  void _SetRowSeletct(int row);

  void _GetSelectTag(std::vector<std::u16string>& names, grid::CTreeGridCtrl& grid);
  // The rows' part of _GetSelectTag. Traced, it visits every row and writes the lines of each
  // walk below one; untraced (the first pass, which only counts) it skips the rows a parent
  // row's walk covered.
  void VisitSelectedLeaves(grid::CTreeGridCtrl& grid, SelectedLeafSink& sink, bool traced);
  void _GetSelectSubNode(ITree* node, int check, SelectedLeafSink& sink);
  // `calls`, when given, traces each node walked below as a call of its own.
  void WalkSelectedLeaves(ITree* node, int check, SelectedLeafSink& sink, NestedTrace* calls);

  ITree* tree_ = nullptr;
  std::vector<std::string>* tagList_ = nullptr;
  double factor_ = 1.0;
  int nameColumnBase_ = 0;
  std::vector<std::u16string> selectedNames_;
  std::vector<ITree*> searchResults_;
  std::u16string lastPattern_;
  size_t searchIndex_ = 0;
  grid::CTreeGridCtrl grid_;
  SelectTree selectTree_;
  std::unordered_map<ITree*, grid::TreeItem> rows_;  // tag node -> tree item of its row
  bool discard_ = false;
  stCallBack* import_ = nullptr;
  uint32_t limit_ = 0;
  std::unique_ptr<platform::DialogSurface> surface_;
};

// Slot order is fixed; there is no virtual destructor, so the class is final.
class CDevSelectTag final {
 public:
  CDevSelectTag() : dialog_(std::make_shared<CTagSeletList>()) {}

  virtual void SetTagTree(ITree* tree) { dialog_->SetTagTree(tree); }
  virtual void SetTagList(std::vector<std::string>* list) { dialog_->SetTagList(list); }
  virtual void SetSelectTag(const std::vector<std::u16string>& names) { dialog_->SetSelectNames(names); }
  virtual size_t GetSelectTag(std::vector<std::u16string>& names) { return dialog_->GetSelectTag(names); }
  virtual void SetDiscardUnselected(bool discard) { dialog_->SetDiscardUnselected(discard); }
  virtual bool GetDiscardUnselected() { return dialog_->GetDiscardUnselected(); }
  virtual void SetImportCallBack(stCallBack* command) { dialog_->SetImportCallBack(command); }
  virtual bool DoModal() { return dialog_->DoModal() == 1; }
  virtual void SetMaxSelectCount(uint32_t limit) { dialog_->SetMaxSelectCount(limit); }

  const CTagSeletList& Dialog() const { return *dialog_; }

 private:
  std::shared_ptr<CTagSeletList> dialog_;
};

}  // namespace DEVICE
