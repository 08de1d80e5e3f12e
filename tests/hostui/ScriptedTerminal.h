#pragma once
// A terminal for tests: keys and clicks from a script, and every frame kept as text lines.
#include <gtest/gtest.h>

#include <algorithm>
#include <deque>
#include <functional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "platform/Terminal.h"

namespace hostui_tests {

using platform::TerminalKey;

// Keys written the way a terminal sends them: "\x1b[B" is Down, "\x1b[Z" Shift-Tab, and so on.
inline std::vector<TerminalKey> Decode(const std::string& bytes) {
  static const std::pair<std::string_view, TerminalKey::Kind> sequences[] = {
      {"\x1b[B", TerminalKey::Down}, {"\x1b[C", TerminalKey::Right}, {"\x1b[D", TerminalKey::Left},
      {"\x1b[H", TerminalKey::Home}, {"\x1b[F", TerminalKey::End},   {"\x1b[Z", TerminalKey::BackTab},
      {"\t", TerminalKey::Tab},      {"\r", TerminalKey::Enter},     {"\x7f", TerminalKey::Backspace},
      {"\x1b", TerminalKey::Escape},
  };
  std::vector<TerminalKey> keys;
  for (size_t at = 0; at < bytes.size();) {
    const auto* known = std::find_if(std::begin(sequences), std::end(sequences),
                                     [&](const auto& entry) { return bytes.compare(at, entry.first.size(), entry.first) == 0; });
    const bool text = known == std::end(sequences);  // typed text is ASCII
    keys.push_back(text ? TerminalKey{TerminalKey::Char, static_cast<unsigned char>(bytes[at])} : TerminalKey{known->second});
    at += text ? 1 : known->first.size();
  }
  return keys;
}

// The cell (row, column) where the text starts in the frame, or (-1, -1).
inline std::pair<int, int> Locate(const platform::TerminalFrame& frame, std::u32string_view text) {
  for (int row = 0; row < frame.rows(); ++row) {
    std::u32string cells;
    std::vector<int> columns;
    for (int col = 0; col < frame.cols(); ++col) {
      if (frame.At(row, col).ch == 0) continue;
      cells += frame.At(row, col).ch;
      columns.push_back(col);
    }
    if (const size_t found = cells.find(text); found != std::u32string::npos) return {row, columns[found]};
  }
  return {-1, -1};
}

class ScriptedTerminal final : public platform::TerminalIo {
 public:
  ScriptedTerminal& Keys(const std::string& keys) {
    for (const auto& key : Decode(keys)) steps_.push_back([key](const platform::TerminalFrame&) { return key; });
    return *this;
  }
  // A click on the shown text, `offset` cells into it.
  ScriptedTerminal& Click(std::u32string text, int offset = 0, int clicks = 1) {
    steps_.push_back([=](const platform::TerminalFrame& frame) {
      const auto [row, col] = Locate(frame, text);
      EXPECT_GE(row, 0) << "no click target";
      return TerminalKey{TerminalKey::Mouse, 0, row, col + offset, clicks};
    });
    return *this;
  }
  ScriptedTerminal& Resize(platform::TerminalSize to) {
    steps_.push_back([this, to](const platform::TerminalFrame&) {
      size = to;
      return TerminalKey{TerminalKey::Resize};
    });
    return *this;
  }

  platform::TerminalSize Size() const override { return size; }
  std::optional<TerminalKey> ReadKey() override {
    if (steps_.empty()) return std::nullopt;
    const TerminalKey key = steps_.front()(Shown());
    steps_.pop_front();
    return key;
  }
  void Draw(const platform::TerminalFrame& frame) override {
    std::vector<std::string> plain;
    for (int row = 0; row < frame.rows(); ++row) plain.push_back(frame.Text(row));
    frames.push_back(plain);
  }
  // How many lines of the last frame, or of every frame drawn, contain the text.
  size_t LinesWith(const std::string& text) const { return LinesEverWith(text, frames.size() - 1); }
  size_t LinesEverWith(const std::string& text, size_t fromFrame = 0) const {
    size_t found = 0;
    for (size_t frame = fromFrame; frame < frames.size(); ++frame)
      for (const auto& line : frames[frame]) found += line.find(text) != std::string::npos;
    return found;
  }

  platform::TerminalSize size{30, 100};
  std::vector<std::vector<std::string>> frames;

 private:
  std::deque<std::function<TerminalKey(const platform::TerminalFrame&)>> steps_;
};

}  // namespace hostui_tests
