#include "platform/DialogSurface.h"
#include "platform/UserInterface.h"

namespace platform {

// Without a window system of its own the process answers dialogs only through a backend
// that a host or a test installs.
UserInterface* NativeUserInterface() { return nullptr; }
DialogBackend* NativeDialogBackend() { return nullptr; }

}  // namespace platform
