#include "ChannelList.h"

#include <set>

#include "platform/Text.h"

namespace adshost {

hostapi::ChlInfoArray ChannelRecords(Session& session) {
  hostapi::ChlInfoArray records;
  session.api.SvrGetChlInfo(session.handle, {}, records);
  return records;
}

std::vector<std::u16string> ChannelNames(const hostapi::ChlInfoArray& records) {
  std::vector<std::u16string> names;
  names.reserve(records.size());
  for (const auto& record : records) names.push_back(record.tagName);
  return names;
}

bool LooksUnresolved(const hostapi::SChlInfo& record) { return record.index < 0 && record.value4 == 1; }

bool TreeKnowsChannel(Session& session, const std::u16string& channelName) {
  hostapi::SChlInfo record;
  record.address = channelName;
  // Adding a name that is a channel already changes nothing; an unknown tag is refused.
  return session.api.SvrSetChlInfo(session.handle, record) != 0;
}

std::map<std::u16string, int32_t> DataKindsByAdding(Session& session, const std::vector<std::u16string>& names) {
  std::map<std::u16string, int32_t> kinds;
  if (names.empty()) return kinds;
  hostapi::WordArray added;
  int32_t count = static_cast<int32_t>(ChannelRecords(session).size());
  for (const auto& name : names) {
    hostapi::SChlInfo record;
    record.address = name;
    // The result is the channel count + 1; a name that is a channel already adds nothing.
    const int32_t result = session.api.SvrSetChlInfo(session.handle, record);
    if (result - 1 == count + 1) added.push_back(static_cast<uint32_t>(count++));
  }
  if (added.empty()) return kinds;
  hostapi::ChlInfoArray records;
  session.api.SvrGetChlInfo(session.handle, added, records);
  for (const auto& record : records) kinds.emplace(record.tagName, record.dataKind);
  return kinds;
}

std::vector<ReportLine> SelectionChange(const std::vector<std::u16string>& before,
                                        const std::vector<std::u16string>& after) {
  const std::set<std::u16string> was(before.begin(), before.end());
  const std::set<std::u16string> is(after.begin(), after.end());
  std::vector<ReportLine> lines;
  for (const auto& name : before)
    if (!is.count(name)) lines.push_back({"removed", {{"name", platform::WideToUtf8(name)}}, {}, {}});
  for (const auto& name : after)
    if (!was.count(name)) lines.push_back({"added", {{"name", platform::WideToUtf8(name)}}, {}, {}});
  return lines;
}

}  // namespace adshost
