#include "device/Property.h"

#include <algorithm>

#include "device/SavedFormat.h"

namespace DEVICE {

bool EnumPropertyConfig::AddItem(const std::string& item) {
  if (std::find(items_.begin(), items_.end(), item) != items_.end()) return false;
  items_.push_back(item);
  return true;
}

}  // namespace DEVICE

uint32_t DevicePropertyConfigWraper::AddProperty(const std::shared_ptr<DEVICE::stProperty>& property) {
  if (!property) return 4;
  std::string name = property->GetName();
  if (!index_.emplace(name, property).second) return 1;
  listing_.emplace_back(name, property);
  versions_.emplace(std::move(name), saved::kPropertyVersion);
  return 0;
}

std::shared_ptr<DEVICE::stProperty> DevicePropertyConfigWraper::GetProperty(const std::string& name) const {
  if (name.empty()) return nullptr;
  auto it = index_.find(name);
  return it == index_.end() ? nullptr : it->second;
}

bool DevicePropertyConfigWraper::SetProperty(const std::string& name,
                                             const std::shared_ptr<DEVICE::stProperty>& source) {
  auto target = GetProperty(name);
  if (!target || !source) return false;
  switch (source->GetType()) {
    case DEVICE::kPropUnsigned:
    case DEVICE::kPropEnum:
      target->SetUInt(source->GetUInt());
      return true;
    case DEVICE::kPropDouble:
      target->SetDouble(source->GetDouble());
      return true;
    case DEVICE::kPropString:
      target->SetString(source->GetString());
      return true;
    default:
      return false;
  }
}

uint32_t DevicePropertyConfigWraper::GetVersion(const std::string& name) const {
  if (name.empty()) return kNoVersion;
  auto it = versions_.find(name);
  return it == versions_.end() ? kNoVersion : it->second;
}
