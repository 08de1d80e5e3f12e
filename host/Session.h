#pragma once
// One device as the host holds it: the handle, its data stream and the host interfaces.
#include <cstdint>
#include <ostream>
#include <string>
#include <vector>

#include "DriverModule.h"
#include "HostSite.h"

namespace adshost {

class Session {
 public:
  // Creates the device control through SvrInitDevSet, loading it from `bytes`.
  Session(const DriverApi& api, std::vector<uint8_t> bytes, std::ostream& reports);
  ~Session();
  Session(const Session&) = delete;
  Session& operator=(const Session&) = delete;

  // Writes the device's data into the stream and returns the stream's bytes.
  const std::vector<uint8_t>& Save();

  const DriverApi& api;
  hostapi::DevDataStream stream;
  HostSite site;
  hostapi::DeviceHandle handle;
};

}  // namespace adshost
