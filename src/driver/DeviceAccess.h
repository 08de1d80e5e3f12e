#pragma once
// Reaching a handle's device control: lazy creation and the load from the host's stream.
#include "driver/AdsDriverApi.h"

namespace DEVICE {
class DeviceCtrl_Base;
}

namespace driver {

// A new ADS device control, or null when it cannot be made.
DEVICE::DevCtrlInterface* NewDeviceControl();

// Creates the handle's control when it has none and loads it from the handle's stream. When the
// load throws, the new control is destroyed, the stream's position and mode are put back and
// the exception goes on.
void EnsureDevCtrl(hostapi::DeviceHandle& handle);

// Hands the stream's bytes to the control's run-buffer reader.
void LoadDevData(hostapi::DeviceHandle& handle);

// The handle's control with the framework's operations, or null.
DEVICE::DeviceCtrl_Base* FrameworkControl(const hostapi::DeviceHandle& handle);

}  // namespace driver
