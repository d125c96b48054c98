#include "window/Module002_IfAppIsOpen.h"

namespace tavro {

void ExitIfAlreadyRunning(Processes& process) {
  if (process.PreviousInstance())
    process.End();
}

}  // namespace tavro
