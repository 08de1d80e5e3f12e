#pragma once
// The user-interface services the host offers to the module in its process: file-dialog
// answers and message boxes from a script, and the debugger output for --trace.
#include <functional>
#include <string>

#include "platform/ProcessServices.h"
#include "ui/ScriptedUserInterface.h"

namespace adshost {

using LineSink = std::function<void(const std::string& utf8Line)>;

// Answers file dialogs from its queue and prints each message box as "MESSAGE<TAB>text".
class HostUserInterface final : public hostui::ScriptedUserInterface {
 public:
  void SetMessageSink(LineSink sink) { messageSink_ = std::move(sink); }
  void ShowMessageBox(const std::u16string& text, platform::MessageBoxIcon icon) override;

 private:
  LineSink messageSink_;
};

// The process-wide services record that AdsHostUiServices returns.
HostUserInterface& HostUi();
platform::ProcessUiServices& HostServices();
// Routes the module's debugger lines to the sink (none: dropped).
void SetTraceSink(LineSink sink);

}  // namespace adshost
