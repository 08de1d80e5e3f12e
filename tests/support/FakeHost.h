#pragma once
// A host for tests: offers every host interface at a settable version, records each report
// and every channel it is handed, and serves a settable channel list.
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "device/HostInterface.h"

namespace testing_support {

class FakeChannel final : public DEVICE::stChlInfo {
 public:
  explicit FakeChannel(std::u16string name) : name_(std::move(name)) {}
  std::u16string GetChlName() const override { return name_; }
  std::u16string GetChlExtra() const override { return {}; }

 private:
  std::u16string name_;
};

class FakeHost final : public IDevSetInterfaceEx2 {
 public:
  struct Report {
    std::u16string object;
    std::u16string message;
  };

  explicit FakeHost(uint32_t version = 2) : version(version) {}
  ~FakeHost() = default;

  uint32_t GetHostVersion() override { return version; }
  void ReportError(const std::u16string& object, const std::u16string& message) override {
    reports.push_back({object, message});
  }
  void GetChannels(std::vector<DEVICE::stChlInfo*>& out) override {
    if (throwOnGetChannels) throw std::runtime_error("host failure");
    out.clear();
    for (auto& channel : channels) out.push_back(channel.get());
  }
  bool IsChannelListReady() override { return listReady; }
  bool AddChannels(const std::vector<DEVICE::stChlInfo*>& added) override {
    if (throwOnAddChannels) throw std::runtime_error("host failure");
    for (auto* channel : added) {
      handed.push_back(channel->GetChlName());
      channels.push_back(std::make_unique<FakeChannel>(channel->GetChlName()));
    }
    return acceptChannels;
  }

  // Sets the host's channel list; an empty optional entry stands for a null pointer.
  void SetChannels(const std::vector<std::u16string>& names) {
    channels.clear();
    for (const auto& name : names) channels.push_back(std::make_unique<FakeChannel>(name));
  }

  uint32_t version;
  bool listReady = true;
  bool acceptChannels = true;
  bool throwOnAddChannels = false;
  bool throwOnGetChannels = false;
  std::vector<Report> reports;
  std::vector<std::u16string> handed;  // every channel name handed over by AddChannels
  std::vector<std::unique_ptr<FakeChannel>> channels;  // null entries allowed
};

// A host that offers only the base interface.
class BasicHost final : public IDevSetInterface {
 public:
  explicit BasicHost(uint32_t version) : version(version) {}
  uint32_t GetHostVersion() override { return version; }
  void ReportError(const std::u16string& object, const std::u16string& message) override {
    reports.push_back({object, message});
  }
  uint32_t version;
  std::vector<FakeHost::Report> reports;
};

}  // namespace testing_support
