#include "device/DeviceCtrl_Base.h"

#include <new>

#include "TagSeletList.h"
#include "beckhoff/Fileparser.h"
#include "device/DevSerialize.h"
#include "device/HostInterface.h"
#include "device/Texts.h"
#include "platform/System.h"
#include "platform/Text.h"
#include "tag/InteriorDataTypeList.h"
#include "tag/TagParser.h"
#include "tag/VirtualTree.h"
#include "utils/stream_io.h"

namespace DEVICE {
namespace {

std::shared_ptr<utils::MemoryBuffer> BufferOf(const std::vector<uint8_t>& bytes) {
  auto buffer = std::make_shared<utils::MemoryBuffer>();
  if (!bytes.empty()) buffer->Write(bytes.data(), bytes.size());
  return buffer;
}

}  // namespace

DeviceCtrl_Base::DeviceCtrl_Base() : dataTypes(std::make_shared<InteriorDataTypeList>()) {}

DeviceCtrl_Base::~DeviceCtrl_Base() {
  tagTree.reset();  // the tree points into the type table: release it first
}

IDevSetInterface* DeviceCtrl_Base::SetHostInterface(IDevSetInterface* host) {
  hostInterface = host;
  channels.SetHostInterface(host);
  return host;
}

void DeviceCtrl_Base::ReportToHost(const std::string& object, const std::string& message) {
  if (!hostInterface || hostInterface->GetHostVersion() < 1) return;
  hostInterface->ReportError(platform::AnsiToWide(object), platform::AnsiToWide(message));
}

int32_t DeviceCtrl_Base::CheckChannels() {
  const auto& names = channels.Names();
  for (const auto& name : names) {
    if (tagTree && tagTree->Find(name)) continue;
    if (!hostInterface) return 0;
    ReportToHost(name, texts::kTagInfoIncomplete);
    return -1;
  }
  return 0;
}

int32_t DeviceCtrl_Base::OpenHelp() {
  const std::u16string program = platform::GetHostExecutablePath();
  if (program.empty()) return -1;
  const char16_t separator = static_cast<char16_t>(platform::PathSeparator());
  const size_t cut = program.rfind(separator);
  std::u16string path = cut == std::u16string::npos ? std::u16string() : program.substr(0, cut);
  path += separator;
  path += platform::AnsiToWide(driverName);
  return platform::ShellOpen(path) ? 0 : -1;
}

bool DeviceCtrl_Base::SetProperty(const std::string& name, std::shared_ptr<stProperty> property) {
  return properties && properties->SetProperty(name, property);
}

std::shared_ptr<stProperty> DeviceCtrl_Base::GetProperty(const std::string& name) {
  return properties ? properties->GetProperty(name) : nullptr;
}

PropertyMap DeviceCtrl_Base::GetPropertyList() { return properties ? properties->GetPropertyList() : PropertyMap{}; }

std::vector<CustomCommand> DeviceCtrl_Base::GetCustomCommands() { return {CustomCommand{texts::kTagImport, 0}}; }

bool DeviceCtrl_Base::RunCustomCommand(const CustomCommand& command) {
  if (command.name != texts::kTagImport || command.id != 0) return true;
  try {
    SelectTags();
  } catch (...) {
    return false;
  }
  return true;
}

ITree* DeviceCtrl_Base::FindTag(const std::string& fullName) {
  return tagTree ? tagTree->Find(fullName) : nullptr;
}

// The new types and tree are built beside the current ones and replace them only when the
// tree could be built: a file that describes too many tags, or a type that contains itself,
// leaves the device as it was.
void DeviceCtrl_Base::SetFileParser(std::shared_ptr<Fileparser> parser) { (void)BuildTagTree(std::move(parser)); }

TagTreeBuild DeviceCtrl_Base::BuildTagTree(std::shared_ptr<Fileparser> parser) {
  if (!parser) return {};
  auto table = std::make_shared<InteriorDataTypeList>();
  std::shared_ptr<ITree> root;
  try {
    TreeVisitor visitor(parser->GetDataTypes(), table);
    const auto& parsed = parser->GetSymbols();
    std::vector<Tag::TagVariable> symbols;
    platform::ReserveForFill(symbols, parsed.size());
    symbols.assign(parsed.begin(), parsed.end());
    uint64_t nodes = 0, leaves = 0;
    root = visitor.BuildTree(std::move(symbols), nodes, leaves);
    if (visitor.LastRefusal() == TreeVisitor::Refusal::TooLarge) return {texts::kTagTreeTooLarge};
    if (visitor.LastRefusal() == TreeVisitor::Refusal::Infinite) return {texts::kTagTreeCyclic};
  } catch (const std::bad_alloc&) {
    return {texts::kTagTreeNoMemory};
  }
  tagTree.swap(root);  // the old tree goes before the old table it points into
  root.reset();
  dataTypes.swap(table);
  return {};
}

bool DeviceCtrl_Base::SelectTags() {
  platform::ScopedModuleResources moduleResources;
  CDevSelectTag selector;
  selector.SetTagTree(tagTree.get());
  selector.SetTagList(&tagList);
  std::vector<std::u16string> current;
  for (const auto& name : channels.GetChannelNames()) current.push_back(platform::AnsiToWide(name));
  selector.SetSelectTag(current);

  stCallBack* command = GetImportCallBack(&selector);
  if (!command) return false;
  selector.SetImportCallBack(command);

  if (selector.DoModal()) {
    channels.ClearChannels();
    std::vector<std::u16string> chosen;
    selector.GetSelectTag(chosen);
    std::vector<std::string> names;
    names.reserve(chosen.size());
    for (const auto& name : chosen) names.push_back(platform::WideToAnsi(name));
    channels.AddChannel(names);
  }
  return true;
}

void DeviceCtrl_Base::RestoreProperties(const DevDeserialize& reader) {
  DevicePropertySerilize propertyData;
  utils::MemoryBuffer section;
  if (reader.GetSection(saved::kSectionProperties, section))
    propertyData.Bytes().assign(section.Data(), section.Data() + section.Size());
  propertyData.Deserialize(properties);
}

void DeviceCtrl_Base::RebuildTreeFromSection(const utils::imemory& section) {
  tagTree.reset();  // the old tree points into the table that is about to be cleared
  dataTypes->Clear();
  try {
    utils::memoryRef view(section.Data(), section.Size());
    dataTypes->Deserialize(&view);
    TreeVisitor visitor(dataTypes);
    uint64_t nodes = 0, leaves = 0;
    tagTree = visitor.CreateTree(nodes, leaves);
  } catch (const std::bad_alloc&) {
    // Saved data that needs more memory than there is loads without a tree.
    tagTree.reset();
    dataTypes->Clear();
  }
}

void DeviceCtrl_Base::WriteDeviceDataBlock(ByteArray& bytes) {
  DevSerialize writer;
  DevicePropertySerilize propertyData;
  propertyData.Serialize(properties);
  writer.AddSection(saved::kSectionProperties, BufferOf(propertyData.Bytes()));

  auto version = std::make_shared<utils::MemoryBuffer>();
  utils::WriteU32(*version, static_cast<uint32_t>(reservedWord));
  utils::WriteU32(*version, static_cast<uint32_t>(dataVersion));
  writer.AddSection(saved::kSectionVersion, version);

  auto types = std::make_shared<utils::MemoryBuffer>();
  dataTypes->Serialize(types.get());
  writer.AddSection(saved::kSectionDataTypes, types);

  const utils::imemorywrite& block = writer.Finish();
  types->Reset();  // laid out in the block: the table need not stay beside the copy made next
  bytes.clear();
  platform::ReserveForFill(bytes, static_cast<size_t>(block.Size()));
  bytes.assign(block.Data(), block.Data() + block.Size());
}

bool DeviceCtrl_Base::LoadDeviceData(const utils::imemory& block, LoadHook hook) {
  DevDeserialize reader;
  if (!reader.Load(block)) return false;
  RestoreProperties(reader);
  utils::MemoryBuffer types;
  reader.GetSection(saved::kSectionDataTypes, types);
  if (!dataTypes) return false;
  RebuildTreeFromSection(types);
  if (hook == LoadHook::DeviceData) {
    OnLoadDeviceData(reader);
  } else {
    OnLoadRunBuffer(reader);
  }
  return true;
}

bool DeviceCtrl_Base::SerializeDevData(ByteArray& bytes, bool load) {
  if (!dataTypes) return false;
  if (!load) {
    WriteDeviceDataBlock(bytes);
    return true;
  }
  LoadDeviceData(utils::memoryRef(bytes.data(), bytes.size()), LoadHook::DeviceData);
  return true;
}

bool DeviceCtrl_Base::WriteDevData(ByteArray& bytes) {
  channels.RefreshFromReadyHost(hostInterface);
  if (!dataTypes) return false;
  WriteDeviceDataBlock(bytes);
  return true;
}

bool DeviceCtrl_Base::SerializeRunBuffer(ByteArray& bytes) {
  ByteArray deviceData;
  if (!WriteDevData(deviceData)) return false;
  const auto& names = channels.GetChannelNames();
  bytes.clear();
  platform::ReserveForFill(bytes, static_cast<size_t>(saved::RunBufferSize(deviceData.size(), names)));
  saved::ComposeRunBuffer(bytes, utils::ByteSpan(deviceData.data(), deviceData.size()), names);
  return true;
}

void DeviceCtrl_Base::DeSerializeRunBuffer(const ByteArray& bytes) {
  const utils::ByteSpan file(bytes.data(), bytes.size());
  saved::RunBufferHeader header;
  if (!saved::ReadRunBufferHeader(file, header)) return;
  if (header.deviceLength != 0) {
    const utils::ByteSpan block = file.Sub(saved::kRunBufferHeaderSize, header.deviceLength);
    if (block.size() != header.deviceLength) return;
    if (!LoadDeviceData(utils::memoryRef(block.data(), block.size()), LoadHook::RunBuffer)) return;
  }
  if (header.namesLength == 0) return;
  uint64_t at = saved::RunBufferNamesAt(header);
  uint32_t count = 0;
  if (!file.U32(at, count)) return;
  at += 4;
  saved::ReadTagNames(file, at, count, [this](uint64_t, std::string name) { channels.AddChannel({std::move(name)}); });
}

}  // namespace DEVICE
