#include "platform/TerminalDialog.h"

#include <algorithm>
#include <map>

#include "utils/utf16.h"

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

enum Attr : uint8_t { kPlain, kReverse, kDim, kBold };

// Calls f(code point) for each character of UTF-16 text; a lone surrogate is U+FFFD.
template <typename F>
void ForEachCodePoint(std::u16string_view text, F f) {
  for (size_t i = 0; i < text.size(); ++i) {
    char32_t cp = text[i];
    if (cp >= 0xD800 && cp < 0xDC00 && i + 1 < text.size() && text[i + 1] >= 0xDC00 && text[i + 1] < 0xE000) {
      cp = 0x10000 + ((cp - 0xD800) << 10) + (text[i + 1] - 0xDC00);
      ++i;
    } else if (cp >= 0xD800 && cp < 0xE000) {
      cp = 0xFFFD;
    }
    if (!f(cp)) return;
  }
}

void AppendUtf8(std::string& out, char32_t cp) {
  if (cp < 0x80) {
    out += static_cast<char>(cp);
  } else if (cp < 0x800) {
    out += static_cast<char>(0xC0 | (cp >> 6));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  } else if (cp < 0x10000) {
    out += static_cast<char>(0xE0 | (cp >> 12));
    out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (cp >> 18));
    out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  }
}

// The screen as cells: each holds the UTF-8 of its character ("" for the right half of a wide
// one) and an attribute.
class Canvas {
 public:
  Canvas(int rows, int cols)
      : rows_(std::max(rows, 1)), cols_(std::max(cols, 1)), cells_(static_cast<size_t>(rows_ * cols_), " "),
        attrs_(cells_.size(), kPlain) {}

  int rows() const { return rows_; }
  int cols() const { return cols_; }

  // Writes text from (row, col), cut at `width` columns; returns the columns used.
  int Put(int row, int col, std::u16string_view text, int width, uint8_t attr = kPlain) {
    if (row < 0 || row >= rows_ || col < 0) return 0;
    const int limit = std::min(cols_, col + std::max(width, 0));
    int at = col;
    ForEachCodePoint(text, [&](char32_t cp) {
      if (cp < 0x20) cp = u' ';
      const int w = TerminalCellWidth(cp);
      if (w == 0) return true;
      if (at + w > limit) return false;
      std::string utf8;
      AppendUtf8(utf8, cp);
      Set(row, at, utf8, attr);
      if (w == 2) Set(row, at + 1, "", attr);
      at += w;
      return true;
    });
    return at - col;
  }
  void Fill(int row, int col, int width, uint8_t attr) {
    for (int c = col; c < std::min(cols_, col + width); ++c)
      if (row >= 0 && row < rows_ && c >= 0) attrs_[Index(row, c)] = attr;
  }

  std::vector<std::string> Lines() const {
    std::vector<std::string> lines;
    for (int r = 0; r < rows_; ++r) {
      std::string line;
      uint8_t current = kPlain;
      for (int c = 0; c < cols_; ++c) {
        const uint8_t attr = attrs_[Index(r, c)];
        if (attr != current) {
          line += "\x1b[0m";
          if (attr == kReverse) line += "\x1b[7m";
          if (attr == kDim) line += "\x1b[2m";
          if (attr == kBold) line += "\x1b[1m";
          current = attr;
        }
        line += cells_[Index(r, c)];
      }
      if (current != kPlain) line += "\x1b[0m";
      lines.push_back(std::move(line));
    }
    return lines;
  }

 private:
  size_t Index(int row, int col) const { return static_cast<size_t>(row * cols_ + col); }
  void Set(int row, int col, const std::string& utf8, uint8_t attr) {
    // Overwriting half of a wide character blanks its other half.
    if (cells_[Index(row, col)].empty() && col > 0) cells_[Index(row, col - 1)].assign(1, ' ');
    if (col + 1 < cols_ && cells_[Index(row, col + 1)].empty()) cells_[Index(row, col + 1)].assign(1, ' ');
    cells_[Index(row, col)] = utf8;
    attrs_[Index(row, col)] = attr;
  }

  int rows_;
  int cols_;
  std::vector<std::string> cells_;
  std::vector<uint8_t> attrs_;
};

int TextColumns(std::u16string_view text) {
  int columns = 0;
  ForEachCodePoint(text, [&](char32_t cp) {
    columns += TerminalCellWidth(cp);
    return true;
  });
  return columns;
}

// Shows a message on the last line over a blank screen and waits for Enter, Space or Escape.
void ShowMessage(TerminalIo& io, const std::u16string& text) {
  const TerminalSize size = io.Size();
  Canvas canvas(size.rows, size.cols);
  const std::u16string line = text + u"   [\u786e\u5b9a]";  // [确定]
  canvas.Put(size.rows / 2, std::max(0, (size.cols - TextColumns(line)) / 2), line, size.cols, kBold);
  io.Draw(canvas.Lines());
  while (auto key = io.ReadKey()) {
    if (key->kind == TerminalKey::Enter || key->kind == TerminalKey::Escape ||
        (key->kind == TerminalKey::Char && key->ch == U' '))
      return;
  }
}

// The dialog's controls in the order Tab visits them.
constexpr int kFocusOrder[] = {3, 10001, 10003, 10002, 1, 2};

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
      io_.Draw(Render());
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
  Size GetClientSize() const override {
    const TerminalSize size = io_.Size();
    return {size.cols * kCellPixelsX, std::max(size.rows - 2, 1) * kCellPixelsY};
  }

  void ShowMessageBox(const std::u16string& text, MessageBoxIcon) override { ShowMessage(io_, text); }
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
    if (Focusable(id) && events_) events_->OnCommand(id);
  }

  std::vector<int> VisibleRows() const {
    std::vector<int> rows;
    if (!grid_) return rows;
    for (int row = grid_->FixedRowCount(); row < grid_->RowCount(); ++row)
      if (!grid_->IsRowHidden(row)) rows.push_back(row);
    return rows;
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
      case TerminalKey::Right:
        if (grid_->RowHasChildren(row) && !grid_->IsRowExpanded(row)) grid_->Expand(row);
        return;
      case TerminalKey::Left:
        if (grid_->IsRowExpanded(row)) grid_->Collapse(row);
        return;
      case TerminalKey::Char:
        if (key.ch == U'+' && grid_->RowHasChildren(row) && !grid_->IsRowExpanded(row)) grid_->Expand(row);
        if (key.ch == U'-' && grid_->IsRowExpanded(row)) grid_->Collapse(row);
        if (key.ch == U' ') grid_->ClickCheck(row);
        if (selected < 0) grid_->SelectRow(row);
        return;
      default:
        return;
    }
    grid_->SelectRow(rows[static_cast<size_t>(at)]);
    grid_->EnsureVisible(rows[static_cast<size_t>(at)]);
  }

  void Handle(const TerminalKey& key) {
    switch (key.kind) {
      case TerminalKey::Enter:
      case TerminalKey::Escape: {
        const bool enter = key.kind == TerminalKey::Enter;
        if (!events_->PreTranslateKeyDown(enter ? kKeyEnter : kKeyEscape)) Press(enter ? kOk : kCancel);
        return;
      }
      case TerminalKey::Tab: return MoveFocus(1);
      case TerminalKey::BackTab: return MoveFocus(-1);
      case TerminalKey::Resize: return Relayout();
      default: break;
    }
    if (focus_ == gridId_ && grid_) return HandleGridKey(key);
    ControlState* control = Find(focus_);
    if (!control) return;
    if (control->kind == ControlKind::Edit) {
      if (key.kind == TerminalKey::Backspace && !control->text.empty()) {
        const bool pair = control->text.size() >= 2 && control->text.back() >= 0xDC00 && control->text.back() < 0xE000;
        control->text.resize(control->text.size() - (pair ? 2 : 1));
      } else if (key.kind == TerminalKey::Char && key.ch >= 0x20) {
        utils::AppendUtf16(control->text, key.ch);
      }
      return;
    }
    if (key.kind == TerminalKey::Char && key.ch == U' ') Press(focus_);
  }

  // Rows of the grid's rectangle below its heading line.
  int GridBodyRows() const {
    const ControlState* g = Find(gridId_);
    if (!g) return 1;
    return std::max(1, g->rect.Height() / kCellPixelsY - 1);
  }

  void DrawGrid(Canvas& canvas, const ControlState& control) {
    const int top = 1 + control.rect.top / kCellPixelsY;
    const int left = control.rect.left / kCellPixelsX;
    const int width = std::max(1, control.rect.Width() / kCellPixelsX);
    const int body = GridBodyRows();
    const int tree = grid_->TreeColumn();
    const int nameWidth = width / 2;
    const int typeWidth = width / 4;
    const int commentWidth = width - nameWidth - typeWidth;
    canvas.Put(top, left, grid_->ColumnHeading(tree), nameWidth - 1, kBold);
    canvas.Put(top, left + nameWidth, grid_->ColumnHeading(tree + 1), typeWidth - 1, kBold);
    canvas.Put(top, left + nameWidth + typeWidth, grid_->ColumnHeading(tree + 2), commentWidth, kBold);

    const std::vector<int> rows = VisibleRows();
    const int selected = grid_->SelectedRow();
    const long at = std::find(rows.begin(), rows.end(), selected) - rows.begin();
    if (at < static_cast<long>(rows.size())) {
      if (at < scroll_) scroll_ = static_cast<int>(at);
      if (at >= scroll_ + body) scroll_ = static_cast<int>(at) - body + 1;
    }
    scroll_ = std::max(0, std::min(scroll_, std::max(0, static_cast<int>(rows.size()) - body)));
    for (int line = 0; line < body && scroll_ + line < static_cast<int>(rows.size()); ++line) {
      const int row = rows[static_cast<size_t>(scroll_ + line)];
      const int y = top + 1 + line;
      const bool grey = grid_->CellTextColour(row, tree) == kGrey;
      const uint8_t attr = row == selected ? (focus_ == gridId_ ? kReverse : kBold) : grey ? kDim : kPlain;
      std::u16string cell(static_cast<size_t>(2 * grid_->RowLevel(row)), u' ');
      cell += grid_->RowHasChildren(row) ? (grid_->IsRowExpanded(row) ? u"- " : u"+ ") : u"  ";
      const int check = grid_->RowCheck(row);
      cell += check == 1 ? u"[x] " : check == 2 ? u"[-] " : u"[ ] ";
      if (grid_->CellState(row, tree) & kStateCheckDisabled) cell[cell.size() - 3] = u' ';
      cell += grid_->CellText(row, tree);
      canvas.Fill(y, left, width, attr);
      canvas.Put(y, left, cell, nameWidth - 1, attr);
      canvas.Put(y, left + nameWidth, grid_->CellText(row, tree + 1), typeWidth - 1, attr);
      canvas.Put(y, left + nameWidth + typeWidth, grid_->CellText(row, tree + 2), commentWidth, attr);
    }
  }

  std::vector<std::string> Render() {
    const TerminalSize size = io_.Size();
    Canvas canvas(size.rows, size.cols);
    canvas.Fill(0, 0, size.cols, kReverse);
    canvas.Put(0, std::max(0, (size.cols - TextColumns(title_)) / 2), title_, size.cols, kReverse);
    for (const auto& [id, control] : controls_) {
      if (!control.visible) continue;
      if (id == gridId_ && grid_) {
        DrawGrid(canvas, control);
        continue;
      }
      const int y = 1 + (control.rect.top + control.rect.bottom) / 2 / kCellPixelsY;
      const int x = control.rect.left / kCellPixelsX;
      const int width = std::max(1, control.rect.Width() / kCellPixelsX);
      const uint8_t attr = id == focus_ ? kReverse : control.enabled ? kPlain : kDim;
      std::u16string text;
      if (control.kind == ControlKind::Edit) {
        text = u"[" + control.text + u"]";
      } else if (control.kind == ControlKind::CheckBox) {
        text = (control.check ? u"[x] " : u"[ ] ") + control.text;
      } else {
        text = u"[" + control.text + u"]";
      }
      canvas.Put(y, x, text, width, attr);
    }
    canvas.Put(size.rows - 1, 0,
               u"Tab \u5207\u6362  \u2191\u2193 \u79fb\u52a8  \u2192/+ \u5c55\u5f00  \u2190/- \u6298\u53e0  "
               u"\u7a7a\u683c \u52fe\u9009/\u6309\u4e0b",  // Tab 切换  ↑↓ 移动  →/+ 展开  ←/- 折叠  空格 勾选/按下
               size.cols, kDim);
    return canvas.Lines();
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
};

}  // namespace

std::vector<TerminalKey> DecodeTerminalKeys(std::string_view bytes) {
  std::vector<TerminalKey> keys;
  size_t i = 0;
  auto add = [&](TerminalKey::Kind kind, size_t used) {
    keys.push_back({kind, 0});
    i += used;
  };
  while (i < bytes.size()) {
    const unsigned char b = static_cast<unsigned char>(bytes[i]);
    if (b == 0x1b) {
      const std::string_view rest = bytes.substr(i);
      static const std::pair<std::string_view, TerminalKey::Kind> sequences[] = {
          {"\x1b[A", TerminalKey::Up},       {"\x1b[B", TerminalKey::Down},     {"\x1b[C", TerminalKey::Right},
          {"\x1b[D", TerminalKey::Left},     {"\x1bOA", TerminalKey::Up},       {"\x1bOB", TerminalKey::Down},
          {"\x1bOC", TerminalKey::Right},    {"\x1bOD", TerminalKey::Left},     {"\x1b[H", TerminalKey::Home},
          {"\x1b[F", TerminalKey::End},      {"\x1bOH", TerminalKey::Home},     {"\x1bOF", TerminalKey::End},
          {"\x1b[1~", TerminalKey::Home},    {"\x1b[4~", TerminalKey::End},     {"\x1b[7~", TerminalKey::Home},
          {"\x1b[8~", TerminalKey::End},     {"\x1b[5~", TerminalKey::PageUp},  {"\x1b[6~", TerminalKey::PageDown},
          {"\x1b[Z", TerminalKey::BackTab},
      };
      bool matched = false;
      for (const auto& [sequence, kind] : sequences) {
        if (rest.substr(0, sequence.size()) == sequence) {
          add(kind, sequence.size());
          matched = true;
          break;
        }
      }
      if (matched) continue;
      if (rest.size() >= 2 && (rest[1] == '[' || rest[1] == 'O')) {
        // An unknown sequence: skip it up to its final byte.
        size_t end = 2;
        while (end < rest.size() && (rest[end] < 0x40 || rest[end] > 0x7e)) ++end;
        i += std::min(end + 1, rest.size());
        continue;
      }
      add(TerminalKey::Escape, 1);
      continue;
    }
    if (b == '\t') { add(TerminalKey::Tab, 1); continue; }
    if (b == '\r' || b == '\n') { add(TerminalKey::Enter, 1); continue; }
    if (b == 0x7f || b == 0x08) { add(TerminalKey::Backspace, 1); continue; }
    // UTF-8; an invalid byte is U+FFFD.
    const size_t extra = b >= 0xF0 && b < 0xF8 ? 3 : b >= 0xE0 ? (b < 0xF0 ? 2 : 0) : b >= 0xC0 ? 1 : 0;
    char32_t cp = extra ? (b & (0x3F >> extra)) : b;
    bool valid = b < 0x80 || extra != 0;
    if (i + extra >= bytes.size() + (extra ? 0 : 1)) valid = false;
    for (size_t k = 1; valid && k <= extra; ++k) {
      const unsigned char next = static_cast<unsigned char>(bytes[i + k]);
      if ((next & 0xC0) != 0x80) valid = false;
      cp = cp << 6 | (next & 0x3F);
    }
    if (!valid) {
      keys.push_back({TerminalKey::Char, 0xFFFD});
      ++i;
      continue;
    }
    keys.push_back({TerminalKey::Char, cp});
    i += extra + 1;
  }
  return keys;
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
  Canvas canvas(1, std::max(columns, 1));
  canvas.Put(0, 0, text, columns);
  return columns > 0 ? canvas.Lines().front() : std::string();
}

std::unique_ptr<DialogSurface> TerminalDialogBackend::CreateSurface(const DialogTemplate& dialogTemplate) {
  return std::make_unique<TerminalSurface>(io_, dialogTemplate);
}

std::optional<std::u16string> TerminalUserInterface::ShowFileDialog(const FileDialogRequest& request) {
  const std::u16string filter = request.filter.substr(0, request.filter.find(u'|'));
  std::u16string typed;
  for (;;) {
    const TerminalSize size = io_.Size();
    Canvas canvas(size.rows, size.cols);
    canvas.Put(size.rows / 2 - 1, 2, u"\u6253\u5f00 " + filter + u" (Enter \u786e\u5b9a, Esc \u53d6\u6d88)",
               size.cols - 4, kBold);  // 打开 ... (Enter 确定, Esc 取消)
    canvas.Put(size.rows / 2, 2, u"> " + typed, size.cols - 4, kReverse);
    io_.Draw(canvas.Lines());
    auto key = io_.ReadKey();
    if (!key || key->kind == TerminalKey::Escape) return std::nullopt;
    if (key->kind == TerminalKey::Enter) return typed.empty() ? std::nullopt : std::optional<std::u16string>(typed);
    if (key->kind == TerminalKey::Backspace && !typed.empty()) typed.pop_back();
    if (key->kind == TerminalKey::Char && key->ch >= 0x20) utils::AppendUtf16(typed, key->ch);
  }
}

void TerminalUserInterface::ShowMessageBox(const std::u16string& text, MessageBoxIcon) { ShowMessage(io_, text); }

}  // namespace platform
