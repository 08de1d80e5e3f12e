#include "TagSeletList.h"

#include "TagSelectTemplate.h"
#include "device/Texts.h"
#include "platform/Text.h"
#include "tagselect/TagPattern.h"
#include "tagselect/TraceScope.h"

namespace DEVICE {
namespace detail {

double ScaleFactorFor(int pixelsPerInch) {
  if (pixelsPerInch < 144) return 1.0;
  if (pixelsPerInch < 216) return 1.25;
  if (pixelsPerInch < 288) return 2.0;
  if (pixelsPerInch < 336) return 2.5;
  return 3.0;
}

}  // namespace detail

namespace {

constexpr int kOk = platform::kIdOk;
constexpr int kCancel = platform::kIdCancel;
using platform::kKeyEnter;
using platform::kKeyEscape;
constexpr int kTreeColumn = 1;
constexpr int kColumnCount = 4;
constexpr uint32_t kCentredSingleLine = 0x0001 | 0x0004 | 0x0020;
constexpr int kSearchReserve = 5000;

#define TAG_TRACE(name) TraceScope traceScope("DEVICE::CTagSeletList::" name, __LINE__)
#define TAG_TRACE_CALLS(name) NestedTrace calls("DEVICE::CTagSeletList::" name, __LINE__)

int CheckFromState(SelectState state) {
  switch (state) {
    case SelectState::Selected:
      return grid::kChecked;
    case SelectState::PartlySelected:
      return grid::kPartlyChecked;
    default:
      return grid::kUnchecked;
  }
}

std::u16string Wide(const char* text) { return platform::AnsiToWide(text); }

// Re-enables a button when the operation that disabled it returns.
class DisabledWhile {
 public:
  DisabledWhile(platform::DialogSurface* surface, int id) : surface_(surface), id_(id) {
    if (surface_) surface_->Enable(id_, false);
  }
  ~DisabledWhile() {
    if (surface_) surface_->Enable(id_, true);
  }
  DisabledWhile(const DisabledWhile&) = delete;
  DisabledWhile& operator=(const DisabledWhile&) = delete;

 private:
  platform::DialogSurface* surface_;
  int id_;
};

}  // namespace

// ---- construction and the owner's operations ----

CTagSeletList::CTagSeletList() : factor_(detail::ScaleFactorFor(platform::CurrentDialogBackend().ScreenPixelsPerInchY())) {
  nameColumnBase_ = static_cast<int>(U(600) - 160 * factor_ - 6 * U(8));
  searchResults_.reserve(kSearchReserve);
  grid_.SetNotifyHandler([this](int code, int row, int col) { OnGridNotify(code, row, col); });
  grid_.SetAccessibleNameProvider([this](int row) -> std::u16string {
    auto* node = static_cast<ITree*>(grid_.GetItemData(grid_.GetItemForRow(row), 0));
    ILabel* label = node ? node->GetLabel() : nullptr;
    return label ? platform::AnsiToWide(label->GetFullName()) : std::u16string();
  });
}

void CTagSeletList::SetTagTree(ITree* tree) {
  TAG_TRACE("SetTagTree");
  tree_ = tree;
}

void CTagSeletList::SetTagList(std::vector<std::string>* list) {
  TAG_TRACE("SetTagList");
  tagList_ = list;
}

size_t CTagSeletList::GetSelectTag(std::vector<std::u16string>& names) {
  TAG_TRACE("GetSelectTag");
  names = selectedNames_;
  return names.size();
}

int CTagSeletList::DoModal() {
  surface_ = platform::CurrentDialogBackend().CreateSurface(TagSelectionTemplate());
  if (!surface_) return kCancel;
  surface_->AttachGrid(kGridId, &grid_);
  const int code = surface_->RunModal(*this);
  surface_.reset();
  return code;
}

// ---- dialog events ----

bool CTagSeletList::OnInitDialog() {
  TAG_TRACE("OnInitDialog");
  // The font belongs to the window: each modal run has a window of its own and gets it anew.
  platform::FontRequest font;
  font.face = Wide(texts::kFontFace);
  font.height = static_cast<int>(-13 * factor_);
  font.width = 0;
  font.weight = 400;
  font.charSet = 134;
  font.pitchAndFamily = 0x22;
  surface_->CreateFont(font);
  _InitUI();
  surface_->Show(kKeepCheck, false);
  surface_->SetFocus(kSearchEdit);
  surface_->SetCheck(kKeepCheck, discard_ ? 0 : 1);
  surface_->SetWindowSize(U(600), U(450));
  return false;
}

void CTagSeletList::OnCommand(int id) {
  switch (id) {
    case kFindButton:
      _FindString();
      break;
    case kOk:
      OnOK();
      break;
    case kCancel:
      surface_->EndDialog(kCancel);
      break;
    case kImportButton:
      OnTagImport();
      break;
    default:
      break;
  }
}

bool CTagSeletList::PreTranslateKeyDown(unsigned virtualKey) {
  return virtualKey == kKeyEnter || virtualKey == kKeyEscape;
}

void CTagSeletList::OnSize(int cx, int cy) {
  TAG_TRACE("OnSize");
  _ResetWindowPos(cx, cy);
}

void CTagSeletList::_ResetWindowPos(int cx, int cy) {
  TAG_TRACE("_ResetWindowPos");
  if (!surface_ || !surface_->HasControl(kGridId)) return;
  const int W = cx;
  const int H = cy;
  platform::Rect R;
  auto place = [this](int id, int x, int y, int width, int height, platform::Rect* keep) {
    if (!surface_->HasControl(id)) return;
    surface_->SetRect(id, {x, y, x + width, y + height});
    if (keep) *keep = surface_->GetRect(id);
  };
  place(kImportButton, U(8), U(8), U(75), U(24), &R);
  place(kSearchEdit, static_cast<int>(R.right + 1.5 * U(75)), R.top, static_cast<int>(W - 3 * U(8) - 3.5 * U(75)),
        U(24), &R);
  place(kFindButton, R.right + U(8), R.top, U(75), U(24), nullptr);
  place(kGridId, U(8), R.bottom + U(8), W - 2 * U(8), H - 3 * U(8) - U(24) - R.bottom, &R);
  place(kCancel, W - U(8) - U(75), R.bottom + U(8), U(75), U(24), &R);
  place(kOk, W - 2 * (U(8) + U(75)), R.top, U(75), U(24), nullptr);
  place(kKeepCheck, U(8), R.top, 4 * U(75), U(24), nullptr);
}

void CTagSeletList::OnGridNotify(int code, int row, int col) {
  if (code == grid::kNotifyItemExpanded) OnTagTreeItemExpanded(row, col);
  if (code == grid::kNotifyDoubleClick) OnTagTreeDblClick(row, col);
}

void CTagSeletList::OnTagTreeItemExpanded(int row, int col) {
  TAG_TRACE("OnTagTreeItemExpanded");
  if (col == kTreeColumn && grid_.RowHasChildren(row)) _ExpandTreeNode(row);
}

void CTagSeletList::OnTagTreeDblClick(int row, int /*col*/) {
  TAG_TRACE("OnTagTreeDblClick");
  const grid::TreeItem item = grid_.GetItemForRow(row);
  if (item == grid::kNoItem || !grid_.ItemHasChildren(item)) return;
  if (grid_.GetItemState(item, kTreeColumn) & grid::kStateExpanded) {
    grid_.CollapseItem(item);
    return;
  }
  _ExpandTreeNode(row);
  grid_.ExpandItem(item);
}

void CTagSeletList::OnOK() {
  selectedNames_.clear();
  _GetSelectTag(selectedNames_, grid_);
  discard_ = surface_->GetCheck(kKeepCheck) == 0;
  if (limit_ != 0 && selectedNames_.size() > limit_) {
    surface_->ShowMessageBox(Wide(texts::kTooManyTags), platform::MessageBoxIcon::Stop);
    return;
  }
  surface_->EndDialog(kOk);
}

void CTagSeletList::OnTagImport() {
  if (import_ && import_->Execute()) _InitUI();
}

// ---- building the view ----

void CTagSeletList::_InitUI() {
  TAG_TRACE("_InitUI");
  _ReloadTagTree();
}

void CTagSeletList::_ReloadTagTree() {
  TAG_TRACE("_ReloadTagTree");
  const std::vector<ITree*> found = _CreateSelectTree(selectedNames_);
  for (ITree* node : found) selectTree_.MarkSelected(node);
  selectTree_.RecomputeStates();
  rows_.clear();
  // The results point into the tree shown before; an import may have released it.
  searchResults_.clear();
  lastPattern_.clear();
  searchIndex_ = 0;
  _InitGrid(grid_);
  _InitTreeItem(nullptr, grid::kNoItem);
}

std::vector<ITree*> CTagSeletList::_CreateSelectTree(const std::vector<std::u16string>& names) {
  std::vector<ITree*> found;
  if (!tree_) return found;
  TAG_TRACE("_CreateSelectTree");
  selectTree_.Clear();
  for (const auto& name : names) {
    ITree* node = tree_->Find(_WideStringToMultibyte(name));
    if (!node || node == tree_) continue;
    selectTree_.AddPath(node, tree_);
    found.push_back(node);
  }
  return found;
}

int CTagSeletList::SelectCheck(const ITree* node) const {
  const SelectTree::Node* select = selectTree_.Find(node);
  return select ? CheckFromState(select->state) : grid::kUnchecked;
}

void CTagSeletList::_InitGrid(grid::CTreeGridCtrl& grid) {
  TAG_TRACE("_InitGrid");
  grid.DeleteAllItems();
  grid.SetPropagation(true);
  grid.SetFixedRowCount(1);
  grid.SetColumnCount(kColumnCount);
  grid.SetColumn(0, u"", kCentredSingleLine, 0);
  grid.SetColumn(1, Wide(texts::kColumnTagName), kCentredSingleLine, static_cast<int>(nameColumnBase_ * factor_));
  grid.SetColumn(2, Wide(texts::kColumnDataType), kCentredSingleLine, U(75));
  grid.SetColumn(3, Wide(texts::kColumnComment), kCentredSingleLine, U(75));
  grid.SetTreeColumn(kTreeColumn);
}

void CTagSeletList::_InitTreeItem(ITree* node, grid::TreeItem parentItem) {
  TAG_TRACE("_InitTreeItem");
  if (!node) node = tree_;
  if (!node) return;
  const uint32_t count = node->GetChildCount();
  for (uint32_t i = 0; i < count; ++i) {
    ITree* child = node->GetChild(i);
    ILabel* label = child ? child->GetLabel() : nullptr;
    if (!label) continue;
    const grid::TreeItem item =
        _InsertTagRow(node, _GetLabelName(child), platform::AnsiToWide(label->GetTypeName()),
                      platform::AnsiToWide(label->GetComment()), parentItem, child, grid_);
    if (child->GetChildCount() > 0) _AddDefaultItem(item);
  }
}

grid::TreeItem CTagSeletList::_InsertTagRow(ITree* parentNode, const std::u16string& name, const std::u16string& type,
                                            const std::u16string& comment, grid::TreeItem parentItem, ITree* node,
                                            grid::CTreeGridCtrl& grid) {
  const int check = SelectCheck(node);
  const SelectTree::Node* parentSelect = selectTree_.Find(parentNode);
  const bool keepOwnCheck =
      parentItem == grid::kNoItem || (parentSelect && parentSelect->state == SelectState::PartlySelected);
  const grid::TreeItem item =
      grid.InsertItem(name, parentItem == grid::kNoItem ? grid::kRootItem : parentItem, check, !keepOwnCheck);

  const uint32_t readOnly = grid.GetItemState(item, 0) | grid::kStateReadOnly;
  for (int col = 0; col < kColumnCount; ++col) grid.SetItemState(item, col, readOnly);
  grid.SetItemData(item, 0, node);
  grid.SetItemText(item, 2, type);
  grid.SetItemText(item, 3, comment);
  rows_.emplace(node, item);

  if (!_IsSelectable(node)) {
    grid.SetItemState(item, kTreeColumn, grid.GetItemState(item, kTreeColumn) | grid::kStateCheckDisabled);
    grid.SetItemTextColour(item, kTreeColumn, grid::kGreyText);
    grid.SetCheckValue(item, grid::kUnchecked);
  }
  return item;
}

void CTagSeletList::_AddDefaultItem(grid::TreeItem item) {
  const grid::TreeItem placeholder = grid_.InsertItem(Wide(texts::kDefaultItem), item, grid::kChecked, false);
  grid_.SetItemState(placeholder, kTreeColumn, grid_.GetItemState(placeholder, kTreeColumn) | grid::kStateHidden);
  grid_.SetItemState(item, kTreeColumn, grid::kStateCollapsed);
}

bool CTagSeletList::_IsSelectable(ITree* node) const {
  ILabel* label = node ? node->GetLabel() : nullptr;
  if (!label) return false;
  std::vector<ITree*> pending{node};
  while (!pending.empty()) {
    ITree* at = pending.back();
    pending.pop_back();
    ILabel* own = at ? at->GetLabel() : nullptr;
    if (!own) continue;
    if (own->GetDataType() != -1) return true;
    const uint32_t count = at->GetChildCount();
    for (uint32_t i = count; i > 0; --i) pending.push_back(at->GetChild(i - 1));
  }
  return false;
}

std::u16string CTagSeletList::_GetLabelName(ITree* node) {
  TAG_TRACE("_GetLabelName");
  ILabel* label = node ? node->GetLabel() : nullptr;
  if (!label) return {};
  const std::string own = label->GetName();
  if (own.empty()) return {};
  if (own[0] != '[') return platform::AnsiToWide(own);
  ITree* parent = node->GetParent();
  ILabel* parentLabel = parent ? parent->GetLabel() : nullptr;
  if (!parentLabel) return {};
  return platform::AnsiToWide(parentLabel->GetName() + own);
}

std::string CTagSeletList::_WideStringToMultibyte(const std::u16string& text) {
  TAG_TRACE("_WideStringToMultibyte");
  if (text.empty()) return {};
  return platform::WideToMultiByte(platform::kCodePageAnsi, text);
}

void CTagSeletList::_ExpandTreeNode(int row) {
  TAG_TRACE("_ExpandTreeNode");
  if (!grid_.IsValidRow(row + 1)) return;
  const grid::TreeItem placeholder = grid_.GetItemForRow(row + 1);
  if (placeholder == grid::kNoItem || grid_.GetItemData(placeholder, 0) != nullptr) return;
  if (grid_.GetItemText(placeholder, kTreeColumn) != Wide(texts::kDefaultItem)) return;
  const grid::TreeItem item = grid_.GetItemForRow(row);
  auto* node = static_cast<ITree*>(grid_.GetItemData(item, 0));
  if (!node) return;
  _InitTreeItem(node, item);
  grid_.DeleteItem(placeholder);
}

// ---- search ----

void CTagSeletList::_FindString() {
  TAG_TRACE("_FindString");
  const std::u16string text = surface_->GetText(kSearchEdit);
  DisabledWhile busy(surface_.get(), kFindButton);
  if (text.empty()) return;
  const std::u16string pattern = u"*" + text + u"*";
  if (SamePatternIgnoringCase(pattern, lastPattern_)) {
    searchIndex_ = searchIndex_ < searchResults_.size() ? searchIndex_ + 1 : 0;
  } else {
    searchResults_.clear();
    lastPattern_ = pattern;
    searchIndex_ = 0;
    _SearchTagTree(tree_, _WideStringToMultibyte(pattern));
  }
  while (searchIndex_ < searchResults_.size() && !searchResults_[searchIndex_]) ++searchIndex_;
  if (searchIndex_ < searchResults_.size()) _SetSelectSubNode(grid::kRootItem, searchResults_[searchIndex_], false);
}

void CTagSeletList::_SearchTagTree(ITree* node, const std::string& pattern) {
  FindLeavesByPattern(node, pattern, searchResults_);
}

bool CTagSeletList::_SetSelectSubNode(grid::TreeItem parentItem, ITree* node, bool selectPath) {
  // Going on below a matching row is a call of its own in the trace.
  TAG_TRACE_CALLS("_SetSelectSubNode");
  calls.Enter();
  ILabel* target = node ? node->GetLabel() : nullptr;
  if (!target) return false;
  const std::string targetName = target->GetFullName();
  grid::TreeItem parent = parentItem;
  bool descended = true;
  while (descended) {
    descended = false;
    for (grid::TreeItem item = grid_.GetChildItem(parent); item != grid::kNoItem; item = grid_.GetNextSiblingItem(item)) {
      const int row = grid_.GetRowForItem(item);
      if (row < 0) continue;
      auto* rowNode = static_cast<ITree*>(grid_.GetItemData(item, 0));
      ILabel* label = rowNode ? rowNode->GetLabel() : nullptr;
      if (!label || targetName.find(label->GetFullName()) != 0) continue;
      if (!grid_.ItemHasChildren(item)) {
        _SetRowSeletct(row);
        return true;
      }
      _ExpandTreeNode(row);
      grid_.ExpandItem(item);
      if (selectPath) _SetRowSeletct(row);
      parent = item;
      descended = true;
      calls.Enter();
      break;
    }
  }
  return false;
}

void CTagSeletList::_SetRowSeletct(int row) {
  TAG_TRACE("_SetRowSeletct");
  grid_.EnsureVisible(row);
  grid_.SelectRow(row);
}

// ---- the selection ----

namespace {

class LeafCount final : public SelectedLeafSink {
 public:
  void Take(ILabel&) override { ++count; }
  size_t count = 0;
};

class DroppedLeaves final : public SelectedLeafSink {
 public:
  void Take(ILabel&) override {}
};

bool Walked(int check) { return check == grid::kChecked || check == grid::kPartlyChecked; }

}  // namespace

void CTagSeletList::_GetSelectTag(std::vector<std::u16string>& names, grid::CTreeGridCtrl& grid) {
  TAG_TRACE("_GetSelectTag");
  LeafCount count;
  VisitSelectedLeaves(grid, count, false);
  TakenNames taken(names, count.count);
  VisitSelectedLeaves(grid, taken, true);
  taken.Finish();
}

void CTagSeletList::VisitSelectedLeaves(grid::CTreeGridCtrl& grid, SelectedLeafSink& sink, bool traced) {
  DroppedLeaves alreadyTaken;
  const int rows = grid.RowCount();
  for (int row = 1; row < rows; ++row) {
    const grid::TreeItem item = grid.GetItemForRow(row);
    const int check = grid.GetCheck(item);
    if (!Walked(check)) continue;
    auto* node = static_cast<ITree*>(grid.GetItemData(item, 0));
    if (!node) continue;
    // The walk below a checked or partly checked parent row already took every name of this
    // row, with the row's own check value: the row is walked again for its trace lines only,
    // and the names are not built again (on deep trees that would cost as much as the rest).
    const grid::TreeItem parent = grid.GetParentItem(item);
    const bool covered = parent != grid::kRootItem && Walked(grid.GetCheck(parent)) && grid.GetItemData(parent, 0);
    if (covered && !traced) continue;
    SelectedLeafSink& target = covered ? static_cast<SelectedLeafSink&>(alreadyTaken) : sink;
    if (node->GetChildCount() > 0) {
      if (traced)
        _GetSelectSubNode(node, check, target);
      else
        WalkSelectedLeaves(node, check, target, nullptr);
      continue;
    }
    ILabel* label = node->GetLabel();
    if (check == grid::kChecked && label && label->GetDataType() != -1) target.Take(*label);
  }
}

void CTagSeletList::_GetSelectSubNode(ITree* node, int check, SelectedLeafSink& sink) {
  TAG_TRACE_CALLS("_GetSelectSubNode");
  WalkSelectedLeaves(node, check, sink, &calls);
}

void CTagSeletList::WalkSelectedLeaves(ITree* node, int check, SelectedLeafSink& sink, NestedTrace* calls) {
  struct Frame {
    ITree* node;
    uint32_t next;
    int check;
  };
  std::vector<Frame> frames{{node, 0, check}};
  if (calls) calls->Enter();
  while (!frames.empty()) {
    Frame& frame = frames.back();
    if (frame.next >= frame.node->GetChildCount()) {
      frames.pop_back();
      if (calls) calls->Leave();
      continue;
    }
    const int inherited = frame.check;
    ITree* child = frame.node->GetChild(frame.next++);
    ILabel* label = child ? child->GetLabel() : nullptr;
    if (!label) continue;
    int value = inherited;
    if (auto row = rows_.find(child); row != rows_.end() && grid_.IsValidItem(row->second)) {
      value = grid_.GetCheck(row->second);
    } else if (inherited == grid::kPartlyChecked) {
      const SelectTree::Node* select = selectTree_.Find(child);
      value = select ? CheckFromState(select->state) : grid::kPartlyChecked;
    }
    if (child->GetChildCount() > 0) {
      if (value == grid::kUnchecked) continue;
      frames.push_back({child, 0, value});
      if (calls) calls->Enter();
    } else if (value == grid::kChecked && label->GetDataType() != -1) {
      sink.Take(*label);
    }
  }
}

}  // namespace DEVICE
