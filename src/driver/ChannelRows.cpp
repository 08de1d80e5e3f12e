#include "driver/ChannelRows.h"

#include "device/DeviceCtrl_Base.h"
#include "driver/VarName.h"
#include "platform/Text.h"
#include "tag/ITree.h"

namespace driver {
namespace {

// A channel whose tag the tree does not describe: only its name and value4 are set.
hostapi::SChlInfo UnresolvedRecord(const std::string& channelName) {
  hostapi::SChlInfo record;
  record.value4 = 1;
  record.tagName = platform::AnsiToWide(channelName);
  return record;
}

hostapi::SChlInfo DescribeChannel(DEVICE::DeviceCtrl_Base& control, const std::string& channelName,
                                  int32_t position) {
  DEVICE::ITree* node = control.FindTag(channelName);
  DEVICE::ILabel* label = node ? node->GetLabel() : nullptr;
  if (!label || label->GetDataType() == -1) return UnresolvedRecord(channelName);

  hostapi::SChlInfo record;
  record.index = position;
  record.value1 = 0;
  record.value2 = -1;
  record.value3 = -1;
  record.address = platform::AnsiToWide(label->GetFullName());
  record.value4 = 1;
  record.value5 = 2;
  record.dataKind = DataKindOf(label->GetDataType());
  record.tagName = platform::AnsiToWide(label->GetLongName());
  record.varName = MakeVarName(platform::AnsiToWide(label->GetPathName()), record.tagName);
  record.comment = platform::AnsiToWide(label->GetComment());
  return record;
}

}  // namespace

int32_t DataKindOf(int32_t labelDataType) {
  if (labelDataType == 0) return 1;
  if (labelDataType >= 11 && labelDataType <= 14) return 3;
  return 2;
}

int32_t FillChannelRecords(DEVICE::DeviceCtrl_Base& control, const hostapi::WordArray& indices,
                           hostapi::ChlInfoArray& reply) {
  auto& channels = control.Channels();
  const bool everyChannel = indices.empty();
  const size_t count = everyChannel ? channels.Count() : indices.size();
  reply.resize(count);
  for (size_t i = 0; i < count; ++i) {
    const size_t channel = everyChannel ? i : indices[i];
    reply[i] = DescribeChannel(control, channels.GetChannelName(channel), static_cast<int32_t>(i));
  }
  return static_cast<int32_t>(reply.size());
}

}  // namespace driver
