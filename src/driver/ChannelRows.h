#pragma once
// The channel records handed to the host: one SChlInfo per channel, resolved against the tag
// tree.
#include "driver/AdsDriverApi.h"

namespace DEVICE {
class DeviceCtrl_Base;
}

namespace driver {

// Data kind of a label data type: 1 for bits and booleans, 3 for texts, 2 for all others.
int32_t DataKindOf(int32_t labelDataType);

// Fills the reply with one record per requested index (every channel when none are given)
// and returns the reply's size.
int32_t FillChannelRecords(DEVICE::DeviceCtrl_Base& control, const hostapi::WordArray& indices,
                           hostapi::ChlInfoArray& reply);

}  // namespace driver
