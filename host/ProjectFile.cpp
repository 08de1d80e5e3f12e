#include "ProjectFile.h"

#include <filesystem>
#include <fstream>
#include <iterator>

#include "platform/ProcessServices.h"

namespace adshost {

bool ReadProjectFile(const std::string& path, std::vector<uint8_t>& bytes, std::string& error) {
  bytes.clear();
  std::error_code code;
  const auto status = std::filesystem::status(path, code);
  if (status.type() == std::filesystem::file_type::not_found) return true;
  if (code || !std::filesystem::is_regular_file(status)) {
    error = "cannot read " + path + ": not a regular file";
    return false;
  }
  std::ifstream in(path, std::ios::binary);
  if (!in) {
    error = "cannot open " + path;
    return false;
  }
  bytes.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  if (in.bad()) {
    error = "cannot read " + path;
    return false;
  }
  return true;
}

bool WriteProjectFile(const std::string& path, const std::vector<uint8_t>& bytes, std::string& error) {
  return platform::WriteFileAtomically(path, bytes, error);
}

bool SaveProjectFile(const std::string& path, const std::vector<uint8_t>& previous, const std::vector<uint8_t>& bytes,
                     std::string& error) {
  std::error_code code;
  if (std::filesystem::exists(path, code) && !WriteProjectFile(path + ".bak", previous, error)) return false;
  return WriteProjectFile(path, bytes, error);
}

}  // namespace adshost
