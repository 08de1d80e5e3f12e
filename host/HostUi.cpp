#include "HostUi.h"

#include "platform/Text.h"

namespace adshost {
namespace {

LineSink& TraceSink() {
  static LineSink sink;
  return sink;
}

void ForwardTrace(const char* text, size_t length) {
  if (!TraceSink()) return;
  std::string line(text, length);
  while (!line.empty() && (line.back() == '\n' || line.back() == '\r')) line.pop_back();
  TraceSink()(platform::WideToUtf8(platform::AnsiToWide(line)));
}

}  // namespace

void HostUserInterface::ShowMessageBox(const std::u16string& text, platform::MessageBoxIcon icon) {
  ScriptedUserInterface::ShowMessageBox(text, icon);
  if (messageSink_) messageSink_("MESSAGE\t" + platform::WideToUtf8(text));
}

HostUserInterface& HostUi() {
  static HostUserInterface ui;
  return ui;
}

platform::ProcessUiServices& HostServices() {
  static platform::ProcessUiServices services{platform::kProcessUiServicesVersion, &HostUi(), nullptr,
                                              &ForwardTrace};
  return services;
}

void SetTraceSink(LineSink sink) { TraceSink() = std::move(sink); }

}  // namespace adshost
