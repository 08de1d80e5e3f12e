#include "beckhoff/BeckhoffDeviceCtrl.h"

#include "beckhoff/AdsProperties.h"
#include "beckhoff/BeckhoffFileparser.h"
#include "device/DevSerialize.h"
#include "device/Texts.h"
#include "tag/TagParser.h"
#include "utils/stream_io.h"

namespace Beckhoff {

BeckhoffDeviceCtrl::BeckhoffDeviceCtrl() : importCommand_(&parserContext_) {
  InitDeviceInfo();
  InitProperties();
}

BeckhoffDeviceCtrl::~BeckhoffDeviceCtrl() = default;

void BeckhoffDeviceCtrl::InitDeviceInfo() {
  driverName = texts::kDriverName;
  displayName = texts::kDisplayName;
  description = texts::kDescription;
  versionText = texts::kVersionText;
  reservedWord = 0;
  dataVersion = kDataVersion;
  attributeA = 0;
  attributeB = 0;
  attributeC = 0;
}

void BeckhoffDeviceCtrl::InitProperties() {
  properties = std::make_shared<DevicePropertyConfigWraper>();
  if (!properties) return;
  AddAdsProperties(*properties);
}

DEVICE::ParentConfig BeckhoffDeviceCtrl::MakeParentConfig() {
  return DEVICE::ParentConfig{"169.254.1.1", "169.254.1.190", 48898, 0, 1, 0};
}

int32_t BeckhoffDeviceCtrl::CheckChannels() {
  if (reimportFlag_ == 1) {
    ReportToHost(texts::kChannelInfoIncomplete, texts::kPleaseReimport);
    return -1;
  }
  return DeviceCtrl_Base::CheckChannels();
}

void BeckhoffDeviceCtrl::SetFileParser(std::shared_ptr<Fileparser> parser) { (void)ImportTagTree(std::move(parser)); }

DEVICE::TagTreeBuild BeckhoffDeviceCtrl::ImportTagTree(std::shared_ptr<Fileparser> parser) {
  const DEVICE::TagTreeBuild result = BuildTagTree(std::move(parser));
  if (result.Built()) reimportFlag_ = 0;
  return result;
}

void BeckhoffDeviceCtrl::CheckDataVersion(DevDeserialize& reader) {
  utils::MemoryBuffer section;
  if (!reader.GetSection(saved::kSectionVersion, section)) {
    reimportFlag_ = 1;
    return;
  }
  uint32_t reserved = 0;
  uint32_t version = 0;
  utils::ReadU32(section, reserved);
  utils::ReadU32(section, version);
  if (version < static_cast<uint32_t>(kDataVersion)) reimportFlag_ = 1;
}

bool BeckhoffDeviceCtrl::OnLoadDeviceData(DevDeserialize& reader) {
  CheckDataVersion(reader);
  return true;
}

bool BeckhoffDeviceCtrl::OnLoadRunBuffer(DevDeserialize& reader) {
  CheckDataVersion(reader);
  return true;
}

DEVICE::TagParserPtr BeckhoffDeviceCtrl::CreateTagParser() {
  auto parser = importCommand_.GetFileParser();
  if (!parser) return nullptr;
  return std::make_shared<BeckhoffTagParser>(parser->GetDataTypes(), &parserContext_);
}

DEVICE::stCallBack* BeckhoffDeviceCtrl::GetImportCallBack(DEVICE::CDevSelectTag* selector) {
  importCommand_.SetSink(selector);
  importCommand_.SetDevice(this, [this](std::shared_ptr<Fileparser> parser) { return ImportTagTree(std::move(parser)); });
  return &importCommand_;
}

}  // namespace Beckhoff
