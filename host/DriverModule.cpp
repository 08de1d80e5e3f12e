#include "DriverModule.h"


namespace adshost {
namespace {

template <typename Fn>
bool Resolve(const platform::LoadedModule& module, const char* name, Fn& target, std::string& error) {
  void* symbol = module.Symbol(name);
  if (!symbol) {
    error = std::string("the module does not export ") + name;
    return false;
  }
  target = reinterpret_cast<Fn>(symbol);
  return true;
}

bool ResolveAll(const platform::LoadedModule& m, DriverApi& a, std::string& e) {
  return Resolve(m, "CreateDeviceCtrl", a.CreateDeviceCtrl, e) &&
         Resolve(m, "DestroyDeviceCtrl", a.DestroyDeviceCtrl, e) &&
         Resolve(m, "SvrChangeableAddress", a.SvrChangeableAddress, e) &&
         Resolve(m, "SvrDeleteChlInfo", a.SvrDeleteChlInfo, e) && Resolve(m, "SvrDoHelp", a.SvrDoHelp, e) &&
         Resolve(m, "SvrEditCustomProperty", a.SvrEditCustomProperty, e) &&
         Resolve(m, "SvrEditProperties", a.SvrEditProperties, e) &&
         Resolve(m, "SvrEnumPropertyValue", a.SvrEnumPropertyValue, e) &&
         Resolve(m, "SvrExitDevRun", a.SvrExitDevRun, e) && Resolve(m, "SvrGenerate", a.SvrGenerate, e) &&
         Resolve(m, "SvrGetChannel", a.SvrGetChannel, e) && Resolve(m, "SvrGetChlInfo", a.SvrGetChlInfo, e) &&
         Resolve(m, "SvrGetCofigPro", a.SvrGetCofigPro, e) && Resolve(m, "SvrGetCustomUI", a.SvrGetCustomUI, e) &&
         Resolve(m, "SvrGetDevInfo", a.SvrGetDevInfo, e) && Resolve(m, "SvrGetDevVersion", a.SvrGetDevVersion, e) &&
         Resolve(m, "SvrGetDevVersionEx", a.SvrGetDevVersionEx, e) &&
         Resolve(m, "SvrGetParentCofig", a.SvrGetParentCofig, e) &&
         Resolve(m, "SvrGetProperty", a.SvrGetProperty, e) && Resolve(m, "SvrInitDevRun", a.SvrInitDevRun, e) &&
         Resolve(m, "SvrInitDevSet", a.SvrInitDevSet, e) && Resolve(m, "SvrSaveDevData", a.SvrSaveDevData, e) &&
         Resolve(m, "SvrSetChlInfo", a.SvrSetChlInfo, e) && Resolve(m, "SvrSetProperty", a.SvrSetProperty, e) &&
         Resolve(m, "SvrShowCustomUI", a.SvrShowCustomUI, e);
}

}  // namespace

std::unique_ptr<DriverModule> DriverModule::Load(const std::string& path, std::string& error) {
  auto loaded = platform::LoadModule(path, error);
  if (!loaded) return nullptr;
  auto module = std::unique_ptr<DriverModule>(new DriverModule());
  if (!ResolveAll(*loaded, module->api_, error)) return nullptr;
  module->module_ = std::move(loaded);
  return module;
}

}  // namespace adshost
