#pragma once
// The files the disc-image list shows: "*.wux;*.wud" unless the settings
// file's optional DiscPattern names others (the emulator also takes .wua
// archives, .wuhb homebrew and .iso images with -g).

#include <string>
#include <vector>

namespace tavro {

struct DiscPattern {
  std::string pattern = "*.wux;*.wud";        // File1's pattern in disc-image mode
  std::string caption = "Games *.wud *.wux";  // Frame1's caption in that mode
  // Taken out of a game's file name for its cover's, after ".rpx", ".wud"
  // and ".wux", which always are.
  std::vector<std::string> extensions;
};

// DiscPattern as the settings file gives it: masks separated by ";", as the
// list's own pattern is ("*.wud;*.wux;*.wua"). Blanks and tabs around a mask go. A
// value that would list whatever a folder holds is refused and gives the
// default, as a missing one does: an empty value or an empty mask, a mask
// that names no kind of file (only "*", "?" and "."; "*" and "*.*" list
// everything) or one holding a path separator.
DiscPattern ParseDiscPattern(const std::string& value);

}  // namespace tavro
