#include "HostSite.h"

#include "platform/Text.h"

namespace adshost {

void HostSite::ReportError(const std::u16string& object, const std::u16string& message) {
  reports_.push_back({object, message});
  if (reportSink_) reportSink_("REPORT\t" + platform::WideToUtf8(object) + "\t" + platform::WideToUtf8(message));
}

void HostSite::GetChannels(std::vector<DEVICE::stChlInfo*>& channels) {
  channels.clear();
  for (const auto& channel : channels_) channels.push_back(channel.get());
}

bool HostSite::AddChannels(const std::vector<DEVICE::stChlInfo*>& channels) {
  for (const auto* channel : channels) {
    if (!channel) continue;
    const std::u16string name = channel->GetChlName();
    if (names_.insert(name).second) channels_.push_back(std::make_unique<HostChannel>(name));
  }
  return true;
}

}  // namespace adshost
