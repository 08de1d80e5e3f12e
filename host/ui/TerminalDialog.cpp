#include "ui/TerminalDialog.h"

#include <algorithm>
#include <system_error>

#include "grid/GridView.h"
#include "ui/RecordedControls.h"
#include "ui/TerminalParts.h"
#include "utils/utf16.h"
#include "utils/utf8.h"

namespace hostui {
using namespace platform;
using namespace terminal;
namespace {

// A terminal cell stands for this many dialog pixels, so that the dialog's own layout
// arithmetic places the controls on the character grid.
constexpr int kCellPixelsX = 6;
constexpr int kCellPixelsY = 16;

constexpr char16_t kOkCaption[] = u"\u786e\u5b9a";  // 确定
constexpr char16_t kDialogHint[] =
    u"Tab \u5207\u6362  \u2191\u2193 \u79fb\u52a8  \u2192/+ \u5c55\u5f00  \u2190/- \u6298\u53e0  "
    u"\u7a7a\u683c \u52fe\u9009/\u6309\u4e0b";  // Tab 切换  ↑↓ 移动  →/+ 展开  ←/- 折叠  空格 勾选/按下
constexpr char16_t kTooSmall[] = u"\u7ec8\u7aef\u592a\u5c0f";  // 终端太小

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

// A column's text after its "|" separator, in `width` columns with the separator.
void PutColumn(TerminalFrame& frame, int row, int col, std::u16string_view text, int width, CellStyle style) {
  frame.Put(row, col, u"|", width, style);
  frame.Put(row, col + 1, text, width - 1, style);
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

class TerminalSurface final : public RecordedControlsSurface {
 public:
  TerminalSurface(TerminalIo& io, const DialogTemplate& dialogTemplate)
      : RecordedControlsSurface(dialogTemplate), io_(io), template_(dialogTemplate) {
    // Tab visits the controls in the template's order.
    for (const auto& control : dialogTemplate.controls) focusOrder_.push_back(control.id);
  }

  int RunModal(DialogEvents& events) override {
    events_ = &events;
    events.OnInitDialog();
    Relayout();
    while (!ended_) {
      io_.Show(Render());
      auto key = io_.ReadKey();
      if (!key) {
        EndDialog(kIdCancel);
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
  void AttachGrid(int id, grid::GridView* grid) override {
    if (HasControl(id)) {
      grid_ = grid;
      gridId_ = id;
    }
  }

 private:
  void Relayout() {
    const Size client = GetClientSize();
    if (events_ && !(client == laidOut_)) {
      laidOut_ = client;
      events_->OnSize(client.cx, client.cy);
    }
  }

  void MoveFocus(int step) {
    const int count = static_cast<int>(focusOrder_.size());
    int at = 0;
    while (at < count && focusOrder_[static_cast<size_t>(at)] != focus_) ++at;
    for (int tries = 0; tries < count; ++tries) {
      at = ((at + step) % count + count) % count;
      if (Usable(focusOrder_[static_cast<size_t>(at)])) {
        focus_ = focusOrder_[static_cast<size_t>(at)];
        return;
      }
    }
  }
  void Press(int id) {
    if (!Usable(id) || !events_) return;
    ControlState* control = Control(id);
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
      if (!Usable(area.id)) return;
      focus_ = area.id;
      if (Control(area.id)->kind != ControlKind::Edit) Press(area.id);
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
        if (events_->PreTranslateKeyDown(enter ? kKeyEnter : kKeyEscape)) return;
        Press(template_.ControlId(enter ? ControlRole::Ok : ControlRole::Cancel));
        return;
      }
      case TerminalKey::Tab: return MoveFocus(1);
      case TerminalKey::BackTab: return MoveFocus(-1);
      case TerminalKey::Mouse: return HandleMouse(key);
      default: break;
    }
    if (focus_ == gridId_ && grid_) return HandleGridKey(key);
    ControlState* control = Control(focus_);
    if (!control) return;
    if (control->kind == ControlKind::Edit) {
      if (key.kind == TerminalKey::Backspace) utils::PopCodePoint(control->text);
      if (IsText(key)) utils::AppendUtf16(control->text, key.ch);
      return;
    }
    if (IsChar(key, U' ')) Press(focus_);
  }

  // Rows of the grid's rectangle below its heading line.
  int GridBodyRows() const {
    const ControlState* g = Control(gridId_);
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
      const bool grey = grid_->IsRowGreyed(row);
      const CellStyle style = row == selected ? (focus_ == gridId_ ? CellStyle::Focused : CellStyle::Selected)
                              : grey          ? CellStyle::Grey
                                              : CellStyle::Plain;
      const int indent = 2 * grid_->RowLevel(row);
      std::u16string cell(static_cast<size_t>(indent), u' ');
      cell += grid_->RowHasChildren(row) ? (grid_->IsRowExpanded(row) ? u"- " : u"+ ") : u"  ";
      const int check = grid_->RowCheck(row);
      const bool checkable = grid_->IsRowCheckable(row);
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
    const std::u16string& title = template_.title;
    frame.Put(0, std::max(0, (size.cols - TextColumns(title)) / 2), title, size.cols, CellStyle::Title);
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
  const DialogTemplate template_;
  std::vector<int> focusOrder_;
  DialogEvents* events_ = nullptr;
  grid::GridView* grid_ = nullptr;
  int gridId_ = -1;
  int focus_ = 0;
  int scroll_ = 0;
  Size laidOut_;
  bool ended_ = false;
  int endCode_ = kIdCancel;
  // What the last frame showed where, for the mouse.
  std::vector<HitArea> hitAreas_;
  std::vector<DrawnRow> drawnRows_;
  int gridBodyTop_ = -1;
  int gridLeft_ = 0;
  int gridWidth_ = 0;
};

}  // namespace

namespace terminal {

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

void DrawBox(TerminalFrame& frame, int top, int left, int height, int width) {
  const size_t inner = static_cast<size_t>(std::max(0, width - 2));
  std::u16string edge(inner + 2, u'-');
  edge.front() = edge.back() = u'+';
  std::u16string middle(inner + 2, u' ');
  middle.front() = middle.back() = u'|';
  for (int r = top; r < top + height; ++r)
    frame.Put(r, left, r == top || r == top + height - 1 ? edge : middle, width, CellStyle::Box);
}

}  // namespace terminal


std::unique_ptr<DialogSurface> TerminalDialogBackend::CreateSurface(const DialogTemplate& dialogTemplate) {
  return std::make_unique<TerminalSurface>(io_, dialogTemplate);
}

std::optional<std::u16string> TerminalUserInterface::ShowFileDialog(const FileDialogRequest& request) {
  const TerminalFrame background = io_.Shown();
  auto answer = RunFileChooser(io_, request);
  // What was under the chooser comes back, for a message box shown over it next.
  io_.Show(Resized(background, io_.Size()));
  return answer;
}

void TerminalUserInterface::ShowMessageBox(const std::u16string& text, MessageBoxIcon) {
  RunMessageBox(io_, text, io_.Shown());
}

}  // namespace hostui
