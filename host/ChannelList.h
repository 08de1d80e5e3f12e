#pragma once
// The device's channels as the host learns them through the exports.
#include <map>
#include <string>
#include <vector>

#include "ReportLines.h"
#include "Session.h"

namespace adshost {

// Every channel's record, in channel order.
hostapi::ChlInfoArray ChannelRecords(Session& session);
// The channel names of the records: a record of a tag unknown to the tree carries the name too.
std::vector<std::u16string> ChannelNames(const hostapi::ChlInfoArray& records);

// A record that carries nothing but the name: the tree knows no such tag, or the tag holds no
// value of its own.
bool LooksUnresolved(const hostapi::SChlInfo& record);
// Whether the device's tree knows a tag of this channel's name. Only for names that are
// channels already: the probe adds a channel for a known name that is not one.
bool TreeKnowsChannel(Session& session, const std::u16string& channelName);

// The data kind of each named tag that the tree knows and that is not a channel yet, learnt by
// adding it as a channel: for a device that is thrown away afterwards.
std::map<std::u16string, int32_t> DataKindsByAdding(Session& session, const std::vector<std::u16string>& names);

// removed<TAB>NAME for each name of `before` missing from `after`, then added<TAB>NAME for each
// name of `after` missing from `before`.
std::vector<ReportLine> SelectionChange(const std::vector<std::u16string>& before,
                                        const std::vector<std::u16string>& after);

}  // namespace adshost
