#include "platform/TerminalDialog.h"

#include <algorithm>
#include <filesystem>
#include <map>
#include <system_error>

#include "utils/utf16.h"
#include "utils/utf8.h"

namespace platform {
namespace {

// A terminal cell stands for this many dialog pixels, so that the dialog's own layout
// arithmetic places the controls on the character grid.
constexpr int kCellPixelsX = 6;
constexpr int kCellPixelsY = 16;
constexpr int kOk = 1;
constexpr int kCancel = 2;
constexpr unsigned kKeyEnter = 13;
constexpr unsigned kKeyEscape = 27;
constexpr uint32_t kStateCheckDisabled = 0x2000;
constexpr uint32_t kGrey = 0x7F7F7F;

constexpr char16_t kOkCaption[] = u"\u786e\u5b9a";                                 // 确定
constexpr char16_t kCancelCaption[] = u"\u53d6\u6d88";                             // 取消
constexpr char16_t kOpenCaption[] = u"\u6253\u5f00";                               // 打开
constexpr char16_t kLookIn[] = u"\u67e5\u627e\u8303\u56f4: ";                      // 查找范围:
constexpr char16_t kFileName[] = u"\u6587\u4ef6\u540d: ";                          // 文件名:
constexpr char16_t kDialogHint[] =
    u"Tab \u5207\u6362  \u2191\u2193 \u79fb\u52a8  \u2192/+ \u5c55\u5f00  \u2190/- \u6298\u53e0  "
    u"\u7a7a\u683c \u52fe\u9009/\u6309\u4e0b";  // Tab 切换  ↑↓ 移动  →/+ 展开  ←/- 折叠  空格 勾选/按下
constexpr char16_t kChooserHint[] =
    u"\u2191\u2193 \u79fb\u52a8  Enter \u6253\u5f00  \u2190 \u4e0a\u4e00\u7ea7  "
    u"Tab \u5207\u6362  Esc \u53d6\u6d88";  // ↑↓ 移动  Enter 打开  ← 上一级  Tab 切换  Esc 取消
constexpr char16_t kTooSmall[] = u"\u7ec8\u7aef\u592a\u5c0f";  // 终端太小

void PopCodePoint(std::u16string& text) {
  if (text.empty()) return;
  const bool pair = text.size() >= 2 && text.back() >= 0xDC00 && text.back() < 0xE000 &&
                    text[text.size() - 2] >= 0xD800 && text[text.size() - 2] < 0xDC00;
  text.resize(text.size() - (pair ? 2 : 1));
}

bool IsChar(const TerminalKey& key, char32_t ch) { return key.kind == TerminalKey::Char && key.ch == ch; }
bool IsText(const TerminalKey& key) { return key.kind == TerminalKey::Char && key.ch >= 0x20; }

std::u16string Ascii(std::string_view text) { return std::u16string(text.begin(), text.end()); }

// The frame's content on a frame of another size, cut or padded.
TerminalFrame Resized(const TerminalFrame& frame, TerminalSize size) {
  TerminalFrame resized(size.rows, size.cols);
  std::u16string line;
  for (int r = 0; r < std::min(frame.rows(), resized.rows()); ++r) {
    for (int c = 0; c < std::min(frame.cols(), resized.cols()); ++c) {
      const TerminalCell& cell = frame.At(r, c);
      if (cell.ch == 0) continue;
      line.clear();
      utils::AppendUtf16(line, cell.ch);
      resized.Put(r, c, line, resized.cols() - c, cell.style);
    }
  }
  return resized;
}

// A frame that only says the terminal is too small for what it should show.
TerminalFrame TooSmallFrame(TerminalSize size, TerminalSize needed) {
  TerminalFrame frame(size.rows, size.cols);
  const std::u16string lines[] = {
      kTooSmall,
      Ascii(std::to_string(size.cols) + "x" + std::to_string(size.rows) + " < " + std::to_string(needed.cols) + "x" +
            std::to_string(needed.rows)),
  };
  for (int i = 0; i < 2; ++i) {
    const int width = TextColumns(lines[i]);
    frame.Put(frame.rows() / 2 - 1 + i, std::max(0, (frame.cols() - width) / 2), lines[i], frame.cols(),
              CellStyle::Title);
  }
  return frame;
}

bool TooSmall(TerminalSize size, TerminalSize needed) { return size.rows < needed.rows || size.cols < needed.cols; }

// A column's text after its "|" separator, in `width` columns with the separator.
void PutColumn(TerminalFrame& frame, int row, int col, std::u16string_view text, int width, CellStyle style) {
  frame.Put(row, col, u"|", width, style);
  frame.Put(row, col + 1, text, width - 1, style);
}

// A framed, blank box.
void DrawBox(TerminalFrame& frame, int top, int left, int height, int width) {
  const size_t inner = static_cast<size_t>(std::max(0, width - 2));
  std::u16string edge(inner + 2, u'-');
  edge.front() = edge.back() = u'+';
  std::u16string middle(inner + 2, u' ');
  middle.front() = middle.back() = u'|';
  for (int r = top; r < top + height; ++r)
    frame.Put(r, left, r == top || r == top + height - 1 ? edge : middle, width, CellStyle::Box);
}

// Splits text at line breaks.
std::vector<std::u16string> SplitLines(const std::u16string& text) {
  std::vector<std::u16string> lines(1);
  for (char16_t ch : text) {
    if (ch == u'\r') continue;
    if (ch == u'\n') {
      lines.emplace_back();
      continue;
    }
    lines.back() += ch;
  }
  return lines;
}

// A box with the message and an OK button, centred over the screen's content, until the
// button is pressed (Space, Enter, Escape or a click on it).
void RunMessageBox(TerminalIo& io, const std::u16string& text, const TerminalFrame& background) {
  const std::vector<std::u16string> lines = SplitLines(text);
  const std::u16string button = std::u16string(u"[ ") + kOkCaption + u" ]";
  int buttonRow = 0;
  int buttonCol = 0;
  const int buttonWidth = TextColumns(button);
  for (;;) {
    const TerminalSize size = io.Size();
    int textWidth = buttonWidth;
    for (const auto& line : lines) textWidth = std::max(textWidth, TextColumns(line));
    const int width = std::min(size.cols, textWidth + 6);
    const int height = std::min(size.rows, static_cast<int>(lines.size()) + 5);
    const int top = (size.rows - height) / 2;
    const int left = (size.cols - width) / 2;
    TerminalFrame frame = Resized(background, size);
    DrawBox(frame, top, left, height, width);
    for (size_t i = 0; i < lines.size() && top + 1 + static_cast<int>(i) <= top + height - 3; ++i)
      frame.Put(top + 1 + static_cast<int>(i), left + 3, lines[i], width - 6, CellStyle::Box);
    buttonRow = top + height - 2;
    buttonCol = left + (width - buttonWidth) / 2;
    frame.Put(buttonRow, buttonCol, button, width - 2, CellStyle::Focused);
    io.Show(std::move(frame));
    const auto key = io.ReadKey();
    if (!key || key->kind == TerminalKey::Enter || key->kind == TerminalKey::Escape || IsChar(*key, U' ')) return;
    if (key->kind == TerminalKey::Mouse && key->row == buttonRow && key->col >= buttonCol &&
        key->col < buttonCol + buttonWidth)
      return;
  }
}

// The dialog's controls in the order Tab visits them.
constexpr int kFocusOrder[] = {3, 10001, 10003, 10002, 1, 2};

// Where a control was drawn, for mouse clicks.
struct HitArea {
  int id = 0;
  int row = 0;
  int col = 0;
  int width = 0;
};

class TerminalSurface final : public DialogSurface {
 public:
  TerminalSurface(TerminalIo& io, const DialogTemplate& dialogTemplate) : io_(io), title_(dialogTemplate.title) {
    for (const auto& control : dialogTemplate.controls) {
      ControlState state;
      state.kind = control.kind;
      state.text = control.caption;
      controls_[control.id] = state;
    }
  }

  int RunModal(DialogEvents& events) override {
    events_ = &events;
    events.OnInitDialog();
    Relayout();
    while (!ended_) {
      io_.Show(Render());
      auto key = io_.ReadKey();
      if (!key) {
        EndDialog(kCancel);
        break;
      }
      Handle(*key);
    }
    events_ = nullptr;
    return endCode_;
  }
  void EndDialog(int code) override {
    ended_ = true;
    endCode_ = code;
  }

  bool HasControl(int id) const override { return controls_.count(id) != 0; }
  std::u16string GetText(int id) const override { return Find(id) ? Find(id)->text : std::u16string(); }
  void SetText(int id, const std::u16string& text) override {
    if (auto* c = Find(id)) c->text = text;
  }
  void Enable(int id, bool enabled) override {
    if (auto* c = Find(id)) c->enabled = enabled;
  }
  bool IsEnabled(int id) const override { return Find(id) && Find(id)->enabled; }
  void Show(int id, bool visible) override {
    if (auto* c = Find(id)) c->visible = visible;
  }
  int GetCheck(int id) const override { return Find(id) ? Find(id)->check : 0; }
  void SetCheck(int id, int check) override {
    if (auto* c = Find(id)) c->check = check;
  }
  Rect GetRect(int id) const override { return Find(id) ? Find(id)->rect : Rect{}; }
  void SetRect(int id, const Rect& rect) override {
    if (auto* c = Find(id)) c->rect = rect;
  }
  void SetFocus(int id) override { focus_ = id; }

  Rect GetWindowRect() const override {
    const Size client = GetClientSize();
    return {0, 0, client.cx, client.cy};
  }
  // The terminal decides the size; the request only makes the dialog lay itself out again.
  void SetWindowSize(int, int) override { Relayout(); }
  // The title line and the key help line are not the dialog's client area.
  Size GetClientSize() const override {
    const TerminalSize size = io_.Size();
    return {size.cols * kCellPixelsX, std::max(size.rows - 2, 1) * kCellPixelsY};
  }

  void ShowMessageBox(const std::u16string& text, MessageBoxIcon) override {
    RunMessageBox(io_, text, Render());
  }
  int ScreenPixelsPerInchY() const override { return 96; }
  void CreateFont(const FontRequest&) override {}  // the terminal's own font
  void AttachGrid(int id, GridControl* grid) override {
    if (HasControl(id)) {
      grid_ = grid;
      gridId_ = id;
    }
  }

 private:
  ControlState* Find(int id) {
    auto found = controls_.find(id);
    return found == controls_.end() ? nullptr : &found->second;
  }
  const ControlState* Find(int id) const {
    auto found = controls_.find(id);
    return found == controls_.end() ? nullptr : &found->second;
  }

  void Relayout() {
    const Size client = GetClientSize();
    if (events_ && !(client == laidOut_)) {
      laidOut_ = client;
      events_->OnSize(client.cx, client.cy);
    }
  }

  bool Focusable(int id) const {
    const ControlState* c = Find(id);
    return c && c->visible && c->enabled;
  }
  void MoveFocus(int step) {
    const int count = static_cast<int>(std::size(kFocusOrder));
    int at = 0;
    while (at < count && kFocusOrder[at] != focus_) ++at;
    for (int tries = 0; tries < count; ++tries) {
      at = ((at + step) % count + count) % count;
      if (Focusable(kFocusOrder[at])) {
        focus_ = kFocusOrder[at];
        return;
      }
    }
  }
  void Press(int id) {
    if (!Focusable(id) || !events_) return;
    ControlState* control = Find(id);
    if (control->kind == ControlKind::CheckBox) control->check = control->check ? 0 : 1;
    events_->OnCommand(id);
  }

  std::vector<int> VisibleRows() const {
    std::vector<int> rows;
    if (!grid_) return rows;
    for (int row = grid_->FixedRowCount(); row < grid_->RowCount(); ++row)
      if (!grid_->IsRowHidden(row)) rows.push_back(row);
    return rows;
  }

  void ToggleExpansion(int row, bool expand) {
    if (expand && grid_->RowHasChildren(row) && !grid_->IsRowExpanded(row)) grid_->Expand(row);
    if (!expand && grid_->IsRowExpanded(row)) grid_->Collapse(row);
  }

  void HandleGridKey(const TerminalKey& key) {
    const std::vector<int> rows = VisibleRows();
    if (rows.empty()) return;
    const int selected = grid_->SelectedRow();
    auto position = std::find(rows.begin(), rows.end(), selected);
    long at = position == rows.end() ? 0 : position - rows.begin();
    const long page = std::max(1, GridBodyRows() - 1);
    const long last = static_cast<long>(rows.size()) - 1;
    const int row = rows[static_cast<size_t>(at)];
    switch (key.kind) {
      case TerminalKey::Up: at = std::max(0L, at - 1); break;
      case TerminalKey::Down: at = std::min(last, at + 1); break;
      case TerminalKey::PageUp: at = std::max(0L, at - page); break;
      case TerminalKey::PageDown: at = std::min(last, at + page); break;
      case TerminalKey::Home: at = 0; break;
      case TerminalKey::End: at = last; break;
      case TerminalKey::Right: return ToggleExpansion(row, true);
      case TerminalKey::Left: return ToggleExpansion(row, false);
      case TerminalKey::Char:
        if (key.ch == U'+' || key.ch == U'-') ToggleExpansion(row, key.ch == U'+');
        if (key.ch == U' ') grid_->ClickCheck(row);
        if (selected < 0) grid_->SelectRow(row);
        return;
      default:
        return;
    }
    grid_->SelectRow(rows[static_cast<size_t>(at)]);
    grid_->EnsureVisible(rows[static_cast<size_t>(at)]);
  }

  // A click in the grid's body: the expand marker and the check box act, a double click
  // goes to the grid as the window system would send it.
  void ClickGrid(const TerminalKey& key) {
    const int line = key.row - gridBodyTop_;
    if (line < 0 || line >= static_cast<int>(drawnRows_.size())) return;
    const DrawnRow& drawn = drawnRows_[static_cast<size_t>(line)];
    grid_->SelectRow(drawn.row);
    if (key.clicks >= 2) {
      grid_->DoubleClick(drawn.row, grid_->TreeColumn());
      return;
    }
    if (key.col >= drawn.markerCol && key.col < drawn.markerCol + 1)
      ToggleExpansion(drawn.row, !grid_->IsRowExpanded(drawn.row));
    else if (key.col >= drawn.checkCol && key.col < drawn.checkCol + 3)
      grid_->ClickCheck(drawn.row);
  }

  void HandleMouse(const TerminalKey& key) {
    if (grid_ && key.row >= gridBodyTop_ && key.row < gridBodyTop_ + GridBodyRows() && key.col >= gridLeft_ &&
        key.col < gridLeft_ + gridWidth_) {
      focus_ = gridId_;
      return ClickGrid(key);
    }
    for (const HitArea& area : hitAreas_) {
      if (key.row != area.row || key.col < area.col || key.col >= area.col + area.width) continue;
      if (!Focusable(area.id)) return;
      focus_ = area.id;
      if (Find(area.id)->kind != ControlKind::Edit) Press(area.id);
      return;
    }
  }

  void Handle(const TerminalKey& key) {
    if (key.kind == TerminalKey::Resize) return Relayout();
    // Keys reach the dialog only while it can be seen.
    if (TooSmall(io_.Size(), kMinimumDialogSize)) return;
    switch (key.kind) {
      case TerminalKey::Enter:
      case TerminalKey::Escape: {
        // The dialog swallows both; a backend only offers them, as the desktop does.
        const bool enter = key.kind == TerminalKey::Enter;
        if (!events_->PreTranslateKeyDown(enter ? kKeyEnter : kKeyEscape)) Press(enter ? kOk : kCancel);
        return;
      }
      case TerminalKey::Tab: return MoveFocus(1);
      case TerminalKey::BackTab: return MoveFocus(-1);
      case TerminalKey::Mouse: return HandleMouse(key);
      default: break;
    }
    if (focus_ == gridId_ && grid_) return HandleGridKey(key);
    ControlState* control = Find(focus_);
    if (!control) return;
    if (control->kind == ControlKind::Edit) {
      if (key.kind == TerminalKey::Backspace) PopCodePoint(control->text);
      if (IsText(key)) utils::AppendUtf16(control->text, key.ch);
      return;
    }
    if (IsChar(key, U' ')) Press(focus_);
  }

  // Rows of the grid's rectangle below its heading line.
  int GridBodyRows() const {
    const ControlState* g = Find(gridId_);
    if (!g) return 1;
    return std::max(1, g->rect.Height() / kCellPixelsY - 1);
  }

  struct DrawnRow {
    int row = 0;
    int markerCol = 0;
    int checkCol = 0;
  };

  void DrawGrid(TerminalFrame& frame, const ControlState& control) {
    const int top = 1 + control.rect.top / kCellPixelsY;
    const int left = control.rect.left / kCellPixelsX;
    const int width = std::max(3, std::min(control.rect.Width() / kCellPixelsX, frame.cols() - left));
    const int body = GridBodyRows();
    gridBodyTop_ = top + 1;
    gridLeft_ = left;
    gridWidth_ = width;
    const int tree = grid_->TreeColumn();
    // The tree column takes half the width, type and comment a quarter each.
    const int nameWidth = width / 2;
    const int typeWidth = width / 4;
    const int commentWidth = width - nameWidth - typeWidth;
    const int typeLeft = left + nameWidth;
    const int commentLeft = typeLeft + typeWidth;
    frame.Fill(top, left, width, CellStyle::Heading);
    frame.Put(top, left, grid_->ColumnHeading(tree), nameWidth - 1, CellStyle::Heading);
    PutColumn(frame, top, typeLeft, grid_->ColumnHeading(tree + 1), typeWidth - 1, CellStyle::Heading);
    PutColumn(frame, top, commentLeft, grid_->ColumnHeading(tree + 2), commentWidth, CellStyle::Heading);

    const std::vector<int> rows = VisibleRows();
    const int selected = grid_->SelectedRow();
    const long at = std::find(rows.begin(), rows.end(), selected) - rows.begin();
    if (at < static_cast<long>(rows.size())) {
      if (at < scroll_) scroll_ = static_cast<int>(at);
      if (at >= scroll_ + body) scroll_ = static_cast<int>(at) - body + 1;
    }
    scroll_ = std::max(0, std::min(scroll_, std::max(0, static_cast<int>(rows.size()) - body)));
    drawnRows_.clear();
    for (int line = 0; line < body && scroll_ + line < static_cast<int>(rows.size()); ++line) {
      const int row = rows[static_cast<size_t>(scroll_ + line)];
      const int y = gridBodyTop_ + line;
      const bool grey = grid_->CellTextColour(row, tree) == kGrey;
      const CellStyle style = row == selected ? (focus_ == gridId_ ? CellStyle::Focused : CellStyle::Selected)
                              : grey          ? CellStyle::Grey
                                              : CellStyle::Plain;
      const int indent = 2 * grid_->RowLevel(row);
      std::u16string cell(static_cast<size_t>(indent), u' ');
      cell += grid_->RowHasChildren(row) ? (grid_->IsRowExpanded(row) ? u"- " : u"+ ") : u"  ";
      const int check = grid_->RowCheck(row);
      const bool checkable = !(grid_->CellState(row, tree) & kStateCheckDisabled);
      cell += !checkable ? u"    " : check == 1 ? u"[x] " : check == 2 ? u"[-] " : u"[ ] ";
      cell += grid_->CellText(row, tree);
      frame.Fill(y, left, width, style);
      frame.Put(y, left, cell, nameWidth - 1, style);
      PutColumn(frame, y, typeLeft, grid_->CellText(row, tree + 1), typeWidth - 1, style);
      PutColumn(frame, y, commentLeft, grid_->CellText(row, tree + 2), commentWidth, style);
      drawnRows_.push_back({row, left + indent, checkable ? left + indent + 2 : -10});
    }
    // Where the list goes on beyond the rows shown.
    if (scroll_ > 0) frame.Put(gridBodyTop_, left + width - 1, u"^", 1, CellStyle::Heading);
    if (scroll_ + body < static_cast<int>(rows.size()))
      frame.Put(gridBodyTop_ + body - 1, left + width - 1, u"v", 1, CellStyle::Heading);
  }

  void DrawControl(TerminalFrame& frame, int id, const ControlState& control) {
    const int y = 1 + (control.rect.top + control.rect.bottom) / 2 / kCellPixelsY;
    const int x = control.rect.left / kCellPixelsX;
    const int width = std::max(1, std::min(control.rect.Width() / kCellPixelsX, frame.cols() - x));
    const bool focused = id == focus_;
    const CellStyle style = focused ? CellStyle::Focused : control.enabled ? CellStyle::Plain : CellStyle::Grey;
    hitAreas_.push_back({id, y, x, width});
    if (control.kind == ControlKind::Edit) {
      // The end of a long text stays in view, as the caret is there.
      std::u16string shown = control.text;
      while (TextColumns(shown) > width - 3 && !shown.empty()) shown.erase(0, 1);
      frame.Put(y, x, u"[", 1, style);
      const int used = frame.Put(y, x + 1, shown, width - 2, style);
      frame.Fill(y, x + 1, width - 2, style);
      frame.Put(y, x + width - 1, u"]", 1, style);
      if (focused) {
        frame.cursorRow = y;
        frame.cursorCol = x + 1 + used;
      }
      return;
    }
    std::u16string text;
    if (control.kind == ControlKind::CheckBox)
      text = (control.check ? u"[x] " : u"[ ] ") + control.text;
    else
      text = u"[" + control.text + u"]";
    const int columns = std::min(width, TextColumns(text));
    frame.Put(y, x + (width - columns) / 2, text, width, style);
  }

  TerminalFrame Render() {
    const TerminalSize size = io_.Size();
    if (TooSmall(size, kMinimumDialogSize)) return TooSmallFrame(size, kMinimumDialogSize);
    TerminalFrame frame(size.rows, size.cols);
    frame.Fill(0, 0, size.cols, CellStyle::Title);
    frame.Put(0, std::max(0, (size.cols - TextColumns(title_)) / 2), title_, size.cols, CellStyle::Title);
    hitAreas_.clear();
    drawnRows_.clear();
    for (const auto& [id, control] : controls_) {
      if (!control.visible) continue;
      if (id == gridId_ && grid_)
        DrawGrid(frame, control);
      else
        DrawControl(frame, id, control);
    }
    frame.Fill(size.rows - 1, 0, size.cols, CellStyle::Hint);
    frame.Put(size.rows - 1, 0, kDialogHint, size.cols, CellStyle::Hint);
    return frame;
  }

  TerminalIo& io_;
  std::u16string title_;
  std::map<int, ControlState> controls_;
  DialogEvents* events_ = nullptr;
  GridControl* grid_ = nullptr;
  int gridId_ = -1;
  int focus_ = 0;
  int scroll_ = 0;
  Size laidOut_;
  bool ended_ = false;
  int endCode_ = kCancel;
  // What the last frame showed where, for the mouse.
  std::vector<HitArea> hitAreas_;
  std::vector<DrawnRow> drawnRows_;
  int gridBodyTop_ = -1;
  int gridLeft_ = 0;
  int gridWidth_ = 0;
};

// The file-open dialog: the directories and matching files of one directory, and a file
// name field that takes a typed name or path.
class FileChooser {
 public:
  FileChooser(TerminalIo& io, const FileDialogRequest& request) : io_(io), patterns_(Patterns(request.filter)) {
    std::error_code error;
    directory_ = std::filesystem::current_path(error);
    typed_ = request.initialFileName;
    List();
  }

  std::optional<std::u16string> Run() {
    for (;;) {
      io_.Show(Render());
      const auto key = io_.ReadKey();
      if (!key || key->kind == TerminalKey::Escape) return std::nullopt;
      if (auto done = Handle(*key)) return *done;
    }
  }

 private:
  enum Focus { kList, kName, kOpen, kCancelButton, kFocusCount };
  struct Entry {
    std::u16string name;
    bool directory = false;
  };
  static constexpr TerminalSize kMinimum{10, 40};

  // The patterns of the filter's first entry: "text|*.a;*.b|...".
  static std::vector<std::u16string> Patterns(const std::u16string& filter) {
    std::vector<std::u16string> patterns;
    const size_t start = filter.find(u'|');
    if (start == std::u16string::npos) return {u"*"};
    const std::u16string field = filter.substr(start + 1, filter.find(u'|', start + 1) - start - 1);
    size_t at = 0;
    while (at <= field.size()) {
      const size_t end = std::min(field.find(u';', at), field.size());
      if (end > at) patterns.push_back(field.substr(at, end - at));
      at = end + 1;
    }
    if (patterns.empty()) patterns.push_back(u"*");
    return patterns;
  }

  static char16_t Lower(char16_t ch) { return ch >= u'A' && ch <= u'Z' ? static_cast<char16_t>(ch + 32) : ch; }

  // "*" and "*.*" match every name, "*suffix" the names that end in it (any case).
  bool Matches(const std::u16string& name) const {
    for (const auto& pattern : patterns_) {
      if (pattern == u"*" || pattern == u"*.*") return true;
      if (pattern.empty() || pattern[0] != u'*') {
        if (pattern == name) return true;
        continue;
      }
      const std::u16string_view suffix = std::u16string_view(pattern).substr(1);
      if (name.size() < suffix.size()) continue;
      bool same = true;
      for (size_t i = 0; i < suffix.size() && same; ++i)
        same = Lower(name[name.size() - suffix.size() + i]) == Lower(suffix[i]);
      if (same) return true;
    }
    return false;
  }

  void List() {
    entries_.clear();
    if (directory_.has_relative_path()) entries_.push_back({u"..", true});
    std::vector<Entry> directories;
    std::vector<Entry> files;
    std::error_code error;
    for (std::filesystem::directory_iterator it(directory_, error), end; !error && it != end; it.increment(error)) {
      std::error_code typeError;
      const bool isDirectory = it->is_directory(typeError);
      std::u16string name;
      try {
        name = it->path().filename().u16string();
      } catch (const std::exception&) {
        continue;  // a name that is not text in any encoding
      }
      if (isDirectory)
        directories.push_back({name, true});
      else if (Matches(name))
        files.push_back({name, false});
    }
    auto byName = [](const Entry& a, const Entry& b) { return a.name < b.name; };
    std::sort(directories.begin(), directories.end(), byName);
    std::sort(files.begin(), files.end(), byName);
    entries_.insert(entries_.end(), directories.begin(), directories.end());
    entries_.insert(entries_.end(), files.begin(), files.end());
    selected_ = 0;
    scroll_ = 0;
  }

  void Enter(const std::filesystem::path& directory) {
    std::error_code error;
    const std::filesystem::path canonical = std::filesystem::weakly_canonical(directory, error);
    directory_ = error ? directory.lexically_normal() : canonical;
    List();
  }

  // Opens what the name field or the selected entry names: a directory is entered, a file
  // is the answer.
  std::optional<std::u16string> Open() {
    std::filesystem::path target;
    if (!typed_.empty()) {
      target = directory_ / std::filesystem::path(typed_);
    } else if (selected_ < entries_.size()) {
      const Entry& entry = entries_[selected_];
      if (entry.name == u"..") {
        Enter(directory_.parent_path());
        return std::nullopt;
      }
      target = directory_ / std::filesystem::path(entry.name);
    } else {
      return std::nullopt;
    }
    std::error_code error;
    if (std::filesystem::is_directory(target, error)) {
      typed_.clear();
      Enter(target);
      return std::nullopt;
    }
    return target.lexically_normal().u16string();
  }

  // The answer when the key ends the chooser: a path, or an empty optional inside for Cancel.
  std::optional<std::optional<std::u16string>> Handle(const TerminalKey& key) {
    switch (key.kind) {
      case TerminalKey::Resize: return std::nullopt;
      case TerminalKey::Tab: focus_ = (focus_ + 1) % kFocusCount; return std::nullopt;
      case TerminalKey::BackTab: focus_ = (focus_ + kFocusCount - 1) % kFocusCount; return std::nullopt;
      case TerminalKey::Mouse: return Click(key);
      default: break;
    }
    if (TooSmall(io_.Size(), kMinimum)) return std::nullopt;
    const bool activate = key.kind == TerminalKey::Enter || IsChar(key, U' ');
    if (focus_ == kCancelButton && activate) return std::optional<std::u16string>();
    if (focus_ == kOpen && activate) return Opened();
    if (key.kind == TerminalKey::Enter) return Opened();
    if (focus_ == kName) {
      if (key.kind == TerminalKey::Backspace) PopCodePoint(typed_);
      if (IsText(key)) utils::AppendUtf16(typed_, key.ch);
      if (key.kind == TerminalKey::Up || key.kind == TerminalKey::Down) focus_ = kList;
      return std::nullopt;
    }
    if (focus_ != kList) return std::nullopt;
    const size_t last = entries_.empty() ? 0 : entries_.size() - 1;
    const size_t page = static_cast<size_t>(std::max(1, ListRows() - 1));
    switch (key.kind) {
      case TerminalKey::Up: selected_ = selected_ > 0 ? selected_ - 1 : 0; break;
      case TerminalKey::Down: selected_ = std::min(last, selected_ + 1); break;
      case TerminalKey::PageUp: selected_ = selected_ > page ? selected_ - page : 0; break;
      case TerminalKey::PageDown: selected_ = std::min(last, selected_ + page); break;
      case TerminalKey::Home: selected_ = 0; break;
      case TerminalKey::End: selected_ = last; break;
      case TerminalKey::Left:
      case TerminalKey::Backspace: Enter(directory_.parent_path()); break;
      case TerminalKey::Right:
        if (selected_ < entries_.size() && entries_[selected_].directory) return Opened();
        break;
      default:
        if (IsChar(key, U' ')) return Opened();
        if (IsText(key)) {  // typing goes to the name field
          focus_ = kName;
          utils::AppendUtf16(typed_, key.ch);
        }
        break;
    }
    return std::nullopt;
  }

  std::optional<std::optional<std::u16string>> Opened() {
    typed_ = Trimmed(typed_);
    if (auto path = Open()) return std::optional<std::u16string>(*path);
    return std::nullopt;
  }
  static std::u16string Trimmed(const std::u16string& text) {
    const size_t first = text.find_first_not_of(u' ');
    if (first == std::u16string::npos) return {};
    return text.substr(first, text.find_last_not_of(u' ') - first + 1);
  }

  std::optional<std::optional<std::u16string>> Click(const TerminalKey& key) {
    auto inside = [&key](const HitArea& area) {
      return key.row == area.row && key.col >= area.col && key.col < area.col + area.width;
    };
    if (inside(openArea_)) return Opened();
    if (inside(cancelArea_)) return std::optional<std::u16string>();
    if (inside(nameArea_)) {
      focus_ = kName;
      return std::nullopt;
    }
    const int line = key.row - listTop_;
    if (line < 0 || line >= ListRows() || scroll_ + static_cast<size_t>(line) >= entries_.size()) return std::nullopt;
    focus_ = kList;
    typed_.clear();
    selected_ = scroll_ + static_cast<size_t>(line);
    if (key.clicks >= 2) return Opened();
    return std::nullopt;
  }

  int ListRows() const { return std::max(1, io_.Size().rows - 7); }

  TerminalFrame Render() {
    const TerminalSize size = io_.Size();
    if (TooSmall(size, kMinimum)) return TooSmallFrame(size, kMinimum);
    TerminalFrame frame(size.rows, size.cols);
    const std::u16string title = std::u16string(kOpenCaption) + u" (" + patterns_.front() + u")";
    frame.Fill(0, 0, size.cols, CellStyle::Title);
    frame.Put(0, std::max(0, (size.cols - TextColumns(title)) / 2), title, size.cols, CellStyle::Title);
    frame.Put(1, 1, kLookIn + directory_.u16string(), size.cols - 2, CellStyle::Heading);

    const int rows = ListRows();
    listTop_ = 3;
    DrawBox(frame, listTop_ - 1, 0, rows + 2, size.cols);
    if (selected_ < scroll_) scroll_ = selected_;
    if (selected_ >= scroll_ + static_cast<size_t>(rows)) scroll_ = selected_ - static_cast<size_t>(rows) + 1;
    for (int line = 0; line < rows && scroll_ + static_cast<size_t>(line) < entries_.size(); ++line) {
      const size_t index = scroll_ + static_cast<size_t>(line);
      const Entry& entry = entries_[index];
      const CellStyle style = index != selected_ ? CellStyle::Plain
                              : focus_ == kList  ? CellStyle::Focused
                                                 : CellStyle::Selected;
      frame.Fill(listTop_ + line, 1, size.cols - 2, style);
      frame.Put(listTop_ + line, 2, entry.directory ? entry.name + u"/" : entry.name, size.cols - 4, style);
    }

    const int nameRow = listTop_ + rows + 1;
    const int labelWidth = TextColumns(kFileName);
    const std::u16string openText = std::u16string(u"[") + kOpenCaption + u"]";
    const std::u16string cancelText = std::u16string(u"[") + kCancelCaption + u"]";
    const int buttonsWidth = TextColumns(openText) + TextColumns(cancelText) + 3;
    const int fieldLeft = 1 + labelWidth;
    const int fieldWidth = std::max(3, size.cols - fieldLeft - buttonsWidth - 1);
    frame.Put(nameRow, 1, kFileName, labelWidth);
    const CellStyle fieldStyle = focus_ == kName ? CellStyle::Focused : CellStyle::Selected;
    frame.Fill(nameRow, fieldLeft, fieldWidth, fieldStyle);
    std::u16string shown = typed_;
    while (TextColumns(shown) > fieldWidth - 1 && !shown.empty()) shown.erase(0, 1);
    const int used = frame.Put(nameRow, fieldLeft, shown, fieldWidth, fieldStyle);
    if (focus_ == kName) {
      frame.cursorRow = nameRow;
      frame.cursorCol = fieldLeft + used;
    }
    nameArea_ = {0, nameRow, fieldLeft, fieldWidth};
    const int openLeft = fieldLeft + fieldWidth + 1;
    openArea_ = {0, nameRow, openLeft, TextColumns(openText)};
    cancelArea_ = {0, nameRow, openLeft + openArea_.width + 1, TextColumns(cancelText)};
    frame.Put(nameRow, openArea_.col, openText, openArea_.width, focus_ == kOpen ? CellStyle::Focused : CellStyle::Plain);
    frame.Put(nameRow, cancelArea_.col, cancelText, cancelArea_.width,
              focus_ == kCancelButton ? CellStyle::Focused : CellStyle::Plain);
    frame.Fill(size.rows - 1, 0, size.cols, CellStyle::Hint);
    frame.Put(size.rows - 1, 0, kChooserHint, size.cols, CellStyle::Hint);
    return frame;
  }

  TerminalIo& io_;
  std::vector<std::u16string> patterns_;
  std::filesystem::path directory_;
  std::vector<Entry> entries_;
  std::u16string typed_;
  size_t selected_ = 0;
  size_t scroll_ = 0;
  int focus_ = kList;
  int listTop_ = 3;
  HitArea nameArea_;
  HitArea openArea_;
  HitArea cancelArea_;
};

}  // namespace

TerminalFrame::TerminalFrame(int rows, int cols)
    : rows_(std::max(rows, 1)), cols_(std::max(cols, 1)), cells_(static_cast<size_t>(rows_) * static_cast<size_t>(cols_)) {}

std::string TerminalFrame::Text(int row) const {
  std::string line;
  if (row < 0 || row >= rows_) return line;
  for (int c = 0; c < cols_; ++c)
    if (const char32_t ch = At(row, c).ch) utils::AppendUtf8(line, ch);
  return line;
}

int TerminalFrame::Put(int row, int col, std::u16string_view text, int width, CellStyle style) {
  if (row < 0 || row >= rows_ || col < 0) return 0;
  const int limit = std::min(cols_, col + std::max(width, 0));
  int at = col;
  utils::ForEachCodePoint(text, [&](char32_t cp) {
    if (cp < 0x20 || cp == 0x7f) cp = U' ';
    const int w = TerminalCellWidth(cp);
    if (w == 0) return true;
    if (at + w > limit) return false;
    Set(row, at, cp, style);
    if (w == 2) Set(row, at + 1, 0, style);
    at += w;
    return true;
  });
  return at - col;
}

void TerminalFrame::Fill(int row, int col, int width, CellStyle style) {
  if (row < 0 || row >= rows_) return;
  for (int c = std::max(col, 0); c < std::min(cols_, col + width); ++c) cells_[Index(row, c)].style = style;
}

void TerminalFrame::Set(int row, int col, char32_t ch, CellStyle style) {
  // Overwriting half of a wide character blanks its other half.
  if (cells_[Index(row, col)].ch == 0 && col > 0) cells_[Index(row, col - 1)].ch = U' ';
  if (col + 1 < cols_ && cells_[Index(row, col + 1)].ch == 0) cells_[Index(row, col + 1)].ch = U' ';
  cells_[Index(row, col)] = {ch, style};
}

int TextColumns(std::u16string_view text) {
  int columns = 0;
  utils::ForEachCodePoint(text, [&](char32_t cp) {
    columns += TerminalCellWidth(cp);
    return true;
  });
  return columns;
}

int EastAsianCellWidth(char32_t ch) {
  if (ch < 0x20 || ch == 0x7f) return 0;
  const bool wide = (ch >= 0x1100 && ch <= 0x115F) || (ch >= 0x2E80 && ch <= 0xA4CF) ||
                    (ch >= 0xAC00 && ch <= 0xD7A3) || (ch >= 0xF900 && ch <= 0xFAFF) ||
                    (ch >= 0xFE30 && ch <= 0xFE4F) || (ch >= 0xFF00 && ch <= 0xFF60) ||
                    (ch >= 0xFFE0 && ch <= 0xFFE6) || (ch >= 0x1F300 && ch <= 0x1FAFF) ||
                    (ch >= 0x20000 && ch <= 0x3FFFD);
  return wide ? 2 : 1;
}

std::string FitToColumns(std::u16string_view text, int columns) {
  if (columns <= 0) return std::string();
  TerminalFrame frame(1, columns);
  frame.Put(0, 0, text, columns);
  return frame.Text(0);
}

std::unique_ptr<DialogSurface> TerminalDialogBackend::CreateSurface(const DialogTemplate& dialogTemplate) {
  return std::make_unique<TerminalSurface>(io_, dialogTemplate);
}

std::optional<std::u16string> TerminalUserInterface::ShowFileDialog(const FileDialogRequest& request) {
  const TerminalFrame background = io_.Shown();
  FileChooser chooser(io_, request);
  auto answer = chooser.Run();
  // What was under the chooser comes back, for a message box shown over it next.
  io_.Show(Resized(background, io_.Size()));
  return answer;
}

void TerminalUserInterface::ShowMessageBox(const std::u16string& text, MessageBoxIcon) {
  RunMessageBox(io_, text, io_.Shown());
}

}  // namespace platform
