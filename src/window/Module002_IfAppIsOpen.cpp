#include "window/Module002_IfAppIsOpen.h"

namespace tavro {

void ExitIfAlreadyRunning(Services& services) {
  if (services.PreviousInstance())
    services.End();
}

}  // namespace tavro
