#include "runtime/posix/Mounts.h"

#include <algorithm>
#include <array>
#include <string>

namespace tavro {

namespace {

// Never a place for games, whatever device they name.
constexpr std::array<std::string_view, 25> kVirtual = {
    "proc",     "sysfs",      "tmpfs",      "devtmpfs", "overlay",     "cgroup",   "cgroup2",
    "devpts",   "mqueue",     "securityfs", "debugfs",  "tracefs",     "pstore",   "bpf",
    "configfs", "fusectl",    "hugetlbfs",  "autofs",   "binfmt_misc", "efivarfs", "nsfs",
    "ramfs",    "rpc_pipefs", "squashfs",   "selinuxfs"};

// Real without a device path: network and shared folders, and block file
// systems whose device is named otherwise (a label, a pool).
constexpr std::array<std::string_view, 20> kReal = {
    "ext2", "ext3", "ext4", "xfs",  "btrfs", "vfat",     "exfat", "ntfs", "ntfs3", "fuseblk",
    "nfs",  "nfs4", "cifs", "smb3", "9p",    "virtiofs", "zfs",   "f2fs", "udf",   "iso9660"};

// FUSE file systems that are not the user's storage: files handed to
// sandboxed programs, a container's stand-in /proc, packages and container
// layers mounted as folders, a virtual machine's drag-and-drop. Every other
// FUSE mount (sshfs, rclone, mergerfs, the desktop's network places through
// gvfs or kio-fuse) is a place the user put files.
constexpr std::array<std::string_view, 7> kFuseNotStorage = {
    "fuse.portal",         "fuse.lxcfs",         "fuse.snapfuse",      "fuse.squashfuse",
    "fuse.fuse-overlayfs", "fuse.revokefs-fuse", "fuse.vmware-vmblock"};

// Folders of the system itself: never a place for games.
constexpr std::array<std::string_view, 4> kSystemFolders = {"/etc", "/proc", "/sys", "/dev"};

bool Below(std::string_view point, std::string_view folder) {
  return point.size() > folder.size() && point.starts_with(folder) && point[folder.size()] == '/';
}

bool AtOrBelow(std::string_view point, std::string_view folder) {
  return point == folder || Below(point, folder);
}

// Where a mount point is a place for games. Under /run only removable disks
// (/run/media/USER/...) and this user's own mounts (/run/user/UID/...) are:
// the rest of /run is the system's, and containers bind files there. A
// mount point in a hidden folder (an AppImage's /tmp/.mount_X, a container's
// /run/.containerenv) is some program's own.
bool PlaceForGames(std::string_view point, uid_t user) {
  if (point == "/" || !point.starts_with('/') || point.find("/.") != std::string_view::npos)
    return false;
  if (std::any_of(kSystemFolders.begin(), kSystemFolders.end(),
                  [point](std::string_view f) { return AtOrBelow(point, f); }))
    return false;
  if (AtOrBelow(point, "/run"))
    return Below(point, "/run/media") || Below(point, "/run/user/" + std::to_string(user));
  return true;
}

bool Contains(auto const& list, std::string_view value) {
  return std::find(list.begin(), list.end(), value) != list.end();
}

bool IsOctal(char c) {
  return c >= '0' && c <= '7';
}

// The kernel writes blank, tab, line end and backslash in a field as \ooo.
std::string Decode(std::string_view field) {
  std::string out;
  for (std::size_t i = 0; i < field.size(); ++i) {
    if (field[i] == '\\' && i + 3 < field.size() && IsOctal(field[i + 1]) &&
        IsOctal(field[i + 2]) && IsOctal(field[i + 3])) {
      out += static_cast<char>((field[i + 1] - '0') * 64 + (field[i + 2] - '0') * 8 +
                               (field[i + 3] - '0'));
      i += 3;
    } else {
      out += field[i];
    }
  }
  return out;
}

std::vector<std::string_view> Fields(std::string_view line) {
  std::vector<std::string_view> fields;
  std::size_t pos = 0;
  while (pos < line.size()) {
    const auto start = line.find_first_not_of(" \t", pos);
    if (start == std::string_view::npos)
      break;
    const auto stop = line.find_first_of(" \t", start);
    fields.push_back(line.substr(start, stop == std::string_view::npos ? stop : stop - start));
    pos = stop;
  }
  return fields;
}

}  // namespace

std::vector<std::string> RealMountPoints(std::string_view mount_table) {
  std::vector<std::string> points;
  std::size_t pos = 0;
  while (pos < mount_table.size()) {
    auto stop = mount_table.find('\n', pos);
    if (stop == std::string_view::npos)
      stop = mount_table.size();
    const auto fields = Fields(mount_table.substr(pos, stop - pos));
    pos = stop + 1;
    if (fields.size() < 3)
      continue;
    const std::string_view device = fields[0];
    const std::string_view type = fields[2];
    if (Contains(kVirtual, type))
      continue;
    const bool user_fuse =
        (type == "fuse" || type.starts_with("fuse.")) && !Contains(kFuseNotStorage, type);
    if (device.starts_with("/dev/") || Contains(kReal, type) || user_fuse)
      points.push_back(Decode(fields[1]));
  }
  return points;
}

std::vector<std::string> DriveList(std::string_view mount_table, uid_t user) {
  std::vector<std::string> points;
  for (auto& point : RealMountPoints(mount_table)) {
    if (PlaceForGames(point, user))
      points.push_back(std::move(point));
  }
  std::sort(points.begin(), points.end());
  points.erase(std::unique(points.begin(), points.end()), points.end());
  points.insert(points.begin(), "/");
  return points;
}

}  // namespace tavro
