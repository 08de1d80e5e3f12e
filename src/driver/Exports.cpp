// The 25 exported functions. Every export catches what the framework throws: nothing
// crosses the C boundary but the result.
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cwctype>
#include <string>

#include "device/DeviceCtrl_Base.h"
#include "device/Texts.h"
#include "driver/AdsDriverApi.h"
#include "driver/ChannelRows.h"
#include "driver/DataStream.h"
#include "driver/DeviceAccess.h"
#include "platform/System.h"
#include "platform/Text.h"

using namespace hostapi;
using platform::AnsiToWide;
using platform::WideToAnsi;

namespace {

constexpr double kDriverVersion = 8.0022;
constexpr double kDriverMinorVersion = 0.0;
constexpr uint32_t kDriverDataVersion = 20002;
constexpr uint32_t kHelpWord = 0x7D4B13EE;

// Runs an export's body; any exception becomes the failure result.
template <typename Body>
int32_t Guarded(int32_t failure, Body body) noexcept {
  try {
    return body();
  } catch (...) {
    return failure;
  }
}

bool IsBlank(char16_t c) { return c == u' ' || (c >= u'\t' && c <= u'\r'); }

std::u16string Trimmed(const std::u16string& text) {
  size_t begin = 0;
  size_t end = text.size();
  while (begin < end && IsBlank(text[begin])) ++begin;
  while (end > begin && IsBlank(text[end - 1])) --end;
  return text.substr(begin, end - begin);
}

std::u16string Formatted(const char* format, auto value) {
  char buffer[512];
  std::snprintf(buffer, sizeof buffer, format, value);
  return AnsiToWide(buffer);
}

// An unsigned value as the host types it: hexadecimal after the first upper-case "0X",
// decimal otherwise; 0 when the text does not parse. Values beyond the range are saturated at
// 64 bits and then cut to the low 32 bits, as the C library's "%d" and "%X" conversions do
// where they are defined through strtol; parsing with them directly would be undefined on
// overflow and differs between C libraries.
uint32_t ParseUnsigned(const std::u16string& text) {
  const size_t hex = text.find(u"0X");
  if (hex != std::u16string::npos)
    return static_cast<uint32_t>(std::strtoull(WideToAnsi(text.substr(hex + 2)).c_str(), nullptr, 16));
  return static_cast<uint32_t>(std::strtoll(WideToAnsi(text).c_str(), nullptr, 10));
}

double ParseDouble(const std::u16string& text) {
  double value = 0.0;
  std::sscanf(WideToAnsi(text).c_str(), "%lf", &value);
  return value;
}

// Parses the text by the property's kind into `property`; false for an unknown kind.
bool ApplyText(DEVICE::stProperty& property, const std::u16string& text) {
  switch (property.GetType()) {
    case DEVICE::kPropUnsigned:
      property.SetUInt(ParseUnsigned(text));
      return true;
    case DEVICE::kPropDouble:
      property.SetDouble(ParseDouble(text));
      return true;
    case DEVICE::kPropString:
    case DEVICE::kPropEnum:
      property.SetString(WideToAnsi(text));
      return true;
    default:
      return false;
  }
}

bool SetOneProperty(DEVICE::DevCtrlInterface& control, const std::u16string& name, const std::u16string& value) {
  const std::string narrowName = WideToAnsi(name);
  auto property = control.GetProperty(narrowName);
  if (!property) return false;
  auto copy = property->Clone();
  if (!copy || !ApplyText(*copy, Trimmed(value))) return false;
  return control.SetProperty(narrowName, copy);
}

// Fills entry i of the three arrays; false for an unknown kind (value and flag stay empty).
bool DescribeProperty(const DEVICE::stProperty& property, std::u16string& value, uint8_t& flag) {
  switch (property.GetType()) {
    case DEVICE::kPropUnsigned:
      value = Formatted("%d", static_cast<int>(property.GetUInt()));
      flag = 0;
      return true;
    case DEVICE::kPropDouble:
      value = Formatted("%lf", property.GetDouble());
      flag = 0;
      return true;
    case DEVICE::kPropString:
      value = AnsiToWide(property.GetString());
      flag = 0;
      return true;
    case DEVICE::kPropEnum:
      value = AnsiToWide(property.GetString());
      flag = 1;
      return true;
    default:
      return false;
  }
}


}  // namespace

extern "C" {

DEVICE::DevCtrlInterface* CreateDeviceCtrl() { return driver::NewDeviceControl(); }

int32_t DestroyDeviceCtrl(DEVICE::DevCtrlInterface* control) {
  try {
    delete control;
  } catch (...) {
  }
  return 0;
}

int32_t SvrChangeableAddress() { return 1; }

int32_t SvrDoHelp(std::u16string& helpName, uint32_t& helpWord) {
  return Guarded(0, [&] {
    helpName = AnsiToWide(texts::kDriverName);
    helpWord = kHelpWord;
    return 1;
  });
}

int32_t SvrEditCustomProperty(uintptr_t) { return 1; }

int32_t SvrEditProperties(uintptr_t, uint8_t* changed, uintptr_t, uintptr_t, uintptr_t, uintptr_t, uintptr_t,
                          uintptr_t, uintptr_t) {
  if (changed) *changed = 1;
  return 1;
}

int32_t SvrEnumPropertyValue(DeviceHandle& handle, const std::u16string& name, WideStringArray& items) {
  return Guarded(0, [&] {
    driver::EnsureDevCtrl(handle);
    if (!handle.devCtrl) return 0;
    auto property = handle.devCtrl->GetProperty(WideToAnsi(name));
    if (!property) return 0;
    for (const auto& item : property->GetEnumItems()) items.push_back(AnsiToWide(item));
    return 1;
  });
}

int32_t SvrExitDevRun(DeviceHandle& handle) {
  return Guarded(1, [&] {
    DestroyDeviceCtrl(handle.devCtrl);
    handle.devCtrl = nullptr;
    return 1;
  });
}

int32_t SvrGetDevInfo(std::u16string& displayName, uint32_t& word1, uint32_t& word2, uint32_t selector,
                      std::u16string& runtimeModule) {
  return Guarded(0, [&] {
    displayName = AnsiToWide(texts::kDisplayName);
    word1 = 0;
    word2 = 0;
    if (selector == 0) {
      runtimeModule = AnsiToWide(texts::kRuntimeModuleU);
    } else if (selector == 1) {
      runtimeModule = AnsiToWide(texts::kRuntimeModuleE);
    } else {
      return 0;
    }
    return 1;
  });
}

int32_t SvrGetDevVersion(DeviceHandle& handle, double& version, uintptr_t, uintptr_t, double& minorVersion) {
  return Guarded(1, [&] {
    version = kDriverVersion;
    minorVersion = kDriverMinorVersion;
    driver::EnsureDevCtrl(handle);
    return 1;
  });
}

int32_t SvrGetDevVersionEx(double& version, double& minorVersion, uint32_t& dataVersion) {
  version = kDriverVersion;
  minorVersion = kDriverMinorVersion;
  dataVersion = kDriverDataVersion;
  return 1;
}

int32_t SvrGetParentCofig(ParentConfig& config) {
  return Guarded(0, [&] {
    config.remoteIp = u"192.168.0.10";
    config.localIp = u"192.168.0.190";
    config.port = 8500;
    config.option1 = 0;
    config.option2 = 1;
    config.option3 = 0;
    return 1;
  });
}

int32_t SvrGetProperty(DeviceHandle& handle, WideStringArray& names, WideStringArray& values, ByteArray& flags) {
  return Guarded(0, [&] {
    driver::EnsureDevCtrl(handle);
    if (!handle.devCtrl) return 0;
    const auto listing = handle.devCtrl->GetPropertyList();
    names.assign(listing.size(), std::u16string());
    values.assign(listing.size(), std::u16string());
    flags.assign(listing.size(), 0);
    for (size_t i = 0; i < listing.size(); ++i) {
      names[i] = AnsiToWide(listing[i].first);
      const auto& property = listing[i].second;
      if (!property || !DescribeProperty(*property, values[i], flags[i])) return 0;
    }
    return 1;
  });
}

int32_t SvrInitDevRun(uintptr_t) {
  std::srand(platform::GetTickCount());
  return 1;
}

int32_t SvrInitDevSet(DeviceHandle& handle) {
  return Guarded(1, [&] {
    driver::EnsureDevCtrl(handle);
    return 1;
  });
}

int32_t SvrSetProperty(DeviceHandle& handle, const WideStringArray& names, const WideStringArray& values) {
  return Guarded(0, [&] {
    driver::EnsureDevCtrl(handle);
    if (!handle.devCtrl) return 0;
    for (size_t i = 0; i < names.size(); ++i) {
      const std::u16string value = i < values.size() ? values[i] : std::u16string();
      if (!SetOneProperty(*handle.devCtrl, names[i], value)) return 0;
    }
    return 1;
  });
}

int32_t SvrDeleteChlInfo(DeviceHandle& handle, WordArray& indices) {
  return Guarded(0, [&] {
    DEVICE::DeviceCtrl_Base* control = driver::FrameworkControl(handle);
    if (!control) return 0;
    auto& channels = control->Channels();
    if (indices.empty()) {
      channels.ClearChannels();
      return 1;
    }
    // The caller sees its array sorted ascending. Equal words are indistinguishable, so any
    // sort leaves the array a selection sort would; this one stays fast on huge arrays.
    std::sort(indices.begin(), indices.end());
    size_t count = channels.Count();
    for (size_t i = indices.size(); i-- > 0;) {
      if (indices[i] >= count) continue;
      channels.DeleteChannel(indices[i]);
      --count;
    }
    return 1;
  });
}

int32_t SvrGenerate(DeviceHandle& handle) {
  return Guarded(0, [&] {
    if (!handle.devCtrl) return 0;
    handle.devCtrl->SetHostInterface(handle.hostInterface);
    return handle.devCtrl->CheckChannels() == 0 ? 1 : 0;
  });
}

int32_t SvrGetChannel(DeviceHandle& handle, WideStringArray& names, WordArray& flags) {
  return Guarded(0, [&] {
    driver::EnsureDevCtrl(handle);
    names.assign(1, AnsiToWide(texts::kCommStatus));
    flags.assign(1, 1);
    return 1;
  });
}

int32_t SvrGetChlInfo(DeviceHandle& handle, const WordArray& indices, ChlInfoArray& reply) {
  return Guarded(0, [&] {
    DEVICE::DeviceCtrl_Base* control = driver::FrameworkControl(handle);
    if (!control) return 0;
    return driver::FillChannelRecords(*control, indices, reply);
  });
}

int32_t SvrGetCofigPro(uintptr_t, WideStringArray& names, WordArray& words, WideStringListArray& lists,
                       WideStringArray& fourth, WideStringArray& fifth) {
  return Guarded(0, [&] {
    names.assign(1, AnsiToWide(texts::kTag));
    words.assign(1, 2);
    lists.clear();
    lists.push_back(std::make_unique<WideStringArray>());
    fourth.clear();
    fifth.clear();
    return 1;
  });
}

int32_t SvrGetCustomUI(uintptr_t, CustomUiArray& entries) {
  return Guarded(0, [&] {
    entries.assign(1, CustomUiEntry{AnsiToWide(texts::kTagImport), 0});
    return 1;
  });
}

int32_t SvrSaveDevData(DeviceHandle& handle) {
  return Guarded(1, [&] {
    DEVICE::DeviceCtrl_Base* control = driver::FrameworkControl(handle);
    if (!control || !handle.dataStream) return 1;
    handle.dataStream->position = 0;
    DEVICE::ByteArray runBuffer;
    if (!control->SerializeRunBuffer(runBuffer)) runBuffer.clear();
    driver::StreamWrite(*handle.dataStream, runBuffer.data(), runBuffer.size());
    return 1;
  });
}

int32_t SvrSetChlInfo(DeviceHandle& handle, const SChlInfo& record) {
  return Guarded(0, [&] {
    DEVICE::DeviceCtrl_Base* control = driver::FrameworkControl(handle);
    if (!control) return 0;
    const std::string name = WideToAnsi(record.address);
    if (!control->FindTag(name)) return 0;
    auto& channels = control->Channels();
    if (!channels.AddChannel({name})) return 0;
    return static_cast<int32_t>(channels.Count()) + 1;
  });
}

int32_t SvrShowCustomUI(DeviceHandle& handle, const std::u16string& command) {
  return Guarded(0, [&] {
    if (!handle.devCtrl) return 0;
    handle.devCtrl->RunCustomCommand(DEVICE::CustomCommand{WideToAnsi(command), 0});
    return 1;
  });
}

}  // extern "C"
