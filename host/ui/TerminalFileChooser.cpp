// The terminal's file-open dialog.
#include <algorithm>
#include <filesystem>
#include <system_error>
#include <vector>

#include "ui/TerminalParts.h"
#include "utils/utf16.h"

namespace hostui::terminal {
using namespace platform;
namespace {

constexpr char16_t kOpenCaption[] = u"\u6253\u5f00";               // 打开
constexpr char16_t kLookIn[] = u"\u67e5\u627e\u8303\u56f4: ";  // 查找范围:
constexpr char16_t kFileName[] = u"\u6587\u4ef6\u540d: ";        // 文件名:
constexpr char16_t kChooserHint[] =
    u"\u2191\u2193 \u79fb\u52a8  Enter \u6253\u5f00  \u2190 \u4e0a\u4e00\u7ea7  "
    u"Tab \u5207\u6362  Esc \u53d6\u6d88";  // ↑↓ 移动  Enter 打开  ← 上一级  Tab 切换  Esc 取消

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
      if (key.kind == TerminalKey::Backspace) utils::PopCodePoint(typed_);
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

std::optional<std::u16string> RunFileChooser(TerminalIo& io, const FileDialogRequest& request) {
  return FileChooser(io, request).Run();
}

}  // namespace hostui::terminal
