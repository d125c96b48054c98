#pragma once

#include <string>

#include "settings/DiscPattern.h"

namespace tavro {

class Form1;

// The settings the rest of the program reads, loaded once at start-up. Each
// starts as empty text and stays so when the settings file is missing.
struct LauncherSettings {
  std::string WinMode;
  std::string FullMode;
  std::string FileExe;
  std::string DirRpx;
  std::string DirWudWux;
  // The optional DiscPattern: what disc-image mode lists.
  DiscPattern Disc;
};

// Fills the form's LauncherSettings from the settings file and shows the
// disc-image folder in Dir1. When that fails the settings file is set aside
// and the program ends, so that the next start provisions a fresh one.
void LoadSettings(Form1& form);

// RpxMode: the selected game's .rpx, always named inside Dir1's folder's
// "code" subfolder.
void LaunchRpxGame(Form1& form);

}  // namespace tavro
