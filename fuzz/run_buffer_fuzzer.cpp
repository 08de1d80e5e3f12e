// A saved run buffer loaded into a fresh ADS device control: what loads must save again, and
// the saved bytes must load to the same device (the same bytes when saved once more).
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "beckhoff/BeckhoffDeviceCtrl.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  Beckhoff::BeckhoffDeviceCtrl device;
  device.DeSerializeRunBuffer(DEVICE::ByteArray(data, data + size));
  DEVICE::ByteArray saved;
  if (!device.SerializeRunBuffer(saved)) std::abort();

  Beckhoff::BeckhoffDeviceCtrl again;
  again.DeSerializeRunBuffer(saved);
  DEVICE::ByteArray savedAgain;
  if (!again.SerializeRunBuffer(savedAgain) || savedAgain != saved) std::abort();
  return 0;
}
