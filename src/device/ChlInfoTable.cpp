#include "device/ChlInfoTable.h"

#include <memory>

#include "platform/Text.h"

namespace DEVICE {
namespace {

// The table's own channel object: just the name.
class stChlInfoDevCtrl final : public stChlInfo {
 public:
  explicit stChlInfoDevCtrl(std::u16string name) : name_(std::move(name)) {}
  std::u16string GetChlName() const override { return name_; }
  std::u16string GetChlExtra() const override { return {}; }

 private:
  std::u16string name_;
};

// Sets names[i] to host channel i; the list takes the host's length and null entries keep
// the old name.
void CopyHostNames(const std::vector<stChlInfo*>& channels, std::vector<std::string>& names) {
  names.resize(channels.size());
  for (size_t i = 0; i < channels.size(); ++i)
    if (channels[i]) names[i] = platform::WideToAnsi(channels[i]->GetChlName());
}

}  // namespace

bool stChlInfoTable::AddChannel(const std::vector<std::string>& names) {
  for (const auto& name : names) {
    if (!added_.insert(name).second) continue;
    try {
      names_.push_back(name);
    } catch (...) {
      added_.erase(name);  // a name in the set but not in the list could never be added again
      throw;
    }
  }

  if (!host_ || host_->GetHostVersion() != 2) return true;
  auto* host = dynamic_cast<IDevSetInterfaceEx2*>(host_);
  if (!host) return true;
  try {
    std::vector<std::shared_ptr<stChlInfo>> objects;
    std::vector<stChlInfo*> pointers;
    objects.reserve(names.size());
    pointers.reserve(names.size());
    for (const auto& name : names) {
      objects.push_back(std::make_shared<stChlInfoDevCtrl>(platform::AnsiToWide(name)));
      pointers.push_back(objects.back().get());
    }
    return host->AddChannels(pointers);
  } catch (...) {
    return true;  // a failed hand-over counts as success; the local list keeps the names
  }
}

bool stChlInfoTable::DeleteChannel(size_t index) {
  if (index >= names_.size()) return false;
  added_.erase(names_[index]);
  names_.erase(names_.begin() + static_cast<std::ptrdiff_t>(index));
  return true;
}

void stChlInfoTable::ClearChannels() {
  names_.clear();
  added_.clear();
}

std::string stChlInfoTable::GetChannelName(size_t index) const {
  return index < names_.size() ? names_[index] : std::string();
}

const std::vector<std::string>& stChlInfoTable::GetChannelNames() {
  auto* host = dynamic_cast<IDevSetInterfaceEx2*>(host_);
  if (!host) return names_;
  try {
    std::vector<stChlInfo*> channels;
    host->GetChannels(channels);
    CopyHostNames(channels, names_);
  } catch (...) {
    // The list stays as far as it was updated.
  }
  return names_;
}

void stChlInfoTable::RefreshFromReadyHost(IDevSetInterface* host) {
  auto* extended = dynamic_cast<IDevSetInterfaceEx*>(host);
  if (!extended) return;
  // As in GetChannelNames: a host that fails leaves the list as far as it was updated, and
  // the save that asked goes on with it.
  try {
    if (!extended->IsChannelListReady()) return;
    std::vector<stChlInfo*> channels;
    extended->GetChannels(channels);
    CopyHostNames(channels, names_);
  } catch (...) {
  }
}

}  // namespace DEVICE
