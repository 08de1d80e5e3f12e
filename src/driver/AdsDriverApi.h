#pragma once
// The driver module as a host sees it: the records and containers the host owns and hands to
// the exports, the host interfaces it implements, and the 25 exported functions with C
// linkage (with a function-pointer type for each, for hosts that resolve them at run time).
//
// Module and host are built with the same toolchain, so the host's containers are the
// standard library's: wide text is UTF-16 (std::u16string), arrays are std::vector.
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "device/HostInterface.h"

namespace DEVICE {
class DevCtrlInterface;
}

namespace hostapi {

// The device's stored bytes with a read/write position; the module changes it directly.
struct DevDataStream {
  uintptr_t reserved = 0;  // not read by the module
  std::vector<uint8_t> bytes;
  int32_t position = 0;
  uint32_t mode = 0;  // kStreamReading or kStreamWriting
};

inline constexpr uint32_t kStreamReading = 0;
inline constexpr uint32_t kStreamWriting = 1;

// One record per configured device. The module reads and writes only dataStream (fourth
// word), devCtrl (fifth) and hostInterface (seventh); the other words are the host's.
struct DeviceHandle {
  uintptr_t hostWord0 = 0;
  uintptr_t hostWord1 = 0;
  uintptr_t hostWord2 = 0;
  DevDataStream* dataStream = nullptr;
  DEVICE::DevCtrlInterface* devCtrl = nullptr;
  uintptr_t hostWord5 = 0;
  IDevSetInterface* hostInterface = nullptr;
  uintptr_t hostWord7 = 0;
};

// The default endpoints the host offers for a new device; the first five words are the host's.
struct ParentConfig {
  uint32_t hostWords[5] = {};
  std::u16string remoteIp;
  std::u16string localIp;
  uint32_t port = 0;
  uint32_t option1 = 0;
  uint32_t option2 = 0;
  uint32_t option3 = 0;
};

struct CustomUiEntry {
  std::u16string name;
  uint32_t id = 0;
};

using WideStringArray = std::vector<std::u16string>;
using WordArray = std::vector<uint32_t>;
using ByteArray = std::vector<uint8_t>;
using CustomUiArray = std::vector<CustomUiEntry>;
// Owns its lists: resizing it destroys the lists it drops.
using WideStringListArray = std::vector<std::unique_ptr<WideStringArray>>;

// One channel as the host sees it. A new record holds the values below; SvrGetChlInfo fills
// resolved tags.
class SChlInfo {
 public:
  SChlInfo() = default;
  SChlInfo(const SChlInfo&) = default;
  SChlInfo& operator=(const SChlInfo&) = default;
  SChlInfo(SChlInfo&&) = default;
  SChlInfo& operator=(SChlInfo&&) = default;
  virtual ~SChlInfo() = default;

  int32_t index = -1;
  int32_t value1 = -1;
  int32_t value2 = -1;
  int32_t value3 = -1;
  std::u16string address = u"0";
  int32_t value4 = -1;
  int32_t value5 = -1;
  int32_t dataKind = -1;
  std::u16string tagName;
  std::u16string varName;
  std::u16string comment;
  WideStringArray list1;
  WideStringArray list2;
};

using ChlInfoArray = std::vector<SChlInfo>;

// Base of the host's owned row objects.
class COwnerObject {
 public:
  COwnerObject() = default;
  COwnerObject(const COwnerObject&) = default;
  COwnerObject& operator=(const COwnerObject&) = default;
  virtual ~COwnerObject() = default;
  virtual void Serialize(DevDataStream& /*stream*/) {}
};

// The older host row: one 32-bit value and one text per column of the module's column table.
class CDevRow : public COwnerObject {
 public:
  std::vector<int32_t> values;
  std::vector<std::u16string> texts;
};

}  // namespace hostapi

// The exports. Results: 1 for success and 0 for failure, except where a count is returned.
extern "C" {
DEVICE::DevCtrlInterface* CreateDeviceCtrl();
int32_t DestroyDeviceCtrl(DEVICE::DevCtrlInterface* control);
int32_t SvrChangeableAddress();
int32_t SvrDeleteChlInfo(hostapi::DeviceHandle& handle, hostapi::WordArray& indices);
int32_t SvrDoHelp(std::u16string& helpName, uint32_t& helpWord);
int32_t SvrEditCustomProperty(uintptr_t unused);
int32_t SvrEditProperties(uintptr_t word1, uint8_t* changed, uintptr_t word3, uintptr_t word4, uintptr_t word5,
                          uintptr_t word6, uintptr_t word7, uintptr_t word8, uintptr_t word9);
int32_t SvrEnumPropertyValue(hostapi::DeviceHandle& handle, const std::u16string& name,
                             hostapi::WideStringArray& items);
int32_t SvrExitDevRun(hostapi::DeviceHandle& handle);
int32_t SvrGenerate(hostapi::DeviceHandle& handle);
int32_t SvrGetChannel(hostapi::DeviceHandle& handle, hostapi::WideStringArray& names, hostapi::WordArray& flags);
int32_t SvrGetChlInfo(hostapi::DeviceHandle& handle, const hostapi::WordArray& indices,
                      hostapi::ChlInfoArray& reply);
int32_t SvrGetCofigPro(uintptr_t unused, hostapi::WideStringArray& names, hostapi::WordArray& words,
                       hostapi::WideStringListArray& lists, hostapi::WideStringArray& fourth,
                       hostapi::WideStringArray& fifth);
int32_t SvrGetCustomUI(uintptr_t unused, hostapi::CustomUiArray& entries);
int32_t SvrGetDevInfo(std::u16string& displayName, uint32_t& word1, uint32_t& word2, uint32_t selector,
                      std::u16string& runtimeModule);
int32_t SvrGetDevVersion(hostapi::DeviceHandle& handle, double& version, uintptr_t unused1, uintptr_t unused2,
                         double& minorVersion);
int32_t SvrGetDevVersionEx(double& version, double& minorVersion, uint32_t& dataVersion);
int32_t SvrGetParentCofig(hostapi::ParentConfig& config);
int32_t SvrGetProperty(hostapi::DeviceHandle& handle, hostapi::WideStringArray& names,
                       hostapi::WideStringArray& values, hostapi::ByteArray& flags);
int32_t SvrInitDevRun(uintptr_t unused);
int32_t SvrInitDevSet(hostapi::DeviceHandle& handle);
int32_t SvrSaveDevData(hostapi::DeviceHandle& handle);
int32_t SvrSetChlInfo(hostapi::DeviceHandle& handle, const hostapi::SChlInfo& record);
int32_t SvrSetProperty(hostapi::DeviceHandle& handle, const hostapi::WideStringArray& names,
                       const hostapi::WideStringArray& values);
int32_t SvrShowCustomUI(hostapi::DeviceHandle& handle, const std::u16string& command);
}

// Function-pointer types of the exports, for dlsym.
namespace hostapi {
using CreateDeviceCtrlFn = decltype(&::CreateDeviceCtrl);
using DestroyDeviceCtrlFn = decltype(&::DestroyDeviceCtrl);
using SvrChangeableAddressFn = decltype(&::SvrChangeableAddress);
using SvrDeleteChlInfoFn = decltype(&::SvrDeleteChlInfo);
using SvrDoHelpFn = decltype(&::SvrDoHelp);
using SvrEditCustomPropertyFn = decltype(&::SvrEditCustomProperty);
using SvrEditPropertiesFn = decltype(&::SvrEditProperties);
using SvrEnumPropertyValueFn = decltype(&::SvrEnumPropertyValue);
using SvrExitDevRunFn = decltype(&::SvrExitDevRun);
using SvrGenerateFn = decltype(&::SvrGenerate);
using SvrGetChannelFn = decltype(&::SvrGetChannel);
using SvrGetChlInfoFn = decltype(&::SvrGetChlInfo);
using SvrGetCofigProFn = decltype(&::SvrGetCofigPro);
using SvrGetCustomUIFn = decltype(&::SvrGetCustomUI);
using SvrGetDevInfoFn = decltype(&::SvrGetDevInfo);
using SvrGetDevVersionFn = decltype(&::SvrGetDevVersion);
using SvrGetDevVersionExFn = decltype(&::SvrGetDevVersionEx);
using SvrGetParentCofigFn = decltype(&::SvrGetParentCofig);
using SvrGetPropertyFn = decltype(&::SvrGetProperty);
using SvrInitDevRunFn = decltype(&::SvrInitDevRun);
using SvrInitDevSetFn = decltype(&::SvrInitDevSet);
using SvrSaveDevDataFn = decltype(&::SvrSaveDevData);
using SvrSetChlInfoFn = decltype(&::SvrSetChlInfo);
using SvrSetPropertyFn = decltype(&::SvrSetProperty);
using SvrShowCustomUIFn = decltype(&::SvrShowCustomUI);

// The exported names, in alphabetical order.
inline constexpr const char* kExportNames[] = {
    "CreateDeviceCtrl",   "DestroyDeviceCtrl",     "SvrChangeableAddress", "SvrDeleteChlInfo",
    "SvrDoHelp",          "SvrEditCustomProperty", "SvrEditProperties",    "SvrEnumPropertyValue",
    "SvrExitDevRun",      "SvrGenerate",           "SvrGetChannel",        "SvrGetChlInfo",
    "SvrGetCofigPro",     "SvrGetCustomUI",        "SvrGetDevInfo",        "SvrGetDevVersion",
    "SvrGetDevVersionEx", "SvrGetParentCofig",     "SvrGetProperty",       "SvrInitDevRun",
    "SvrInitDevSet",      "SvrSaveDevData",        "SvrSetChlInfo",        "SvrSetProperty",
    "SvrShowCustomUI"};
}  // namespace hostapi
