#pragma once
// The drives of the drive list on Linux: the mount points of real file
// systems.

#include <sys/types.h>

#include <string>
#include <string_view>
#include <vector>

namespace tavro {

// The mount points in a mount table (the text of /proc/self/mounts) that hold
// real file systems: block devices, network and shared folders, the user's
// FUSE mounts; no kernel or memory file systems. Decoded (\040 is a blank),
// in table order, repeats kept.
std::vector<std::string> RealMountPoints(std::string_view mount_table);

// The drive list from a mount table: "/" first, then the other real mount
// points sorted, each once, wherever they are (/media, /mnt, /run/media/USER,
// a home folder) except the system's own folders (/etc, /proc, /sys, /dev,
// and /run but for /run/media and /run/user/`user`), where containers bind
// single files such as /etc/hosts and no games live, and hidden folders.
// Decided from the table alone: no mount is visited, so a dead network mount
// cannot hang the caller.
std::vector<std::string> DriveList(std::string_view mount_table, uid_t user);

}  // namespace tavro
