#pragma once
// The project file: exactly the bytes of the device's data stream.
#include <cstdint>
#include <string>
#include <vector>

namespace adshost {

// Reads the file; a missing file gives no bytes. False with a message when it exists but
// cannot be read.
bool ReadProjectFile(const std::string& path, std::vector<uint8_t>& bytes, std::string& error);

// Replaces the file atomically.
bool WriteProjectFile(const std::string& path, const std::vector<uint8_t>& bytes, std::string& error);

// Saves over the project file: when the file exists, its previous bytes `previous` are kept
// first as FILE.bak (replaced atomically as well), then the file is replaced by `bytes`.
bool SaveProjectFile(const std::string& path, const std::vector<uint8_t>& previous, const std::vector<uint8_t>& bytes,
                     std::string& error);

}  // namespace adshost
