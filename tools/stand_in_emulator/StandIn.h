// What both builds of the stand-in emulator share: its name on screen, the
// size of its window, the record file it leaves beside itself and the line
// it shows. The record formats differ per platform; see the top of each .cpp.
#pragma once

#include <string>
#include <string_view>

namespace standin {

inline constexpr std::string_view kTitle = "Stand-in emulator";
inline constexpr std::string_view kRecordFileName = "received-command-line.txt";
// Right of the launcher's window (802 pixels wide at 96 DPI), which opens at
// the top-left corner of a screen without a window manager: the stand-in
// never covers it, so the launcher stays in view and within reach.
inline constexpr int kLeft = 860;
inline constexpr int kTop = 40;
inline constexpr int kWidth = 360;
inline constexpr int kHeight = 120;

// The game is the last argument, the way the launcher builds its command line.
inline std::string BodyText(std::string_view lastArgument) {
  if (lastArgument.empty()) {
    return "No game given";
  }
  return "Playing: " + std::string(lastArgument);
}

}  // namespace standin
