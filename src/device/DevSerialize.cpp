#include "device/DevSerialize.h"

#include <bit>
#include <cstring>
#include <string>

#include "utils/stream_io.h"

namespace {

constexpr size_t kHeaderSize = 20;
constexpr size_t kRecordHeaderSize = 16;

// Value tags of a property record.
constexpr uint32_t kTagUnsigned = 0;
constexpr uint32_t kTagUnsignedAlt = 1;
constexpr uint32_t kTagDouble = 2;
constexpr uint32_t kTagString = 3;
constexpr uint32_t kTagEnum = 4;

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
  std::vector<uint8_t> record(kRecordHeaderSize);
  AppendText(record, name);
  const uint32_t valueOffset = static_cast<uint32_t>(record.size());
  switch (tag) {
    case kTagDouble: {
      const uint64_t bits = std::bit_cast<uint64_t>(property.GetDouble());
      AppendU32(record, static_cast<uint32_t>(bits));
      AppendU32(record, static_cast<uint32_t>(bits >> 32));
      break;
    }
    case kTagString:
      AppendText(record, property.GetString());
      break;
    default:
      AppendU32(record, property.GetUInt());
      break;
  }
  utils::StoreU32(record.data(), static_cast<uint32_t>(record.size()));
  utils::StoreU32(record.data() + 4, tag);
  utils::StoreU32(record.data() + 8, version);
  utils::StoreU32(record.data() + 12, valueOffset);
  return record;
}

bool TagForType(uint32_t type, uint32_t& tag) {
  switch (type) {
    case DEVICE::kPropUnsigned: tag = kTagUnsigned; return true;
    case DEVICE::kPropDouble: tag = kTagDouble; return true;
    case DEVICE::kPropString: tag = kTagString; return true;
    case DEVICE::kPropEnum: tag = kTagEnum; return true;
    default: return false;
  }
}

// A bounds-checked view of the property data.
class BlockReader {
 public:
  explicit BlockReader(const std::vector<uint8_t>& bytes) : bytes_(bytes) {}

  bool Inside(uint64_t offset, uint64_t length) const {
    return offset <= bytes_.size() && length <= bytes_.size() - offset;
  }
  bool U32(uint64_t offset, uint32_t& value) const {
    if (!Inside(offset, 4)) return false;
    value = utils::LoadU32(bytes_.data() + offset);
    return true;
  }
  // The zero-terminated text at offset, at most `limit` bytes, all inside the block.
  bool Text(uint64_t offset, uint64_t limit, std::string& text) const {
    if (offset > bytes_.size()) return false;
    const uint64_t available = std::min<uint64_t>(limit, bytes_.size() - offset);
    const auto* start = reinterpret_cast<const char*>(bytes_.data() + offset);
    text.assign(start, strnlen(start, available));
    return true;
  }

 private:
  const std::vector<uint8_t>& bytes_;
};

void ApplyRecord(const BlockReader& block, uint64_t r, DevicePropertyConfigWraper& set) {
  uint32_t length = 0, tag = 0, version = 0, valueOffset = 0;
  if (!block.Inside(r, kRecordHeaderSize)) return;
  block.U32(r, length);
  block.U32(r + 4, tag);
  block.U32(r + 8, version);
  block.U32(r + 12, valueOffset);
  if (valueOffset < kRecordHeaderSize) return;

  std::string name;
  if (!block.Text(r + kRecordHeaderSize, valueOffset - kRecordHeaderSize, name)) return;
  const uint64_t at = r + valueOffset;

  uint32_t number = 0;
  uint32_t high = 0;
  std::string text;
  switch (tag) {
    case kTagUnsigned:
    case kTagUnsignedAlt:
    case kTagEnum:
      if (!block.U32(at, number)) return;
      break;
    case kTagDouble:
      if (!block.U32(at, number) || !block.U32(at + 4, high)) return;
      break;
    case kTagString:
      if (length < valueOffset || !block.Text(at, length - valueOffset, text)) return;
      break;
    default:
      return;
  }

  auto property = set.GetProperty(name);
  if (!property || set.GetVersion(name) != version) return;
  if (tag == kTagDouble) {
    property->SetDouble(std::bit_cast<double>(static_cast<uint64_t>(high) << 32 | number));
  } else if (tag == kTagString) {
    property->SetString(text);
  } else {
    property->SetUInt(number);
  }
}

}  // namespace

bool DevicePropertySerilize::Serialize(const std::shared_ptr<DevicePropertyConfigWraper>& set) {
  if (!set) return true;
  bytes_.assign(kHeaderSize, 0);
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
  utils::StoreU32(bytes_.data(), kSerializeMagic);
  utils::StoreU32(bytes_.data() + 4, static_cast<uint32_t>(offsets.size()));
  utils::StoreU32(bytes_.data() + 8, static_cast<uint32_t>(bytes_.size()));
  utils::StoreU32(bytes_.data() + 12, 0);
  utils::StoreU32(bytes_.data() + 16, tableOffset);
  return true;
}

bool DevicePropertySerilize::Deserialize(const std::shared_ptr<DevicePropertyConfigWraper>& set) {
  if (!set || bytes_.size() < kHeaderSize) return false;
  const BlockReader block(bytes_);
  uint32_t magic = 0, count = 0, total = 0, tableOffset = 0;
  block.U32(0, magic);
  block.U32(4, count);
  block.U32(8, total);
  block.U32(16, tableOffset);
  if (magic != kSerializeMagic || bytes_.size() < total) return false;
  if (!block.Inside(tableOffset, uint64_t{count} * 4)) return true;
  for (uint32_t i = 0; i < count; ++i) {
    uint32_t r = 0;
    block.U32(tableOffset + uint64_t{i} * 4, r);
    ApplyRecord(block, r, *set);
  }
  return true;
}

bool DevBaseSerialize::CheckHeader() {
  if (buffer_.Size() < kHeaderSize) return false;
  const unsigned char* data = buffer_.Data();
  return utils::LoadU32(data) == kSerializeMagic && utils::LoadU32(data + 4) == buffer_.Size();
}

bool DevSerialize::AddSection(uint32_t number, std::shared_ptr<utils::MemoryBuffer> section) {
  return sections_.emplace(number, std::move(section)).second;
}

utils::imemorywrite& DevSerialize::Finish() {
  buffer_.Reset();
  table_.clear();
  const unsigned char header[kHeaderSize] = {};
  buffer_.Write(header, kHeaderSize);
  for (const auto& [number, section] : sections_) {
    const uint64_t length = section ? section->Size() : 0;
    table_.push_back({number, static_cast<uint32_t>(buffer_.Size()), static_cast<uint32_t>(length)});
    if (length) buffer_.Write(section->Data(), length);
  }
  const uint32_t tableOffset = static_cast<uint32_t>(buffer_.Size());
  for (const auto& entry : table_) {
    utils::WriteU32(buffer_, entry.number);
    utils::WriteU32(buffer_, entry.offset);
    utils::WriteU32(buffer_, entry.length);
  }
  unsigned char* data = buffer_.Buffer();
  utils::StoreU32(data, kSerializeMagic);
  utils::StoreU32(data + 4, static_cast<uint32_t>(buffer_.Size()));
  utils::StoreU32(data + 8, 0);
  utils::StoreU32(data + 12, static_cast<uint32_t>(table_.size()));
  utils::StoreU32(data + 16, tableOffset);
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
  const unsigned char* data = buffer_.Data();
  const uint64_t total = utils::LoadU32(data + 4);
  const uint64_t count = utils::LoadU32(data + 12);
  const uint64_t tableOffset = utils::LoadU32(data + 16);
  if (tableOffset + 12 * count != total) return true;  // no sections
  for (uint64_t i = 0; i < count; ++i) {
    const unsigned char* at = data + tableOffset + 12 * i;
    const Entry entry{utils::LoadU32(at), utils::LoadU32(at + 4), utils::LoadU32(at + 8)};
    directory_[entry.number] = entry;
  }
  return true;
}

bool DevDeserialize::GetSection(uint32_t number, utils::imemorywrite& target) const {
  auto it = directory_.find(number);
  if (it == directory_.end()) return false;
  const Entry& entry = it->second;
  if (entry.offset > buffer_.Size() || entry.length > buffer_.Size() - entry.offset) return false;
  if (entry.length) target.Write(buffer_.Data() + entry.offset, entry.length);
  return true;
}
