#pragma once
// The six properties of the ADS device with their defaults and limits, in the order the host
// shows them.
#include "device/Property.h"

namespace Beckhoff {

void AddAdsProperties(DevicePropertyConfigWraper& set);

}  // namespace Beckhoff
