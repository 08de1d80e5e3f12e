#pragma once
// The module that dialog templates and other resources are loaded from. The host program's
// own module until the driver makes itself the current one (ScopedModuleResources).
#include "platform/win32/WideWin32.h"

namespace platform::win32 {

HMODULE CurrentResourceModule();

}  // namespace platform::win32
