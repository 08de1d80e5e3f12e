// The terminal of the process through the wide-character curses library: keys, mouse clicks,
// resizes and the screen, restored on every way out (return, exception, exit, signal).
#ifndef _XOPEN_SOURCE_EXTENDED
#define _XOPEN_SOURCE_EXTENDED 1
#endif
#include <langinfo.h>
#include <locale.h>
#include <ncursesw/curses.h>
#include <signal.h>
#include <termios.h>
#include <unistd.h>
#include <wchar.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <string>

#include "platform/Terminal.h"

namespace platform {
namespace {

constexpr int kSignals[] = {SIGINT, SIGTERM, SIGHUP, SIGQUIT, SIGABRT};
enum ColourPair : short { kPairSelected = 1, kPairGrey = 2, kPairBox = 3 };

class CursesTerminal;
// The open terminal, for the exit and signal handlers; at most one at a time.
CursesTerminal* g_open = nullptr;
termios g_savedModes{};
struct sigaction g_savedActions[std::size(kSignals)];

void RestoreScreen() {
  if (!isendwin()) endwin();
  ::tcsetattr(STDIN_FILENO, TCSANOW, &g_savedModes);
}

// Puts the terminal back, then lets the signal do what it would have done.
void OnFatalSignal(int signal) {
  RestoreScreen();
  ::signal(signal, SIG_DFL);
  ::raise(signal);
}

void OnExit() {
  if (g_open) RestoreScreen();
}

class CursesTerminal final : public TerminalIo {
 public:
  // The curses screen on standard input and output; null when curses cannot drive the terminal.
  static std::unique_ptr<CursesTerminal> Open(std::string& error) {
    if (g_open) {
      error = "the terminal is already in use by a dialog";
      return nullptr;
    }
    std::unique_ptr<CursesTerminal> terminal(new CursesTerminal());
    if (!terminal->screen_) {
      error = "the terminal type is unknown to curses (TERM=" + std::string(getenv("TERM") ? getenv("TERM") : "") + ")";
      return nullptr;
    }
    return terminal;
  }

  ~CursesTerminal() override {
    if (!screen_) return;
    for (size_t i = 0; i < std::size(kSignals); ++i) ::sigaction(kSignals[i], &g_savedActions[i], nullptr);
    RestoreScreen();
    delscreen(screen_);
    g_open = nullptr;
    ::setlocale(LC_CTYPE, savedLocale_.c_str());
  }
  CursesTerminal(const CursesTerminal&) = delete;
  CursesTerminal& operator=(const CursesTerminal&) = delete;

  TerminalSize Size() const override {
    int rows = 0;
    int cols = 0;
    getmaxyx(stdscr, rows, cols);
    return {rows, cols};
  }

  std::optional<TerminalKey> ReadKey() override {
    for (;;) {
      wint_t ch = 0;
      const int kind = wget_wch(stdscr, &ch);
      if (kind == ERR) {
        if (errno == EINTR) continue;
        return std::nullopt;
      }
      if (kind == KEY_CODE_YES) {
        if (auto key = FunctionKey(static_cast<int>(ch))) return key;
        continue;
      }
      switch (ch) {
        case L'\t': return TerminalKey{TerminalKey::Tab};
        case L'\r':
        case L'\n': return TerminalKey{TerminalKey::Enter};
        case 27: return TerminalKey{TerminalKey::Escape};
        case 8:
        case 127: return TerminalKey{TerminalKey::Backspace};
        default:
          if (ch >= 0x20) return TerminalKey{TerminalKey::Char, static_cast<char32_t>(ch)};
      }
    }
  }

 protected:
  void Draw(const TerminalFrame& frame) override {
    werase(stdscr);
    const TerminalSize size = Size();
    for (int r = 0; r < std::min(size.rows, frame.rows()); ++r) {
      for (int c = 0; c < std::min(size.cols, frame.cols()); ++c) {
        const TerminalCell& cell = frame.At(r, c);
        if (cell.ch == 0) continue;
        const wchar_t text[2] = {static_cast<wchar_t>(cell.ch), L'\0'};
        short pair = 0;
        const attr_t attributes = Attributes(cell.style, pair);
        cchar_t character;
        setcchar(&character, text, attributes, pair, nullptr);
        mvwadd_wch(stdscr, r, c, &character);  // the bottom-right cell reports an error, yet is drawn
      }
    }
    if (frame.cursorRow >= 0) {
      curs_set(1);
      wmove(stdscr, frame.cursorRow, frame.cursorCol);
    } else {
      curs_set(0);
    }
    wnoutrefresh(stdscr);
    doupdate();
  }

 private:
  CursesTerminal() {
    savedLocale_ = ::setlocale(LC_CTYPE, nullptr);
    // Wide characters go out as UTF-8 whatever the environment says.
    ::setlocale(LC_CTYPE, "");
    if (std::strcmp(nl_langinfo(CODESET), "UTF-8") != 0) ::setlocale(LC_CTYPE, "C.UTF-8");
    ::tcgetattr(STDIN_FILENO, &g_savedModes);
    screen_ = newterm(nullptr, stdout, stdin);
    if (!screen_) {
      ::setlocale(LC_CTYPE, savedLocale_.c_str());
      return;
    }
    g_open = this;
    set_term(screen_);
    cbreak();
    noecho();
    nonl();
    intrflush(stdscr, FALSE);
    keypad(stdscr, TRUE);
    set_escdelay(25);
    curs_set(0);
    if (has_colors()) {
      start_color();
      use_default_colors();
      init_pair(kPairSelected, COLOR_CYAN, -1);
      init_pair(kPairGrey, COLORS >= 16 ? 8 : COLOR_WHITE, -1);
      init_pair(kPairBox, COLOR_BLACK, COLOR_WHITE);
    }
    mousemask(BUTTON1_CLICKED | BUTTON1_DOUBLE_CLICKED | BUTTON4_PRESSED | BUTTON5_PRESSED, nullptr);
    static const bool atExitRegistered = std::atexit(OnExit) == 0;
    (void)atExitRegistered;
    struct sigaction action {};
    action.sa_handler = OnFatalSignal;
    sigemptyset(&action.sa_mask);
    for (size_t i = 0; i < std::size(kSignals); ++i) ::sigaction(kSignals[i], &action, &g_savedActions[i]);
  }

  static attr_t Attributes(CellStyle style, short& pair) {
    const bool colours = has_colors();
    switch (style) {
      case CellStyle::Plain: return A_NORMAL;
      case CellStyle::Title: return A_REVERSE | A_BOLD;
      case CellStyle::Heading: return A_BOLD | A_UNDERLINE;
      case CellStyle::Focused: return A_REVERSE;
      case CellStyle::Selected:
        if (colours) pair = kPairSelected;
        return A_BOLD;
      case CellStyle::Grey:
        if (colours) pair = kPairGrey;
        return colours ? A_NORMAL : A_DIM;
      case CellStyle::Hint: return A_DIM;
      case CellStyle::Box:
        if (colours) pair = kPairBox;
        return colours ? A_NORMAL : A_REVERSE;
    }
    return A_NORMAL;
  }

  static std::optional<TerminalKey> FunctionKey(int code) {
    switch (code) {
      case KEY_UP: return TerminalKey{TerminalKey::Up};
      case KEY_DOWN: return TerminalKey{TerminalKey::Down};
      case KEY_LEFT: return TerminalKey{TerminalKey::Left};
      case KEY_RIGHT: return TerminalKey{TerminalKey::Right};
      case KEY_PPAGE: return TerminalKey{TerminalKey::PageUp};
      case KEY_NPAGE: return TerminalKey{TerminalKey::PageDown};
      case KEY_HOME: return TerminalKey{TerminalKey::Home};
      case KEY_END: return TerminalKey{TerminalKey::End};
      case KEY_BTAB: return TerminalKey{TerminalKey::BackTab};
      case KEY_BACKSPACE: return TerminalKey{TerminalKey::Backspace};
      case KEY_ENTER: return TerminalKey{TerminalKey::Enter};
      case KEY_RESIZE: return TerminalKey{TerminalKey::Resize};
      case KEY_MOUSE: return MouseKey();
      default: return std::nullopt;
    }
  }

  static std::optional<TerminalKey> MouseKey() {
    MEVENT event{};
    if (getmouse(&event) != OK) return std::nullopt;
    if (event.bstate & BUTTON4_PRESSED) return TerminalKey{TerminalKey::Up};
    if (event.bstate & BUTTON5_PRESSED) return TerminalKey{TerminalKey::Down};
    const int clicks = event.bstate & BUTTON1_DOUBLE_CLICKED ? 2 : event.bstate & BUTTON1_CLICKED ? 1 : 0;
    if (!clicks) return std::nullopt;
    return TerminalKey{TerminalKey::Mouse, 0, event.y, event.x, clicks};
  }

  SCREEN* screen_ = nullptr;
  std::string savedLocale_;
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
  return CursesTerminal::Open(error);
}

}  // namespace platform
