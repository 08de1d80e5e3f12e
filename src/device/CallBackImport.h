#pragma once
// The tag import command: asks the user for a ".tpy" file, reads it, has the device rebuild
// its tag tree and tells the tag selector to show the new tree.
#include <memory>

#include "device/CallBack.h"
#include "device/TagTreeBuild.h"

class Fileparser;
namespace Beckhoff {
class BeckhoffFileparser;
}

namespace DEVICE {
class CDevSelectTag;
class DevCtrlTag;
}  // namespace DEVICE

class stCallBackImport_base : public DEVICE::stCallBack {
 public:
  virtual std::shared_ptr<Fileparser> GetFileParser() = 0;
  virtual bool ImportTagFile() = 0;

 protected:
  ~stCallBackImport_base() = default;
};

class stCallBackImport final : public stCallBackImport_base {
 public:
  // `owner` is handed on to the file parser as its owner word.
  explicit stCallBackImport(void* owner);
  ~stCallBackImport();
  stCallBackImport(const stCallBackImport&) = delete;
  stCallBackImport& operator=(const stCallBackImport&) = delete;

  bool Execute() override;
  std::shared_ptr<Fileparser> GetFileParser() override;
  bool ImportTagFile() override;

  void SetSink(DEVICE::CDevSelectTag* sink) { sink_ = sink; }
  // The device whose tag tree an import rebuilds, and the device's rebuild, which returns
  // whether the new tree is in place.
  void SetDevice(DEVICE::DevCtrlTag* device, DEVICE::TagTreeBuilder build) {
    device_ = device;
    build_ = std::move(build);
  }

 private:
  DEVICE::CDevSelectTag* sink_ = nullptr;
  DEVICE::DevCtrlTag* device_ = nullptr;
  DEVICE::TagTreeBuilder build_;
  std::shared_ptr<Beckhoff::BeckhoffFileparser> parser_;
};
