// The terminal of the process: raw keyboard input, the alternate screen, its size and resizes.
#include <locale.h>
#include <poll.h>
#include <signal.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>
#include <wchar.h>

#include <cerrno>
#include <csignal>
#include <deque>

#include "platform/TerminalDialog.h"

namespace platform {
namespace {

volatile std::sig_atomic_t g_resized = 0;
void OnResize(int) { g_resized = 1; }

void WriteAll(const std::string& bytes) {
  size_t done = 0;
  while (done < bytes.size()) {
    const ssize_t n = ::write(STDOUT_FILENO, bytes.data() + done, bytes.size() - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return;
    done += static_cast<size_t>(n);
  }
}

class PosixTerminal final : public TerminalIo {
 public:
  PosixTerminal() {
    ::tcgetattr(STDIN_FILENO, &saved_);
    termios raw = saved_;
    raw.c_iflag &= ~static_cast<tcflag_t>(IXON | ICRNL | INLCR);
    raw.c_lflag &= ~static_cast<tcflag_t>(ICANON | ECHO | IEXTEN);
    raw.c_cc[VMIN] = 1;
    raw.c_cc[VTIME] = 0;
    ::tcsetattr(STDIN_FILENO, TCSANOW, &raw);
    struct sigaction action {};
    action.sa_handler = OnResize;
    sigemptyset(&action.sa_mask);
    ::sigaction(SIGWINCH, &action, &savedAction_);
    WriteAll("\x1b[?1049h\x1b[?25l");
  }
  ~PosixTerminal() override {
    WriteAll("\x1b[0m\x1b[?25h\x1b[?1049l");
    ::sigaction(SIGWINCH, &savedAction_, nullptr);
    ::tcsetattr(STDIN_FILENO, TCSANOW, &saved_);
  }
  PosixTerminal(const PosixTerminal&) = delete;
  PosixTerminal& operator=(const PosixTerminal&) = delete;

  TerminalSize Size() const override {
    winsize ws {};
    if (::ioctl(STDOUT_FILENO, TIOCGWINSZ, &ws) != 0 || ws.ws_row == 0 || ws.ws_col == 0) return {};
    return {ws.ws_row, ws.ws_col};
  }

  std::optional<TerminalKey> ReadKey() override {
    while (pending_.empty()) {
      if (g_resized) {
        g_resized = 0;
        return TerminalKey{TerminalKey::Resize, 0};
      }
      char buffer[256];
      const ssize_t n = ::read(STDIN_FILENO, buffer, sizeof buffer);
      if (n < 0 && errno == EINTR) continue;
      if (n <= 0) return std::nullopt;
      std::string bytes(buffer, static_cast<size_t>(n));
      // A lone Escape may be the start of a sequence whose rest is still on its way.
      if (bytes == "\x1b") {
        pollfd fd{STDIN_FILENO, POLLIN, 0};
        if (::poll(&fd, 1, 30) > 0) {
          const ssize_t more = ::read(STDIN_FILENO, buffer, sizeof buffer);
          if (more > 0) bytes.append(buffer, static_cast<size_t>(more));
        }
      }
      for (const auto& key : DecodeTerminalKeys(bytes)) pending_.push_back(key);
    }
    TerminalKey key = pending_.front();
    pending_.pop_front();
    return key;
  }

  void Draw(const std::vector<std::string>& lines) override {
    std::string frame = "\x1b[H";
    for (size_t i = 0; i < lines.size(); ++i) {
      frame += lines[i];
      if (i + 1 < lines.size()) frame += "\r\n";
    }
    WriteAll(frame);
  }

 private:
  termios saved_ {};
  struct sigaction savedAction_ {};
  std::deque<TerminalKey> pending_;
};

locale_t Utf8Locale() {
  static locale_t locale = ::newlocale(LC_CTYPE_MASK, "C.UTF-8", static_cast<locale_t>(0));
  return locale;
}

}  // namespace

int TerminalCellWidth(char32_t ch) {
  if (ch < 0x20 || ch == 0x7f) return 0;
  if (ch < 0x7f) return 1;
  int width = -1;
  if (locale_t utf8 = Utf8Locale()) {
    const locale_t previous = ::uselocale(utf8);
    width = ::wcwidth(static_cast<wchar_t>(ch));
    ::uselocale(previous);
  }
  if (width >= 0) return width;
  // Without the locale's table: the wide East Asian ranges take two columns.
  return EastAsianCellWidth(ch);
}

std::unique_ptr<TerminalIo> OpenTerminal(std::string& error) {
  if (!::isatty(STDIN_FILENO) || !::isatty(STDOUT_FILENO)) {
    error = "the interactive tag dialog needs a terminal on standard input and output";
    return nullptr;
  }
  return std::make_unique<PosixTerminal>();
}

}  // namespace platform
