#pragma once
// What the system relies on of the host: the channel object exchanged with it and the
// interfaces it hands to a device control. Slots are in virtual-table order; the slots this
// system never calls are the host's own and have neutral defaults here.
#include <cstdint>
#include <string>
#include <vector>

namespace DEVICE {

// A channel as exchanged with the host.
class stChlInfo {
 public:
  virtual ~stChlInfo() = default;
  virtual std::u16string GetChlName() const = 0;
  virtual std::u16string GetChlExtra() const = 0;
};

}  // namespace DEVICE

class IDevSetInterface {
 public:
  virtual uint32_t GetHostVersion() = 0;                                                 // slot 0
  virtual uint32_t HostSlot1() { return 0; }                                             // slot 1
  virtual uint32_t HostSlot2() { return 0; }                                             // slot 2
  virtual uint32_t HostSlot3() { return 0; }                                             // slot 3
  virtual uint32_t HostSlot4() { return 0; }                                             // slot 4
  virtual void ReportError(const std::u16string& object, const std::u16string& message) = 0;  // slot 5
  virtual uint32_t HostSlot6() { return 0; }                                             // slot 6

 protected:
  // The host owns its interfaces; the module never deletes them.
  ~IDevSetInterface() = default;
};

class IDevSetInterfaceEx : public IDevSetInterface {
 public:
  // The host's current channels in its order; entries may be null.
  virtual void GetChannels(std::vector<DEVICE::stChlInfo*>& channels) = 0;  // slot 7
  virtual bool IsChannelListReady() = 0;                                   // slot 8

 protected:
  ~IDevSetInterfaceEx() = default;
};

class IDevSetInterfaceEx2 : public IDevSetInterfaceEx {
 public:
  // Takes new channels; the host copies what it keeps before returning.
  virtual bool AddChannels(const std::vector<DEVICE::stChlInfo*>& channels) = 0;  // slot 9

 protected:
  ~IDevSetInterfaceEx2() = default;
};
