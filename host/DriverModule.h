#pragma once
// The driver module loaded into the host: every export resolved by name.
#include <memory>
#include <string>

#include "driver/AdsDriverApi.h"
#include "platform/ProcessServices.h"

namespace adshost {

struct DriverApi {
  hostapi::CreateDeviceCtrlFn CreateDeviceCtrl = nullptr;
  hostapi::DestroyDeviceCtrlFn DestroyDeviceCtrl = nullptr;
  hostapi::SvrChangeableAddressFn SvrChangeableAddress = nullptr;
  hostapi::SvrDeleteChlInfoFn SvrDeleteChlInfo = nullptr;
  hostapi::SvrDoHelpFn SvrDoHelp = nullptr;
  hostapi::SvrEditCustomPropertyFn SvrEditCustomProperty = nullptr;
  hostapi::SvrEditPropertiesFn SvrEditProperties = nullptr;
  hostapi::SvrEnumPropertyValueFn SvrEnumPropertyValue = nullptr;
  hostapi::SvrExitDevRunFn SvrExitDevRun = nullptr;
  hostapi::SvrGenerateFn SvrGenerate = nullptr;
  hostapi::SvrGetChannelFn SvrGetChannel = nullptr;
  hostapi::SvrGetChlInfoFn SvrGetChlInfo = nullptr;
  hostapi::SvrGetCofigProFn SvrGetCofigPro = nullptr;
  hostapi::SvrGetCustomUIFn SvrGetCustomUI = nullptr;
  hostapi::SvrGetDevInfoFn SvrGetDevInfo = nullptr;
  hostapi::SvrGetDevVersionFn SvrGetDevVersion = nullptr;
  hostapi::SvrGetDevVersionExFn SvrGetDevVersionEx = nullptr;
  hostapi::SvrGetParentCofigFn SvrGetParentCofig = nullptr;
  hostapi::SvrGetPropertyFn SvrGetProperty = nullptr;
  hostapi::SvrInitDevRunFn SvrInitDevRun = nullptr;
  hostapi::SvrInitDevSetFn SvrInitDevSet = nullptr;
  hostapi::SvrSaveDevDataFn SvrSaveDevData = nullptr;
  hostapi::SvrSetChlInfoFn SvrSetChlInfo = nullptr;
  hostapi::SvrSetPropertyFn SvrSetProperty = nullptr;
  hostapi::SvrShowCustomUIFn SvrShowCustomUI = nullptr;
};

class DriverModule {
 public:
  // Loads the module and resolves all 25 exports; null with a message when one is missing.
  static std::unique_ptr<DriverModule> Load(const std::string& path, std::string& error);

  const DriverApi& api() const { return api_; }

 private:
  std::unique_ptr<platform::LoadedModule> module_;
  DriverApi api_;
};

}  // namespace adshost
