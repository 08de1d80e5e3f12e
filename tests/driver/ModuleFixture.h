#pragma once
// Loads the built driver module once per test program and resolves its exports by name; makes
// run buffers from the example symbol files and holds devices as a host does.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "beckhoff/BeckhoffDeviceCtrl.h"
#include "beckhoff/BeckhoffFileparser.h"
#include "DriverModule.h"
#include "driver/AdsDriverApi.h"

namespace driver_tests {

using Names = std::vector<std::u16string>;
using Exports = adshost::DriverApi;

// The built module, loaded once per test program with all 25 exports resolved by name.
struct LoadedDriver {
  std::string error;
  std::unique_ptr<adshost::DriverModule> module = adshost::DriverModule::Load(ADS_DRIVER_PATH, error);
};
inline const LoadedDriver& Driver() {
  static const LoadedDriver driver;
  return driver;
}

class ModuleTest : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(Driver().module) << Driver().error; }
  const Exports api = Driver().module ? Driver().module->api() : Exports{};
};

// Asks a Device to create its control and load it from its bytes at once.
inline constexpr bool kLoaded = true;

// A device as a host holds it: handle, stream and host interface, released at the end.
struct Device {
  explicit Device(const Exports& exports, std::vector<uint8_t> bytes = {}, bool load = false) : api(exports) {
    stream.bytes = std::move(bytes);
    handle.dataStream = &stream;
    EXPECT_TRUE(!load || api.SvrInitDevSet(handle) == 1);
  }
  ~Device() { api.SvrExitDevRun(handle); }
  Device(const Device&) = delete;
  Device& operator=(const Device&) = delete;

  // The tag names of every channel record the device gives.
  Names Channels() {
    hostapi::ChlInfoArray reply;
    api.SvrGetChlInfo(handle, {}, reply);
    Names names;
    for (const auto& record : reply) names.push_back(record.tagName);
    return names;
  }
  // The value the device lists for the property `name`, or "<missing>".
  std::u16string Property(const std::u16string& name) {
    hostapi::WideStringArray names, values;
    hostapi::ByteArray flags;
    api.SvrGetProperty(handle, names, values, flags);
    for (size_t i = 0; i < names.size() && i < values.size(); ++i)
      if (names[i] == name) return values[i];
    return u"<missing>";
  }
  int32_t Set(const std::u16string& name, const std::u16string& value) {
    return api.SvrSetProperty(handle, {name}, {value});
  }
  // Adds the channel `tag` as the host's channel editor does.
  int32_t Add(const std::u16string& tag) {
    hostapi::SChlInfo record;
    record.address = tag;
    return api.SvrSetChlInfo(handle, record);
  }
  int32_t Save() { return api.SvrSaveDevData(handle); }

  const Exports& api;
  hostapi::DevDataStream stream;
  hostapi::DeviceHandle handle;
};

// The example file `name`, loaded and read by both passes.
inline std::shared_ptr<Beckhoff::BeckhoffFileparser> ParsedExample(const std::string& name) {
  auto parser = std::make_shared<Beckhoff::BeckhoffFileparser>(nullptr);
  EXPECT_TRUE(parser->LoadFile(std::string(ADS_SOURCE_DIR) + "/examples/" + name)) << name;
  parser->ReadDataTypes();
  parser->ReadSymbols();
  return parser;
}

// A run buffer whose tag tree comes from demo.tpy and whose channels are `channels`.
inline std::vector<uint8_t> RunBufferWith(const std::vector<std::string>& channels) {
  Beckhoff::BeckhoffDeviceCtrl control;
  control.SetFileParser(ParsedExample("demo.tpy"));
  control.Channels().AddChannel(channels);
  DEVICE::ByteArray bytes;
  EXPECT_TRUE(control.SerializeRunBuffer(bytes));
  return bytes;
}

}  // namespace driver_tests
