#pragma once

#include "runtime/Runtime.h"

namespace tavro {

// Tells the shell that file associations changed, so it redraws the icons it
// shows; the outcome is not looked at.
void RefreshShellIcons(ShellWindows& shell);

}  // namespace tavro
