#pragma once
// The writers and readers of a device's saved data: the property data
// (DevicePropertySerilize) and the device data, a container of numbered sections
// (DevSerialize writes it, DevDeserialize reads it). The layouts are in SavedFormat.h.
#include <cstdint>
#include <map>
#include <memory>
#include <vector>

#include "device/Property.h"
#include "device/SavedFormat.h"
#include "utils/memory.h"

class DevicePropertySerilize {
 public:
  virtual ~DevicePropertySerilize() = default;

  // Applies the records to the set; false only when the block as a whole is refused.
  virtual bool Deserialize(const std::shared_ptr<DevicePropertyConfigWraper>& set);
  // Writes every property of type code 0 to 3 in listing order; an empty set writes nothing.
  virtual bool Serialize(const std::shared_ptr<DevicePropertyConfigWraper>& set);

  std::vector<uint8_t>& Bytes() { return bytes_; }
  const std::vector<uint8_t>& Bytes() const { return bytes_; }

 private:
  std::vector<uint8_t> bytes_;
};

class DevBaseSerialize {
 public:
  virtual ~DevBaseSerialize() = default;
  // At least 20 bytes, magic 40000 and a total-size field equal to the buffer's size.
  virtual bool CheckHeader();

 protected:
  utils::MemoryBuffer buffer_;
};

class DevSerialize final : public DevBaseSerialize {
 public:
  // False, keeping the first buffer, when the number is already present.
  bool AddSection(uint32_t number, std::shared_ptr<utils::MemoryBuffer> section);
  // Lays out header, sections in ascending number and the section table in the own buffer.
  utils::imemorywrite& Finish();

 private:
  std::map<uint32_t, std::shared_ptr<utils::MemoryBuffer>> sections_;
  std::vector<saved::SectionEntry> table_;
};

class DevDeserialize final : public DevBaseSerialize {
 public:
  // Copies the bytes and reads the section table; false when the header is refused.
  bool Load(const utils::imemory& bytes);
  // Appends the section's bytes to the target; false when it is absent or lies outside.
  bool GetSection(uint32_t number, utils::imemorywrite& target) const;

 private:
  std::map<uint32_t, saved::SectionEntry> directory_;
};
