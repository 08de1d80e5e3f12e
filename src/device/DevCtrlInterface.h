#pragma once
// The device control as the host sees it (DevCtrlInterface, slots 0 to 21) and with the
// operations on the device's PLC tags (DevCtrlTag, slots 22 to 26). Narrow strings are bytes
// in the system ANSI code page.
#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "device/Property.h"

class IDevSetInterface;
class Fileparser;

namespace DEVICE {

class ITree;

struct CustomCommand {
  std::string name;
  uint32_t id = 0;
};

// Default network endpoints of the device.
struct ParentConfig {
  std::string remoteIp;
  std::string localIp;
  uint32_t port = 0;
  uint32_t option1 = 0;
  uint32_t option2 = 0;
  uint32_t option3 = 0;
};

// Extra configuration record of a device kind; the ADS device hands it back unchanged.
struct ExtraConfig {
  uint32_t words[4] = {};
};

using ByteArray = std::vector<uint8_t>;
using PropertyMap = DevicePropertyConfigWraper::PropertyList;
using TagList = std::vector<std::string>;

class DevCtrlInterface {
 public:
  virtual ~DevCtrlInterface() = default;                                            // 0
  virtual uint32_t GetReserved() = 0;                                               // 1
  virtual int32_t GetAttributeA() = 0;                                              // 2
  virtual IDevSetInterface* SetHostInterface(IDevSetInterface* host) = 0;           // 3
  virtual int32_t CheckChannels() = 0;                                              // 4
  virtual int32_t OpenHelp() = 0;                                                   // 5
  virtual std::string GetDriverName() = 0;                                          // 6
  virtual int32_t GetAttributeC() = 0;                                              // 7
  virtual std::string GetDisplayName() = 0;                                         // 8
  virtual std::string GetDescription() = 0;                                         // 9
  virtual int32_t GetAttributeB() = 0;                                              // 10
  virtual ExtraConfig GetExtraConfig() = 0;                                         // 11
  virtual ParentConfig GetParentConfig() = 0;                                       // 12
  virtual std::string GetVersionText() = 0;                                         // 13
  virtual int32_t GetDataVersion() = 0;                                             // 14
  virtual bool SerializeDevData(ByteArray& bytes, bool load) = 0;                   // 15
  virtual bool WriteDevData(ByteArray& bytes) = 0;                                  // 16
  virtual bool SetProperty(const std::string& name, std::shared_ptr<stProperty> property) = 0;  // 17
  virtual std::shared_ptr<stProperty> GetProperty(const std::string& name) = 0;     // 18
  virtual PropertyMap GetPropertyList() = 0;                                        // 19
  virtual std::vector<CustomCommand> GetCustomCommands() = 0;                       // 20
  virtual bool RunCustomCommand(const CustomCommand& command) = 0;                  // 21
};

class DevCtrlTag : public DevCtrlInterface {
 public:
  virtual ITree* GetTagTree() = 0;                                                  // 22
  virtual ITree* FindTag(const std::string& fullName) = 0;                          // 23
  virtual TagList* GetTagList() = 0;                                                // 24
  virtual void SetFileParser(std::shared_ptr<Fileparser> parser) = 0;               // 25
  virtual bool SelectTags() = 0;                                                    // 26
};

}  // namespace DEVICE
