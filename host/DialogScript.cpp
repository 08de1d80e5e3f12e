#include "DialogScript.h"

namespace adshost {

std::unique_ptr<DialogScript> InstallDialogScript(const std::vector<std::string>&, LineSink, std::string& error) {
  error = "the scripted dialog backend is not part of this build";
  return nullptr;
}

}  // namespace adshost
