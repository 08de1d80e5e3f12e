// Property data from saved device data applied to the default ADS property set: never a
// fault, and every property keeps a value its constraint accepts.
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "beckhoff/AdsProperties.h"
#include "device/DevSerialize.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  auto set = std::make_shared<DevicePropertyConfigWraper>();
  Beckhoff::AddAdsProperties(*set);
  DevicePropertySerilize reader;
  reader.Bytes().assign(data, data + size);
  reader.Deserialize(set);
  for (const auto& [name, property] : set->GetPropertyList()) {
    if (property->GetType() == DEVICE::kPropString && property->GetString().empty()) std::abort();
    if (property->GetType() == DEVICE::kPropEnum && property->GetUInt() >= property->GetEnumItems().size())
      std::abort();
  }
  DevicePropertySerilize writer;
  writer.Serialize(set);
  return 0;
}
