#pragma once

#include <functional>

#include "runtime/Runtime.h"

namespace tavro {

// Runs an event handler for a view. Whatever escapes the handler is shown in
// a message box titled "Error" and the program goes on: an error never ends
// the program.
void RunEvent(Dialogs& services, const std::function<void()>& handler) noexcept;

}  // namespace tavro
