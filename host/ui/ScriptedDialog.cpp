#include "ui/ScriptedDialog.h"

#include <cstdio>
#include <vector>

#include "grid/GridView.h"
#include "platform/Text.h"
#include "ui/RecordedControls.h"

namespace hostui {
using namespace platform;
namespace {

// Outer window size minus client size.
constexpr int kFrameWidth = 16;
constexpr int kFrameHeight = 39;

// Dialog units of the template's 10-point font at 96 pixels per inch.
Rect UnitsToPixels(int x, int y, int cx, int cy, int ppi) {
  auto px = [ppi](int du) { return du * 3 * ppi / (2 * 96); };
  auto py = [ppi](int du) { return du * 13 * ppi / (8 * 96); };
  return {px(x), py(y), px(x + cx), py(y + cy)};
}

bool StartsWith(const std::string& line, const std::string& word, std::string& rest) {
  if (line == word) {
    rest.clear();
    return true;
  }
  if (line.size() > word.size() && line.compare(0, word.size(), word) == 0 && line[word.size()] == ' ') {
    rest = line.substr(word.size() + 1);
    return true;
  }
  return false;
}

// An ancestor's full name is a proper prefix followed by a member dot or an index bracket.
bool IsAncestorName(const std::u16string& name, const std::u16string& target) {
  if (name.empty() || name.size() >= target.size() || target.compare(0, name.size(), name) != 0) return false;
  return target[name.size()] == u'.' || target[name.size()] == u'[';
}

class ScriptedSurface final : public RecordedControlsSurface {
 public:
  ScriptedSurface(ScriptedDialogBackend& backend, const DialogTemplate& dialogTemplate)
      : RecordedControlsSurface(dialogTemplate), backend_(backend), template_(dialogTemplate) {
    const int ppi = backend.ScreenPixelsPerInchY();
    for (const auto& control : dialogTemplate.controls)
      controls_[control.id].rect = UnitsToPixels(control.x, control.y, control.cx, control.cy, ppi);
    const Rect client = UnitsToPixels(0, 0, dialogTemplate.units.cx, dialogTemplate.units.cy, ppi);
    record_.client = {client.Width(), client.Height()};
    record_.window = {100, 100, 100 + record_.client.cx + kFrameWidth, 100 + record_.client.cy + kFrameHeight};
  }

  int RunModal(DialogEvents& events) override {
    events_ = &events;
    events.OnInitDialog();
    while (!ended_) {
      auto line = backend_.NextLine();
      if (!line) break;
      Execute(*line);
    }
    if (!ended_) record_.endCode = kIdCancel;
    events_ = nullptr;
    record_.controls = controls_;
    backend_.Record(record_);
    return record_.endCode;
  }

  void EndDialog(int code) override {
    ended_ = true;
    record_.endCode = code;
  }

  void SetFocus(int id) override { record_.focus = id; }

  Rect GetWindowRect() const override { return record_.window; }
  void SetWindowSize(int width, int height) override {
    record_.window.right = record_.window.left + width;
    record_.window.bottom = record_.window.top + height;
    const Size client{width > kFrameWidth ? width - kFrameWidth : 0, height > kFrameHeight ? height - kFrameHeight : 0};
    if (client == record_.client) return;
    record_.client = client;
    if (events_) events_->OnSize(client.cx, client.cy);
  }
  Size GetClientSize() const override { return record_.client; }

  void ShowMessageBox(const std::u16string& text, MessageBoxIcon icon) override {
    // The user interface reports the message; printing it here too would show it twice.
    backend_.ui().ShowMessageBox(text, icon);
  }
  int ScreenPixelsPerInchY() const override { return backend_.ScreenPixelsPerInchY(); }
  void CreateFont(const FontRequest& request) override { record_.font = request; }
  void AttachGrid(int id, grid::GridView* grid) override {
    if (HasControl(id)) grid_ = grid;
  }

 private:
  void Error(const std::string& what, const std::string& line) const { backend_.Print("ERROR\t" + what + "\t" + line); }

  void Press(ControlRole role, const std::string& line) {
    const int id = template_.ControlId(role);
    if (!Usable(id)) {
      Error("button " + std::to_string(id) + " cannot be pressed", line);
      return;
    }
    events_->OnCommand(id);
  }

  void Execute(const std::string& rawLine) {
    std::string line = rawLine;
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (line.empty() || line[0] == '#') return;
    std::string arg;
    if (StartsWith(line, "import", arg)) {
      backend_.ui().QueueFileAnswer(arg.empty() ? std::nullopt : std::optional<std::u16string>(Utf8ToWide(arg)));
      Press(ControlRole::Import, line);
    } else if (StartsWith(line, "click", arg)) {
      if (int row = Reveal(arg, line); row >= 0) grid_->ClickCheck(row);
    } else if (StartsWith(line, "expand", arg)) {
      if (int row = Reveal(arg, line); row >= 0) grid_->Expand(row);
    } else if (StartsWith(line, "collapse", arg)) {
      if (int row = Reveal(arg, line); row >= 0) grid_->Collapse(row);
    } else if (StartsWith(line, "dblclick", arg)) {
      if (int row = Reveal(arg, line); row >= 0) grid_->DoubleClick(row, grid_->TreeColumn());
    } else if (StartsWith(line, "find", arg)) {
      SetText(template_.ControlId(ControlRole::SearchEdit), Utf8ToWide(arg));
      Press(ControlRole::FindButton, line);
    } else if (line == "key enter" || line == "key escape") {
      const bool enter = line == "key enter";
      if (!events_->PreTranslateKeyDown(enter ? kKeyEnter : kKeyEscape)) Press(enter ? ControlRole::Ok : ControlRole::Cancel, line);
    } else if (StartsWith(line, "size", arg)) {
      int cx = 0;
      int cy = 0;
      if (std::sscanf(arg.c_str(), "%d %d", &cx, &cy) != 2 || cx < 0 || cy < 0) return Error("bad size", line);
      SetWindowSize(cx + kFrameWidth, cy + kFrameHeight);
    } else if (line == "rows") {
      PrintRows();
    } else if (line == "ok") {
      Press(ControlRole::Ok, line);
    } else if (line == "cancel") {
      Press(ControlRole::Cancel, line);
    } else {
      Error("unknown action", line);
    }
  }

  // Finds the visible row of a full name, expanding collapsed ancestor rows on the way as a
  // user would. Each round expands one more row, so the loop ends.
  int Reveal(const std::string& utf8Name, const std::string& line) {
    if (!grid_) {
      Error("no grid", line);
      return -1;
    }
    const std::u16string target = Utf8ToWide(utf8Name);
    for (;;) {
      int ancestor = -1;
      const int rows = grid_->RowCount();
      for (int row = grid_->FixedRowCount(); row < rows; ++row) {
        if (grid_->IsRowHidden(row)) continue;
        const std::u16string name = grid_->AccessibleName(row);
        if (name == target) return row;
        if (ancestor < 0 && grid_->RowHasChildren(row) && !grid_->IsRowExpanded(row) && IsAncestorName(name, target))
          ancestor = row;
      }
      if (ancestor < 0) break;
      grid_->Expand(ancestor);
    }
    Error("no row", line);
    return -1;
  }

  void PrintRows() const {
    if (!grid_) return;
    const int tree = grid_->TreeColumn();
    const int rows = grid_->RowCount();
    for (int row = grid_->FixedRowCount(); row < rows; ++row) {
      if (grid_->IsRowHidden(row)) continue;
      char state[16];
      std::snprintf(state, sizeof state, "0x%04X", static_cast<unsigned>(grid_->CellState(row, tree) & 0xFFFFu));
      backend_.Print(std::to_string(row) + "\t" + std::to_string(grid_->RowLevel(row)) + "\t" +
                     std::to_string(grid_->RowCheck(row)) + "\t" + state + "\t" +
                     WideToUtf8(grid_->CellText(row, tree)) + "\t" + WideToUtf8(grid_->CellText(row, tree + 1)) +
                     "\t" + WideToUtf8(grid_->CellText(row, tree + 2)));
    }
  }

  ScriptedDialogBackend& backend_;
  const DialogTemplate template_;
  ScriptedDialogBackend::SurfaceRecord record_;
  DialogEvents* events_ = nullptr;
  grid::GridView* grid_ = nullptr;
  bool ended_ = false;
};

}  // namespace

ScriptedDialogBackend::ScriptedDialogBackend(ScriptedUserInterface& ui, Output output)
    : ui_(ui), output_(std::move(output)) {}

void ScriptedDialogBackend::AddScript(const std::string& text) {
  size_t start = 0;
  while (start <= text.size()) {
    size_t end = text.find('\n', start);
    if (end == std::string::npos) end = text.size();
    if (end > start) lines_.push_back(text.substr(start, end - start));
    start = end + 1;
  }
}

std::unique_ptr<DialogSurface> ScriptedDialogBackend::CreateSurface(const DialogTemplate& dialogTemplate) {
  return std::make_unique<ScriptedSurface>(*this, dialogTemplate);
}

std::optional<std::string> ScriptedDialogBackend::NextLine() {
  if (lines_.empty()) return std::nullopt;
  std::string line = std::move(lines_.front());
  lines_.pop_front();
  return line;
}

void ScriptedDialogBackend::Print(const std::string& line) const {
  if (output_) output_(line);
}

}  // namespace hostui
