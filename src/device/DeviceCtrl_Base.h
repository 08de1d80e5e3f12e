#pragma once
// The framework base of every device control: identity texts and numbers, the property set,
// the channel table, the PLC data types with the tag tree built over them, the tag selection
// command, the channel check before generation and the saving of the device's data.
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "device/ChlInfoTable.h"
#include "device/DevCtrlInterface.h"
#include "device/TagTreeBuild.h"

class InteriorDataTypeList;
namespace utils {
class imemory;
}
class DevDeserialize;
template <typename Type, typename Variable, typename Text>
class LabelParser;

namespace Tag {
class TagDataType;
struct TagVariable;
}  // namespace Tag

namespace DEVICE {

class CDevSelectTag;
class stCallBack;

using TagParserPtr = std::shared_ptr<LabelParser<Tag::TagDataType, Tag::TagVariable, std::string>>;

class DeviceCtrl_Base : public DevCtrlTag {
 public:
  DeviceCtrl_Base();
  ~DeviceCtrl_Base() override;
  DeviceCtrl_Base(const DeviceCtrl_Base&) = delete;
  DeviceCtrl_Base& operator=(const DeviceCtrl_Base&) = delete;

  uint32_t GetReserved() override { return 0; }
  int32_t GetAttributeA() override { return attributeA; }
  IDevSetInterface* SetHostInterface(IDevSetInterface* host) override;
  int32_t CheckChannels() override;
  int32_t OpenHelp() override;
  std::string GetDriverName() override { return driverName; }
  int32_t GetAttributeC() override { return attributeC; }
  std::string GetDisplayName() override { return displayName; }
  std::string GetDescription() override { return description; }
  int32_t GetAttributeB() override { return attributeB; }
  ExtraConfig GetExtraConfig() override { return MakeExtraConfig(ExtraConfig{}); }
  ParentConfig GetParentConfig() override { return MakeParentConfig(); }
  std::string GetVersionText() override { return versionText; }
  int32_t GetDataVersion() override { return dataVersion; }
  bool SerializeDevData(ByteArray& bytes, bool load) override;
  bool WriteDevData(ByteArray& bytes) override;
  bool SetProperty(const std::string& name, std::shared_ptr<stProperty> property) override;
  std::shared_ptr<stProperty> GetProperty(const std::string& name) override;
  PropertyMap GetPropertyList() override;
  std::vector<CustomCommand> GetCustomCommands() override;
  bool RunCustomCommand(const CustomCommand& command) override;

  ITree* GetTagTree() override { return tagTree.get(); }
  ITree* FindTag(const std::string& fullName) override;
  TagList* GetTagList() override { return &tagList; }
  void SetFileParser(std::shared_ptr<Fileparser> parser) override;
  bool SelectTags() override;

  virtual void InitDeviceInfo() = 0;                                   // 27
  virtual void InitProperties() = 0;                                   // 28
  virtual ExtraConfig MakeExtraConfig(ExtraConfig record) = 0;         // 29
  virtual ParentConfig MakeParentConfig() = 0;                         // 30
  virtual bool DeviceDataHook(void* argument) = 0;                     // 31
  virtual bool OnLoadDeviceData(DevDeserialize& reader) = 0;           // 32
  virtual bool RunBufferHook(void* argument) = 0;                      // 33
  virtual bool OnLoadRunBuffer(DevDeserialize& reader) = 0;            // 34
  virtual TagParserPtr CreateTagParser() = 0;                          // 35
  virtual stCallBack* GetImportCallBack(CDevSelectTag* selector) = 0;  // 36

  // The run buffer: device data followed by the channels' tag names.
  bool SerializeRunBuffer(ByteArray& bytes);
  void DeSerializeRunBuffer(const ByteArray& bytes);

  // Sends a report to a host of interface version 1 or above; otherwise does nothing.
  void ReportToHost(const std::string& object, const std::string& message);

  // Slot 25 without its result: builds the new types and tree beside the current ones and
  // swaps them in only when the tree could be built.
  TagTreeBuild BuildTagTree(std::shared_ptr<Fileparser> parser);

  stChlInfoTable& Channels() { return channels; }
  IDevSetInterface* HostInterface() const { return hostInterface; }
  const std::shared_ptr<DevicePropertyConfigWraper>& Properties() const { return properties; }

 protected:
  enum class LoadHook { DeviceData, RunBuffer };
  // Loads a device-data block: section 1 into the properties, section 100 into the data types
  // and the tag tree, then the device's load hook (which reads section 99). False, changing
  // nothing, when the block is refused.
  bool LoadDeviceData(const utils::imemory& block, LoadHook hook);
  // Applies section 1 of loaded device data to the property set.
  void RestoreProperties(const DevDeserialize& reader);
  // Rebuilds the data types and the tag tree from a section 100 (saved type-node table).
  void RebuildTreeFromSection(const utils::imemory& section);
  // The device data block: section 1 properties, 99 version words, 100 type-node table.
  void WriteDeviceDataBlock(ByteArray& bytes);

  std::string driverName;
  std::string displayName;
  std::string description;
  std::string versionText;
  int32_t reservedWord = 0;
  int32_t dataVersion = 0;
  int32_t attributeA = 0;
  int32_t attributeB = 5;
  int32_t attributeC = -1;
  IDevSetInterface* hostInterface = nullptr;
  stChlInfoTable channels;
  std::shared_ptr<DevicePropertyConfigWraper> properties;
  TagList tagList;
  std::shared_ptr<ITree> tagTree;
  std::shared_ptr<InteriorDataTypeList> dataTypes;
};

}  // namespace DEVICE
