#pragma once
// The device control of the one device this driver offers: a PLC reached over ADS/AMS on
// Ethernet. Identity, the six properties, default endpoints, the data-version check and the
// glue to the tag import.
#include <cstdint>
#include <map>
#include <string>

#include "device/CallBackImport.h"
#include "device/DeviceCtrl_Base.h"

namespace Beckhoff {

class BeckhoffDeviceCtrl final : public DEVICE::DeviceCtrl_Base {
 public:
  static constexpr int32_t kDataVersion = 20002;

  BeckhoffDeviceCtrl();
  ~BeckhoffDeviceCtrl() override;

  int32_t CheckChannels() override;
  void SetFileParser(std::shared_ptr<Fileparser> parser) override;

  void InitDeviceInfo() override;
  void InitProperties() override;
  DEVICE::ExtraConfig MakeExtraConfig(DEVICE::ExtraConfig record) override { return record; }
  DEVICE::ParentConfig MakeParentConfig() override;
  // Nothing here calls the two hooks or CreateTagParser; they keep the interface's slot order.
  bool DeviceDataHook(void*) override { return true; }
  bool OnLoadDeviceData(DevDeserialize& reader) override;
  bool RunBufferHook(void*) override { return true; }
  bool OnLoadRunBuffer(DevDeserialize& reader) override;
  DEVICE::TagParserPtr CreateTagParser() override;
  DEVICE::stCallBack* GetImportCallBack(DEVICE::CDevSelectTag* selector) override;

  // Rebuilds the tag tree from a parsed file (slot 25 with its outcome); a tree in place
  // clears the reimport flag.
  DEVICE::TagTreeBuild ImportTagTree(std::shared_ptr<Fileparser> parser);

  // 1 when the loaded data lacks the current data version: tags must be imported again.
  uint32_t ReimportFlag() const { return reimportFlag_; }

 private:
  void CheckDataVersion(DevDeserialize& reader);

  stCallBackImport importCommand_;
  std::map<std::string, std::string> parserContext_;
  uint32_t reimportFlag_ = 0;
};

}  // namespace Beckhoff
