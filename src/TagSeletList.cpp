#include "TagSeletList.h"

#include <array>
#include <cstdio>
#include <functional>
#include <stdexcept>

#include "TagSelectTemplate.h"
#include "device/Texts.h"
#include "platform/System.h"
#include "platform/Text.h"

namespace DEVICE {
namespace detail {

namespace {
unsigned char Fold(unsigned char c) { return (c >= 'A' && c <= 'Z') ? static_cast<unsigned char>(c + 32) : c; }

// Matches one bracket set starting at pattern[at] == '['. Returns the index after the set,
// or npos when the set is not closed (then '[' is an ordinary character).
size_t MatchSet(std::string_view pattern, size_t at, unsigned char c, bool& matched) {
  size_t i = at + 1;
  bool negate = false;
  if (i < pattern.size() && (pattern[i] == '!' || pattern[i] == '^')) {
    negate = true;
    ++i;
  }
  bool found = false;
  bool first = true;
  while (i < pattern.size() && (first || pattern[i] != ']')) {
    first = false;
    unsigned char low = Fold(static_cast<unsigned char>(pattern[i]));
    unsigned char high = low;
    if (i + 2 < pattern.size() && pattern[i + 1] == '-' && pattern[i + 2] != ']') {
      high = Fold(static_cast<unsigned char>(pattern[i + 2]));
      i += 3;
    } else {
      ++i;
    }
    if (low <= c && c <= high) found = true;
  }
  if (i >= pattern.size()) return std::string_view::npos;
  matched = found != negate;
  return i + 1;
}
}  // namespace

// Iterative matching with one backtrack point: the position after the last "*" and the
// text position it currently swallows up to. Without path or period rules one point is enough.
bool MatchPattern(std::string_view pattern, std::string_view text) {
  size_t p = 0;
  size_t t = 0;
  size_t starP = std::string_view::npos;
  size_t starT = 0;
  while (t < text.size()) {
    const unsigned char c = Fold(static_cast<unsigned char>(text[t]));
    if (p < pattern.size()) {
      const char pc = pattern[p];
      if (pc == '*') {
        starP = ++p;
        starT = t;
        continue;
      }
      if (pc == '?') {
        ++p;
        ++t;
        continue;
      }
      if (pc == '[') {
        bool matched = false;
        const size_t after = MatchSet(pattern, p, c, matched);
        if (after == std::string_view::npos) {
          if (c == '[') {
            ++p;
            ++t;
            continue;
          }
        } else if (matched) {
          p = after;
          ++t;
          continue;
        }
      } else if (Fold(static_cast<unsigned char>(pc)) == c) {
        ++p;
        ++t;
        continue;
      }
    }
    if (starP == std::string_view::npos) return false;
    p = starP;
    t = ++starT;
  }
  while (p < pattern.size() && pattern[p] == '*') ++p;
  return p == pattern.size();
}

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

void WriteTrace(const char* function, int line, const char* what) {
  const platform::LocalTime now = platform::GetLocalTime();
  char buffer[512];
  std::snprintf(buffer, sizeof buffer, "[%04d-%02d-%02d %02d:%02d:%02d.%03d][%s][%s][%d] \"%s\"\n", now.year,
                now.month, now.day, now.hour, now.minute, now.second, now.millisecond, "src\\TagSeletList", function,
                line, what);
  platform::OutputDebugText(buffer);
}

// Writes the "begin" line on entry and the "end" line when the operation returns.
class TraceScope {
 public:
  TraceScope(const char* function, int line) : function_(function), line_(line) { WriteTrace(function_, line_, "begin"); }
  ~TraceScope() { WriteTrace(function_, line_, "end"); }
  TraceScope(const TraceScope&) = delete;
  TraceScope& operator=(const TraceScope&) = delete;

 private:
  const char* function_;
  int line_;
};

#define TAG_TRACE(name) TraceScope traceScope("DEVICE::CTagSeletList::" name, __LINE__)

int CheckFromState(int state) {
  switch (state) {
    case 2:
      return grid::kChecked;
    case 3:
    case 4:
      return grid::kPartlyChecked;
    default:
      return grid::kUnchecked;
  }
}

bool EqualsIgnoringCase(const std::u16string& a, const std::u16string& b) {
  if (a.size() != b.size()) return false;
  auto fold = [](char16_t c) { return (c >= u'A' && c <= u'Z') ? static_cast<char16_t>(c + 32) : c; };
  for (size_t i = 0; i < a.size(); ++i) {
    if (fold(a[i]) != fold(b[i])) return false;
  }
  return true;
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

// Visits the nodes below `top` depth first, children in order, without recursion; visit(node)
// says whether to go on below that node.
template <typename Visit>
void WalkBelow(ITree* top, Visit visit) {
  struct Frame {
    ITree* node;
    uint32_t next;
  };
  std::vector<Frame> frames{{top, 0}};
  while (!frames.empty()) {
    Frame& frame = frames.back();
    if (frame.next >= frame.node->GetChildCount()) {
      frames.pop_back();
      continue;
    }
    ITree* child = frame.node->GetChild(frame.next++);
    if (child && visit(child)) frames.push_back({child, 0});
  }
}

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
  for (ITree* node : found) {
    if (SelectNode* select = FindSelectNode(node)) select->state = 2;
  }
  RecomputeStates();
  selectTree_.rows.clear();
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
    AddSelectPath(node);
    found.push_back(node);
  }
  return found;
}

// Creates the selection nodes on the path from the top level down to node; each new node is
// linked once under its parent's.
CTagSeletList::SelectNode* CTagSeletList::AddSelectPath(ITree* node) {
  std::vector<ITree*> missing;
  ITree* at = node;
  SelectNode* anchor = nullptr;
  while (at) {
    if ((anchor = FindSelectNode(at))) break;
    missing.push_back(at);
    ITree* parent = at->GetParent();
    if (!parent || parent == tree_) break;
    at = parent;
  }
  for (auto it = missing.rbegin(); it != missing.rend(); ++it) {
    auto created = std::make_unique<SelectNode>();
    created->node = *it;
    SelectNode* added = created.get();
    selectTree_.nodes.emplace(*it, std::move(created));
    if (anchor) {
      anchor->children.push_back(added);
    } else {
      selectTree_.top.push_back(added);
    }
    anchor = added;
  }
  return anchor;
}

// Post-order over each top-level selection node: a node with selection children combines
// the codes they report; the stored code turns 0, 3 and 4 into 4, and a complete 2 into 4
// when some of the tag node's children have no selection node.
void CTagSeletList::RecomputeStates() {
  struct Frame {
    SelectNode* node;
    size_t next;
    int combined;
  };
  for (SelectNode* top : selectTree_.top) {
    std::vector<Frame> frames{{top, 0, 0}};
    int reported = 0;
    while (!frames.empty()) {
      Frame& frame = frames.back();
      if (frame.next < frame.node->children.size()) {
        SelectNode* child = frame.node->children[frame.next++];
        frames.push_back({child, 0, 0});
        continue;
      }
      SelectNode* node = frame.node;
      const int c = node->children.empty() ? node->state : frame.combined;
      int stored = (c == 0 || c == 3 || c == 4) ? 4 : c;
      if (stored == 2 && node->children.size() < node->node->GetChildCount()) stored = 4;
      node->state = stored;
      frames.pop_back();
      if (frames.empty()) {
        reported = c;
      } else {
        frames.back().combined |= c;
      }
    }
    (void)reported;
  }
}

CTagSeletList::SelectNode* CTagSeletList::FindSelectNode(ITree* node) const {
  auto found = selectTree_.nodes.find(node);
  return found == selectTree_.nodes.end() ? nullptr : found->second.get();
}

int CTagSeletList::SelectCheck(ITree* node) const {
  const SelectNode* select = FindSelectNode(node);
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
  const SelectNode* parentSelect = FindSelectNode(parentNode);
  const bool keepOwnCheck = parentItem == grid::kNoItem || (parentSelect && parentSelect->state == 4);
  const grid::TreeItem item =
      grid.InsertItem(name, parentItem == grid::kNoItem ? grid::kRootItem : parentItem, check, !keepOwnCheck);

  const uint32_t readOnly = grid.GetItemState(item, 0) | grid::kStateReadOnly;
  for (int col = 0; col < kColumnCount; ++col) grid.SetItemState(item, col, readOnly);
  grid.SetItemData(item, 0, node);
  grid.SetItemText(item, 2, type);
  grid.SetItemText(item, 3, comment);
  selectTree_.rows.emplace(node, item);

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
  if (EqualsIgnoringCase(pattern, lastPattern_)) {
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
  if (!node) return;
  auto collectLeaves = [this](ITree* top) {
    if (top->GetChildCount() == 0) {
      searchResults_.push_back(top);
      return;
    }
    WalkBelow(top, [this](ITree* child) {
      if (child->GetChildCount() > 0) return true;
      searchResults_.push_back(child);
      return false;
    });
  };
  WalkBelow(node, [&](ITree* child) {
    ILabel* label = child->GetLabel();
    if (!label || !detail::MatchPattern(pattern, label->GetName())) return true;
    collectLeaves(child);
    return false;
  });
}

bool CTagSeletList::_SetSelectSubNode(grid::TreeItem parentItem, ITree* node, bool selectPath) {
  TAG_TRACE("_SetSelectSubNode");
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

// The names OK yields, each once, in the order they come. A table of the names' positions,
// keyed by the hash of the narrow full name, finds repeats: a candidate is compared as wide
// text and, when equal, confirmed on the narrow full name of the label it came from (two
// narrow names may convert to the same wide one). Everything is allocated once, from the
// count of a first walk: on a million names the page faults of growing buffers cost more
// than the walk. A name waits a few names before it is placed, while the table's memory for
// it is fetched: the table is far larger than the caches, and that load was the largest
// single cost of OK.
class TakenNames final : public SelectedLeafSink {
 public:
  TakenNames(std::vector<std::u16string>& names, size_t expected) : names_(names), base_(names.size()) {
    if (expected >= kMaxNames) throw std::length_error("too many tag names");
    names_.reserve(base_ + expected);
    platform::AdviseBulkFill(names_.data() + base_, expected * sizeof(std::u16string));
    labels_.reserve(expected);
    platform::AdviseBulkFill(labels_.data(), expected * sizeof(ILabel*));
    size_t slots = 1024;
    while (slots < 2 * expected) slots *= 2;
    slots_.reserve(slots);
    platform::AdviseBulkFill(slots_.data(), slots * sizeof(uint64_t));
    slots_.assign(slots, kEmpty);
  }

  void Take(ILabel& label) override {
    Candidate& candidate = waiting_[next_];
    if (waitingCount_ == kAhead)
      Place(candidate);
    else
      ++waitingCount_;
    candidate.label = &label;
    candidate.name = label.GetFullName();
    candidate.hash = std::hash<std::string_view>{}(candidate.name);
    candidate.wide = platform::AnsiToWide(candidate.name);
    platform::PrefetchForRead(&slots_[static_cast<size_t>(candidate.hash) & (slots_.size() - 1)]);
    next_ = (next_ + 1) % kAhead;
  }

  // Places the names still waiting, oldest first.
  void Finish() {
    for (size_t i = 0; i < waitingCount_; ++i) Place(waiting_[(next_ + kAhead - waitingCount_ + i) % kAhead]);
    waitingCount_ = 0;
  }

 private:
  static constexpr size_t kMaxNames = 0x7FFFFFFF;
  static constexpr size_t kAhead = 8;
  static constexpr uint64_t kEmpty = ~uint64_t{0};
  struct Candidate {
    ILabel* label = nullptr;
    std::string name;
    std::u16string wide;
    uint64_t hash = 0;
  };
  // A slot holds the upper half of the name's hash and, below it, the name's index.
  static uint64_t Slot(uint64_t hash, size_t index) { return (hash & 0xFFFFFFFF00000000u) | index; }

  void Place(Candidate& candidate) {
    if (2 * (labels_.size() + 1) > slots_.size()) Grow();
    const size_t mask = slots_.size() - 1;
    for (size_t at = static_cast<size_t>(candidate.hash) & mask;; at = (at + 1) & mask) {
      const uint64_t slot = slots_[at];
      if (slot == kEmpty) {
        slots_[at] = Slot(candidate.hash, labels_.size());
        labels_.push_back(candidate.label);
        names_.push_back(std::move(candidate.wide));
        return;
      }
      if ((slot ^ candidate.hash) >> 32 != 0) continue;
      const size_t index = static_cast<uint32_t>(slot);
      if (names_[base_ + index] == candidate.wide && labels_[index]->GetFullName() == candidate.name) return;
    }
  }

  // Only when more names come than were counted: doubles the table.
  void Grow() {
    if (labels_.size() >= kMaxNames / 2) throw std::length_error("too many tag names");
    std::vector<uint64_t> slots(2 * slots_.size(), kEmpty);
    const size_t mask = slots.size() - 1;
    for (size_t i = 0; i < labels_.size(); ++i) {
      const uint64_t hash = std::hash<std::string_view>{}(labels_[i]->GetFullName());
      size_t at = static_cast<size_t>(hash) & mask;
      while (slots[at] != kEmpty) at = (at + 1) & mask;
      slots[at] = Slot(hash, i);
    }
    slots_ = std::move(slots);
  }

  std::vector<std::u16string>& names_;
  const size_t base_;
  std::vector<ILabel*> labels_;
  std::vector<uint64_t> slots_;
  std::array<Candidate, kAhead> waiting_;
  size_t waitingCount_ = 0;
  size_t next_ = 0;
};

class LeafCount final : public SelectedLeafSink {
 public:
  void Take(ILabel&) override { ++count; }
  size_t count = 0;
};

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
  const int rows = grid.RowCount();
  for (int row = 1; row < rows; ++row) {
    const grid::TreeItem item = grid.GetItemForRow(row);
    const int check = grid.GetCheck(item);
    if (check != grid::kChecked && check != grid::kPartlyChecked) continue;
    auto* node = static_cast<ITree*>(grid.GetItemData(item, 0));
    if (!node) continue;
    // The walk below a checked or partly checked parent row already handled this row with its
    // own check value; walking it again would only repeat names and cost time on deep trees.
    const grid::TreeItem parent = grid.GetParentItem(item);
    if (parent != grid::kRootItem && grid.GetCheck(parent) != grid::kUnchecked && grid.GetItemData(parent, 0)) continue;
    if (node->GetChildCount() > 0) {
      if (traced)
        _GetSelectSubNode(node, check, sink);
      else
        WalkSelectedLeaves(node, check, sink);
      continue;
    }
    ILabel* label = node->GetLabel();
    if (check == grid::kChecked && label && label->GetDataType() != -1) sink.Take(*label);
  }
}

void CTagSeletList::_GetSelectSubNode(ITree* node, int check, SelectedLeafSink& sink) {
  TAG_TRACE("_GetSelectSubNode");
  WalkSelectedLeaves(node, check, sink);
}

void CTagSeletList::WalkSelectedLeaves(ITree* node, int check, SelectedLeafSink& sink) {
  struct Frame {
    ITree* node;
    uint32_t next;
    int check;
  };
  std::vector<Frame> frames{{node, 0, check}};
  while (!frames.empty()) {
    Frame& frame = frames.back();
    if (frame.next >= frame.node->GetChildCount()) {
      frames.pop_back();
      continue;
    }
    const int inherited = frame.check;
    ITree* child = frame.node->GetChild(frame.next++);
    ILabel* label = child ? child->GetLabel() : nullptr;
    if (!label) continue;
    int value = inherited;
    if (auto row = selectTree_.rows.find(child); row != selectTree_.rows.end() && grid_.IsValidItem(row->second)) {
      value = grid_.GetCheck(row->second);
    } else if (inherited == grid::kPartlyChecked) {
      const SelectNode* select = FindSelectNode(child);
      value = select ? CheckFromState(select->state) : grid::kPartlyChecked;
    }
    if (child->GetChildCount() > 0) {
      if (value != grid::kUnchecked) frames.push_back({child, 0, value});
    } else if (value == grid::kChecked && label->GetDataType() != -1) {
      sink.Take(*label);
    }
  }
}

}  // namespace DEVICE
