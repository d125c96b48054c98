#pragma once
// Hides and shows the desktop and the taskbar. Each call looks its windows up
// afresh; when there are none, nothing is done and nothing is reported.

#include "runtime/Runtime.h"

namespace tavro {

// Shows or hides the desktop, enabling or disabling its input with it.
void SetDesktopVisible(ShellWindows& shell, bool visible);
// Shows or hides the taskbar; it is never disabled.
void SetTaskbarVisible(ShellWindows& shell, bool visible);

}  // namespace tavro
