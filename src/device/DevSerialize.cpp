#include "device/DevSerialize.h"

#include <bit>
#include <string>

#include "platform/System.h"
#include "utils/stream_io.h"

namespace {

void AppendU32(std::vector<uint8_t>& out, uint32_t value) {
  const size_t at = out.size();
  out.resize(at + 4);
  utils::StoreU32(out.data() + at, value);
}

void AppendText(std::vector<uint8_t>& out, const std::string& text) {
  out.insert(out.end(), text.begin(), text.end());
  out.push_back(0);
}

// One property record: 16-byte header, name and zero byte, value.
std::vector<uint8_t> MakeRecord(const std::string& name, uint32_t tag, uint32_t version,
                                const DEVICE::stProperty& property) {
  std::vector<uint8_t> record(saved::kRecordHeaderSize);
  AppendText(record, name);
  const uint32_t valueOffset = static_cast<uint32_t>(record.size());
  switch (tag) {
    case saved::kTagDouble: {
      const uint64_t bits = std::bit_cast<uint64_t>(property.GetDouble());
      AppendU32(record, static_cast<uint32_t>(bits));
      AppendU32(record, static_cast<uint32_t>(bits >> 32));
      break;
    }
    case saved::kTagString:
      AppendText(record, property.GetString());
      break;
    default:
      AppendU32(record, property.GetUInt());
      break;
  }
  saved::StorePropertyRecordHeader(record.data(), {static_cast<uint32_t>(record.size()), tag, version, valueOffset});
  return record;
}

bool TagForType(uint32_t type, uint32_t& tag) {
  switch (type) {
    case DEVICE::kPropUnsigned: tag = saved::kTagUnsigned; return true;
    case DEVICE::kPropDouble: tag = saved::kTagDouble; return true;
    case DEVICE::kPropString: tag = saved::kTagString; return true;
    case DEVICE::kPropEnum: tag = saved::kTagEnum; return true;
    default: return false;
  }
}

void ApplyRecord(const utils::ByteSpan& block, uint64_t r, DevicePropertyConfigWraper& set) {
  saved::PropertyRecord record;
  if (saved::ReadPropertyRecord(block, r, record) != saved::RecordFault::None) return;
  auto property = set.GetProperty(record.name);
  if (!property || set.GetVersion(record.name) != record.header.version) return;
  switch (record.header.valueTag) {
    case saved::kTagDouble:
      property->SetDouble(record.real);
      break;
    case saved::kTagString:
      property->SetString(record.text);
      break;
    default:
      property->SetUInt(record.number);
      break;
  }
}

}  // namespace

bool DevicePropertySerilize::Serialize(const std::shared_ptr<DevicePropertyConfigWraper>& set) {
  if (!set) return true;
  bytes_.assign(saved::kBlockHeaderSize, 0);
  std::vector<uint32_t> offsets;
  for (const auto& [name, property] : set->GetPropertyList()) {
    uint32_t tag = 0;
    if (!property || !TagForType(property->GetType(), tag)) continue;
    offsets.push_back(static_cast<uint32_t>(bytes_.size()));
    const auto record = MakeRecord(property->GetName(), tag, set->GetVersion(name), *property);
    bytes_.insert(bytes_.end(), record.begin(), record.end());
  }
  const uint32_t tableOffset = static_cast<uint32_t>(bytes_.size());
  for (uint32_t offset : offsets) AppendU32(bytes_, offset);
  saved::StorePropertyDataHeader(bytes_.data(), {saved::kMagic, static_cast<uint32_t>(offsets.size()),
                                                 static_cast<uint32_t>(bytes_.size()), 0, tableOffset});
  return true;
}

bool DevicePropertySerilize::Deserialize(const std::shared_ptr<DevicePropertyConfigWraper>& set) {
  if (!set || bytes_.size() < saved::kBlockHeaderSize) return false;
  const utils::ByteSpan block(bytes_.data(), bytes_.size());
  saved::PropertyDataHeader header;
  saved::ReadPropertyDataHeader(block, header);
  if (header.magic != saved::kMagic || bytes_.size() < header.totalSize) return false;
  if (!block.Has(header.tableOffset, uint64_t{header.recordCount} * 4)) return true;
  for (uint32_t i = 0; i < header.recordCount; ++i) {
    uint32_t r = 0;
    block.U32(header.tableOffset + uint64_t{i} * 4, r);
    ApplyRecord(block, r, *set);
  }
  return true;
}

bool DevBaseSerialize::CheckHeader() {
  saved::DeviceDataHeader header;
  return saved::ReadDeviceDataHeader(utils::ByteSpan(buffer_.Data(), buffer_.Size()), header) &&
         saved::DeviceDataAccepted(header, buffer_.Size());
}

bool DevSerialize::AddSection(uint32_t number, std::shared_ptr<utils::MemoryBuffer> section) {
  return sections_.emplace(number, std::move(section)).second;
}

utils::imemorywrite& DevSerialize::Finish() {
  buffer_.Reset();
  table_.clear();
  uint64_t total = saved::kBlockHeaderSize + saved::kSectionEntrySize * sections_.size();
  for (const auto& entry : sections_) total += entry.second ? entry.second->Size() : 0;
  buffer_.Reserve(total);
  platform::AdviseBulkFill(buffer_.Buffer(), static_cast<size_t>(buffer_.Capacity()));
  const unsigned char header[saved::kBlockHeaderSize] = {};
  buffer_.Write(header, saved::kBlockHeaderSize);
  for (const auto& [number, section] : sections_) {
    const uint64_t length = section ? section->Size() : 0;
    table_.push_back({number, static_cast<uint32_t>(buffer_.Size()), static_cast<uint32_t>(length)});
    if (length) buffer_.Write(section->Data(), length);
  }
  const uint32_t tableOffset = static_cast<uint32_t>(buffer_.Size());
  for (const auto& entry : table_) {
    unsigned char bytes[saved::kSectionEntrySize];
    saved::StoreSectionEntry(bytes, entry);
    buffer_.Write(bytes, saved::kSectionEntrySize);
  }
  saved::StoreDeviceDataHeader(buffer_.Buffer(), {saved::kMagic, static_cast<uint32_t>(buffer_.Size()), 0,
                                                  static_cast<uint32_t>(table_.size()), tableOffset});
  return buffer_;
}

bool DevDeserialize::Load(const utils::imemory& bytes) {
  buffer_.Reset();
  directory_.clear();
  if (bytes.Size()) buffer_.Write(bytes.Data(), bytes.Size());
  if (!CheckHeader()) {
    buffer_.Reset();
    return false;
  }
  const utils::ByteSpan block(buffer_.Data(), buffer_.Size());
  saved::DeviceDataHeader header;
  saved::ReadDeviceDataHeader(block, header);
  if (!saved::SectionTableFits(header)) return true;  // no sections
  for (const auto& entry : saved::ReadSectionTable(block, header)) directory_[entry.number] = entry;
  return true;
}

bool DevDeserialize::GetSection(uint32_t number, utils::imemorywrite& target) const {
  auto it = directory_.find(number);
  if (it == directory_.end()) return false;
  const saved::SectionEntry& entry = it->second;
  if (entry.offset > buffer_.Size() || entry.length > buffer_.Size() - entry.offset) return false;
  if (entry.length) target.Write(buffer_.Data() + entry.offset, entry.length);
  return true;
}
