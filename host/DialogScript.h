#pragma once
// Running the tag selection dialog headless from script lines, on the scripted backend.
#include <memory>
#include <string>
#include <vector>

#include "HostUi.h"

namespace adshost {

// Makes the scripted backend the process's dialog backend for as long as it lives.
class DialogScript {
 public:
  virtual ~DialogScript() = default;
};

// Null with a message when the scripted backend cannot be installed.
std::unique_ptr<DialogScript> InstallDialogScript(const std::vector<std::string>& lines, LineSink output,
                                                  std::string& error);

// The interactive dialog: the module's own windows where there is a window system, else the
// dialog on this process's terminal, with file prompts and message boxes there too; null with
// a message when there is neither.
std::unique_ptr<DialogScript> InstallInteractiveDialog(std::string& error);

}  // namespace adshost
