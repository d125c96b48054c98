#pragma once

#include <string>

#include "runtime/Runtime.h"

namespace tavro {

// Makes whatever is missing of the folder tree under the program's folder and,
// when the settings file is missing, writes it with its defaults in one
// replacing write. A failure to make a folder shows "Error in Create Folders
// and Ini File" and start-up goes on.
void PrepareFirstStart(const std::string& app, Dialogs& dialogs);

// Removes what a replacing write of the settings file or of the donation
// page left behind when the program was ended midway: ordinary files in the
// program's folder named exactly like their temporary files
// ("Tavro_FrontEnd.ini.tmp-<digits>-<digits>"), nothing else. Called only
// once the instance check has passed. Never throws, never shows anything.
void RemoveStaleTemporaryFiles(const std::string& app);

}  // namespace tavro
