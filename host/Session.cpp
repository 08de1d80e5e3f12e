#include "Session.h"

namespace adshost {

Session::Session(const DriverApi& driverApi, std::vector<uint8_t> bytes, std::ostream& reports)
    : api(driverApi), site([&reports](const std::string& line) { reports << line << '\n'; }) {
  stream.bytes = std::move(bytes);
  handle.dataStream = &stream;
  handle.hostInterface = &site;
  api.SvrInitDevSet(handle);
}

Session::~Session() { api.SvrExitDevRun(handle); }

const std::vector<uint8_t>& Session::Save() {
  api.SvrSaveDevData(handle);
  return stream.bytes;
}

}  // namespace adshost
