#pragma once

#include <string>

#include "runtime/Runtime.h"

namespace tavro {

// Makes whatever is missing of the folder tree under the program's folder and,
// when the settings file is missing, writes it with its defaults. A failure
// shows "Error in Create Folders and Ini File" and start-up goes on.
void PrepareFirstStart(const std::string& app, Dialogs& dialogs);

}  // namespace tavro
