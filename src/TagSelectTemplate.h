#pragma once
// The tag selection dialog's template: its controls with their ids and roles, in the order the
// focus moves through them. Every backend builds the dialog from it; the module's resource
// script carries the same template for the window system.
#include "platform/DialogSurface.h"

namespace DEVICE {

platform::DialogTemplate TagSelectionTemplate();

}  // namespace DEVICE
