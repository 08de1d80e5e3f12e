#include "beckhoff/AdsProperties.h"

#include <memory>

#include "device/Texts.h"

namespace Beckhoff {
namespace {

constexpr const char* kAdsPorts[] = {"300", "301", "302", "500", "800", "801", "811",
                                     "821", "831", "851", "852", "853", "854"};

std::shared_ptr<DEVICE::stProperty> UnsignedProperty(const char* name, unsigned value, unsigned minimum,
                                                     unsigned maximum) {
  auto config = std::make_shared<DEVICE::GeneralPropertyConfig<unsigned>>(name, value);
  config->minimum = minimum;
  config->maximum = maximum;
  return std::make_shared<PropertyWraper<unsigned int>>(std::move(config));
}

std::shared_ptr<DEVICE::stProperty> TextProperty(const char* name, const char* value) {
  return std::make_shared<PropertyWraper<DEVICE::StringPropertyConfig>>(
      std::make_shared<DEVICE::StringPropertyConfig>(name, value));
}

std::shared_ptr<DEVICE::stProperty> PortProperty() {
  auto config = std::make_shared<DEVICE::EnumPropertyConfig>(texts::kPropAdsPort, 5u);
  for (const char* port : kAdsPorts) config->AddItem(port);
  return std::make_shared<PropertyWraper<DEVICE::EnumPropertyConfig>>(std::move(config));
}

}  // namespace

void AddAdsProperties(DevicePropertyConfigWraper& set) {
  set.AddProperty(UnsignedProperty(texts::kPropWaitTime, 200, 1, 4294967295u));
  set.AddProperty(PortProperty());
  set.AddProperty(UnsignedProperty(texts::kPropMaxTags, 500, 1, 500));
  set.AddProperty(TextProperty(texts::kPropLocalNetId, "169.254.1.190.1.1"));
  set.AddProperty(TextProperty(texts::kPropRemoteNetId, "169.254.1.1.1.1"));
  set.AddProperty(TextProperty(texts::kPropRemoteIp, "169.254.1.1"));
}

}  // namespace Beckhoff
