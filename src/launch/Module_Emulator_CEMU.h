#pragma once
// Starting the emulator on the selected game.

#include <optional>
#include <string_view>

#include "runtime/Runtime.h"

namespace tavro {

class Form1;

// The emulator's command for the window's current choice: AppFolder +
// "\Emulator\" + FileExe, the mode text of the selected display mode, and
// Dir1's path + separator + File1's file name. None when neither display
// mode is selected.
std::optional<EmulatorCommand> BuildEmulatorCommand(Form1& form, std::string_view separator);

// The launch both library modes share; they differ only in the separator
// between the folder and the file name. Checks that the emulator is there
// ("Alert!" when not), starts it without waiting, and reports any failure in
// one "Error" box.
void LaunchGame(Form1& form, std::string_view separator);

// DiscImageMode: the selected disc image in Dir1's folder.
void LaunchDiscImage(Form1& form);

}  // namespace tavro
