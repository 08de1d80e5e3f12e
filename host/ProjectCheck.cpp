#include "ProjectCheck.h"

#include "ProjectDump.h"

namespace adshost {

bool CommandSaves(const std::string& command) {
  return command == "set" || command == "select" || command == "add" || command == "delete";
}

bool CheckProjectBeforeLoad(const Options& options, const std::vector<uint8_t>& bytes, std::ostream& err) {
  const auto loss = DeviceLoss(DecodeProject(bytes));
  if (!loss) return true;
  const std::string& path = options.project;
  err << "adshost: warning: " << path << " is damaged at offset " << loss->offset << ": " << loss->what << "; "
      << loss->consequence << '\n';
  if (!CommandSaves(options.command) || options.force) return true;
  err << "adshost: " << options.command << " would save over the damaged " << path
      << " and is not run; add --force to save anyway (the old file is kept as " << path << ".bak)\n";
  return false;
}

}  // namespace adshost
