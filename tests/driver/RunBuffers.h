#pragma once
// Run buffers made from the example symbol files, and the channel names and property values a
// device reports.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "ModuleFixture.h"
#include "beckhoff/BeckhoffDeviceCtrl.h"
#include "beckhoff/BeckhoffFileparser.h"

namespace driver_tests {

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

// The tag names of every channel record the device gives.
inline std::vector<std::u16string> ChannelNames(const Exports& api, hostapi::DeviceHandle& handle) {
  hostapi::ChlInfoArray reply;
  api.SvrGetChlInfo(handle, {}, reply);
  std::vector<std::u16string> names;
  for (const auto& record : reply) names.push_back(record.tagName);
  return names;
}

// The value the device lists for the property `name`, or "<missing>".
inline std::u16string PropertyValue(const Exports& api, hostapi::DeviceHandle& handle, const std::u16string& name) {
  hostapi::WideStringArray names, values;
  hostapi::ByteArray flags;
  api.SvrGetProperty(handle, names, values, flags);
  for (size_t i = 0; i < names.size() && i < values.size(); ++i)
    if (names[i] == name) return values[i];
  return u"<missing>";
}

}  // namespace driver_tests
