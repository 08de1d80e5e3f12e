#include "driver/DeviceAccess.h"

#include <new>

#include "beckhoff/BeckhoffDeviceCtrl.h"
#include "driver/DataStream.h"

namespace driver {

DEVICE::DevCtrlInterface* NewDeviceControl() {
  try {
    return new Beckhoff::BeckhoffDeviceCtrl();
  } catch (...) {
    return nullptr;
  }
}

void EnsureDevCtrl(hostapi::DeviceHandle& handle) {
  if (handle.devCtrl) return;
  handle.devCtrl = NewDeviceControl();
  if (handle.devCtrl && handle.dataStream && !handle.dataStream->bytes.empty()) LoadDevData(handle);
}

void LoadDevData(hostapi::DeviceHandle& handle) {
  DEVICE::DeviceCtrl_Base* control = FrameworkControl(handle);
  hostapi::DevDataStream* stream = handle.dataStream;
  if (!control || !stream) return;
  StreamRead(*stream, nullptr, 0);  // switches the stream to reading
  DEVICE::ByteArray buffer(stream->bytes.size(), 0);
  StreamRead(*stream, buffer.data(), buffer.size());
  control->DeSerializeRunBuffer(buffer);
}

DEVICE::DeviceCtrl_Base* FrameworkControl(const hostapi::DeviceHandle& handle) {
  return dynamic_cast<DEVICE::DeviceCtrl_Base*>(handle.devCtrl);
}

}  // namespace driver
