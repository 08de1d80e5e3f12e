#pragma once
// The host's side of a device: the interfaces it hands to the device control, at host
// version 2. It keeps the channels handed to it and prints every report.
#include <functional>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "device/HostInterface.h"

namespace adshost {

class HostChannel final : public DEVICE::stChlInfo {
 public:
  explicit HostChannel(std::u16string name) : name_(std::move(name)) {}
  std::u16string GetChlName() const override { return name_; }
  std::u16string GetChlExtra() const override { return {}; }

 private:
  std::u16string name_;
};

class HostSite final : public IDevSetInterfaceEx2 {
 public:
  static constexpr uint32_t kHostVersion = 2;
  using LineSink = std::function<void(const std::string& utf8Line)>;

  // `reportSink` receives "REPORT<TAB>object<TAB>message" lines.
  explicit HostSite(LineSink reportSink) : reportSink_(std::move(reportSink)) {}
  ~HostSite() = default;
  HostSite(const HostSite&) = delete;
  HostSite& operator=(const HostSite&) = delete;

  uint32_t GetHostVersion() override { return kHostVersion; }
  void ReportError(const std::u16string& object, const std::u16string& message) override;
  void GetChannels(std::vector<DEVICE::stChlInfo*>& channels) override;
  // The host's list counts only once the device has handed it channels in this run.
  bool IsChannelListReady() override { return !channels_.empty(); }
  bool AddChannels(const std::vector<DEVICE::stChlInfo*>& channels) override;

  struct Report {
    std::u16string object;
    std::u16string message;
  };
  size_t ReportCount() const { return reports_.size(); }
  const std::vector<Report>& Reports() const { return reports_; }
  const std::vector<std::unique_ptr<HostChannel>>& Channels() const { return channels_; }

 private:
  LineSink reportSink_;
  std::vector<Report> reports_;
  std::vector<std::unique_ptr<HostChannel>> channels_;
  std::set<std::u16string> names_;
};

}  // namespace adshost
