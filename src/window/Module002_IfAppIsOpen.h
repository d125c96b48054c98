#pragma once

#include "runtime/Runtime.h"

namespace tavro {

// Returns only when no other instance of the program runs; a second instance
// ends here, silently, before it touches the disk.
void ExitIfAlreadyRunning(Processes& process);

}  // namespace tavro
