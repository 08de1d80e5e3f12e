// The tag selection dialog opens as a window here; the full-screen terminal dialog is for
// platforms without a window system.
#include "platform/Terminal.h"

namespace platform {

int TerminalCellWidth(char32_t ch) { return EastAsianCellWidth(ch); }

std::unique_ptr<TerminalIo> OpenTerminal(std::string& error) {
  error = "the tag selection dialog opens as a window on this system";
  return nullptr;
}

}  // namespace platform
