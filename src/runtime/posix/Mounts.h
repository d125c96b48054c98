#pragma once
// The drives of the drive list on Linux: the mount points of real file
// systems.

#include <string>
#include <string_view>
#include <vector>

namespace tavro {

// The mount points in a mount table (the text of /proc/self/mounts) that hold
// real file systems: block devices, network and shared folders; no kernel or
// memory file systems. Decoded (\040 is a blank), in table order, repeats
// kept.
std::vector<std::string> RealMountPoints(std::string_view mount_table);

}  // namespace tavro
