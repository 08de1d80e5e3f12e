#include "device/CallBackImport.h"

#include "TagSeletList.h"
#include "beckhoff/BeckhoffFileparser.h"
#include "device/DevCtrlInterface.h"
#include "device/Texts.h"
#include "platform/Text.h"
#include "platform/UserInterface.h"

namespace {

void ShowMessage(const char* ansiText) {
  platform::CurrentUserInterface().ShowMessageBox(platform::AnsiToWide(ansiText), platform::MessageBoxIcon::None);
}

}  // namespace

stCallBackImport::stCallBackImport(void* owner) : parser_(std::make_shared<Beckhoff::BeckhoffFileparser>(owner)) {}

stCallBackImport::~stCallBackImport() = default;

std::shared_ptr<Fileparser> stCallBackImport::GetFileParser() { return parser_; }

bool stCallBackImport::ImportTagFile() {
  platform::FileDialogRequest request;
  request.openMode = true;
  request.filter = u"tpy(*.tpy)|*.tpy||";
  request.defaultExtension = u"tpy(*.tpy)|*.tpy";
  request.options = platform::kHideReadOnly | platform::kOverwritePrompt;
  const auto chosen = platform::CurrentUserInterface().ShowFileDialog(request);
  if (!chosen) return false;

  const std::string path = platform::WideToMultiByte(platform::kCodePageThreadAnsi, *chosen);
  if (path.empty()) {
    ShowMessage(texts::kChooseTpyFile);
    return false;
  }
  if (!parser_->LoadFile(path)) {
    ShowMessage(texts::kOpenTagFileFailed);
    return false;
  }
  parser_->ReadDataTypes();
  parser_->ReadSymbols();
  return true;
}

bool stCallBackImport::Execute() {
  if (!ImportTagFile()) return false;
  if (device_ && build_) {
    const DEVICE::TagTreeBuild result = build_(GetFileParser());
    if (!result.Built()) {
      ShowMessage(result.refusal);
      return false;
    }
  }
  if (sink_ && device_) sink_->SetTagTree(device_->GetTagTree());
  return true;
}
