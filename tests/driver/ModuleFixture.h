#pragma once
// Loads the built driver module once per test program and resolves its exports by name.
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "driver/AdsDriverApi.h"
#include "platform/ProcessServices.h"

namespace driver_tests {

class Module {
 public:
  static Module& Get() {
    static Module module;
    return module;
  }
  bool loaded() const { return module_ != nullptr; }
  const std::string& error() const { return error_; }

  void* Symbol(const char* name) const { return module_ ? module_->Symbol(name) : nullptr; }

 private:
  Module() { module_ = platform::LoadModule(ADS_DRIVER_PATH, error_); }
  std::unique_ptr<platform::LoadedModule> module_;
  std::string error_;
};

// Every export, resolved; a test fails at once when one is missing.
struct Exports {
#define ADS_EXPORT(name) hostapi::name##Fn name = reinterpret_cast<hostapi::name##Fn>(Module::Get().Symbol(#name));
  ADS_EXPORT(CreateDeviceCtrl)
  ADS_EXPORT(DestroyDeviceCtrl)
  ADS_EXPORT(SvrChangeableAddress)
  ADS_EXPORT(SvrDeleteChlInfo)
  ADS_EXPORT(SvrDoHelp)
  ADS_EXPORT(SvrEditCustomProperty)
  ADS_EXPORT(SvrEditProperties)
  ADS_EXPORT(SvrEnumPropertyValue)
  ADS_EXPORT(SvrExitDevRun)
  ADS_EXPORT(SvrGenerate)
  ADS_EXPORT(SvrGetChannel)
  ADS_EXPORT(SvrGetChlInfo)
  ADS_EXPORT(SvrGetCofigPro)
  ADS_EXPORT(SvrGetCustomUI)
  ADS_EXPORT(SvrGetDevInfo)
  ADS_EXPORT(SvrGetDevVersion)
  ADS_EXPORT(SvrGetDevVersionEx)
  ADS_EXPORT(SvrGetParentCofig)
  ADS_EXPORT(SvrGetProperty)
  ADS_EXPORT(SvrInitDevRun)
  ADS_EXPORT(SvrInitDevSet)
  ADS_EXPORT(SvrSaveDevData)
  ADS_EXPORT(SvrSetChlInfo)
  ADS_EXPORT(SvrSetProperty)
  ADS_EXPORT(SvrShowCustomUI)
#undef ADS_EXPORT
};

class ModuleTest : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(Module::Get().loaded()) << Module::Get().error(); }
  Exports api;
};

// A device as a host holds it: handle, stream and host interface, released at the end.
struct Device {
  explicit Device(const Exports& exports, std::vector<uint8_t> bytes = {}) : api(exports) {
    stream.bytes = std::move(bytes);
    handle.dataStream = &stream;
  }
  ~Device() { api.SvrExitDevRun(handle); }
  Device(const Device&) = delete;
  Device& operator=(const Device&) = delete;

  const Exports& api;
  hostapi::DevDataStream stream;
  hostapi::DeviceHandle handle;
};

}  // namespace driver_tests
