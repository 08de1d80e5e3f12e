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

// A control that could not be loaded completely is not kept: the host would save its partial
// state over the stored data. The stream is put back so that the next try reads it all again.
void EnsureDevCtrl(hostapi::DeviceHandle& handle) {
  if (handle.devCtrl) return;
  handle.devCtrl = NewDeviceControl();
  hostapi::DevDataStream* stream = handle.dataStream;
  if (!handle.devCtrl || !stream || stream->bytes.empty()) return;
  const int32_t position = stream->position;
  const uint32_t mode = stream->mode;
  try {
    LoadDevData(handle);
  } catch (...) {
    delete handle.devCtrl;
    handle.devCtrl = nullptr;
    stream->position = position;
    stream->mode = mode;
    throw;
  }
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
