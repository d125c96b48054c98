#pragma once
// A message box's text as it fits on the screen the box opens on.

#include <windows.h>

#include <string>

namespace tavro::win32 {

// prompt with every unbroken run too wide for the screen's work area
// shortened in its middle: the system's box wraps lines only between words
// and grows with the widest one, past the screen's edge.
std::string FitTextForBox(const std::string& prompt, HWND owner);

}  // namespace tavro::win32
