#include "TagSelectTemplate.h"

#include "TagSeletList.h"
#include "device/Texts.h"
#include "platform/Text.h"

namespace DEVICE {

platform::DialogTemplate TagSelectionTemplate() {
  using platform::ControlKind;
  using platform::ControlRole;
  auto wide = [](const char* text) { return platform::AnsiToWide(text); };
  platform::DialogTemplate dialog;
  dialog.id = CTagSeletList::kTemplateId;
  dialog.title = wide(texts::kDialogTitle);
  dialog.units = {290, 225};
  dialog.controls = {
      {CTagSeletList::kImportButton, ControlKind::DefaultButton, ControlRole::Import, wide(texts::kTagImport), 1, 6, 50, 14},
      {CTagSeletList::kSearchEdit, ControlKind::Edit, ControlRole::SearchEdit, u"", 66, 7, 103, 14},
      {CTagSeletList::kFindButton, ControlKind::Button, ControlRole::FindButton, wide(texts::kFindNext), 222, 11, 65, 14},
      {CTagSeletList::kGridId, ControlKind::Custom, ControlRole::Grid, u"", 0, 28, 248, 142},
      {CTagSeletList::kKeepCheck, ControlKind::CheckBox, ControlRole::KeepCheck, wide(texts::kKeepUnselected), 0, 176, 166, 10},
      {platform::kIdOk, ControlKind::DefaultButton, ControlRole::Ok, wide(texts::kOk), 168, 207, 50, 14},
      {platform::kIdCancel, ControlKind::Button, ControlRole::Cancel, wide(texts::kCancel), 237, 207, 50, 14},
  };
  return dialog;
}

}  // namespace DEVICE
