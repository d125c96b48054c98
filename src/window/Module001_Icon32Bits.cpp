#include "window/Module001_Icon32Bits.h"

namespace tavro {

void RefreshShellIcons(Services& services) {
  services.RefreshShellIcons();
}

}  // namespace tavro
