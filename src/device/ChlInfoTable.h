#pragma once
// The device's channels: an ordered list of tag full names (a channel's index is its
// position), handed to the host when it offers the extended interface and refreshed from it.
#include <cstddef>
#include <set>
#include <string>
#include <vector>

#include "device/HostInterface.h"

namespace DEVICE {

class stChlInfoTable {
 public:
  // Adds the names not added before; hands all given names to a version-2 host.
  bool AddChannel(const std::vector<std::string>& names);
  bool DeleteChannel(size_t index);
  void ClearChannels();
  std::string GetChannelName(size_t index) const;
  // The name list, first refreshed from a host that offers the extended interface.
  const std::vector<std::string>& GetChannelNames();
  size_t Count() const { return names_.size(); }

  // Replaces the name list by the host's channels when the host's list is ready (saving); a
  // host that throws leaves the list as far as it was updated.
  void RefreshFromReadyHost(IDevSetInterface* host);

  void SetHostInterface(IDevSetInterface* host) { host_ = host; }
  const std::vector<std::string>& Names() const { return names_; }

 private:
  std::vector<std::string> names_;
  std::set<std::string> added_;
  IDevSetInterface* host_ = nullptr;
};

}  // namespace DEVICE
