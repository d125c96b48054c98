#include "window/Module001_Icon32Bits.h"

namespace tavro {

void RefreshShellIcons(ShellWindows& shell) {
  shell.RefreshShellIcons();
}

}  // namespace tavro
