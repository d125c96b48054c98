#include "runtime/posix/Mounts.h"

#include <algorithm>
#include <array>

namespace tavro {

namespace {

// Never a place for games, whatever device they name.
constexpr std::array<std::string_view, 27> kVirtual = {
    "proc",     "sysfs",      "tmpfs",      "devtmpfs",  "overlay",         "cgroup",     "cgroup2",
    "devpts",   "mqueue",     "securityfs", "debugfs",   "tracefs",         "pstore",     "bpf",
    "configfs", "fusectl",    "hugetlbfs",  "autofs",    "binfmt_misc",     "efivarfs",   "nsfs",
    "ramfs",    "rpc_pipefs", "squashfs",   "selinuxfs", "fuse.gvfsd-fuse", "fuse.portal"};

// Real without a device path: network and shared folders, and block file
// systems whose device is named otherwise (a label, a pool).
constexpr std::array<std::string_view, 20> kReal = {
    "ext2", "ext3", "ext4", "xfs",  "btrfs", "vfat",     "exfat", "ntfs", "ntfs3", "fuseblk",
    "nfs",  "nfs4", "cifs", "smb3", "9p",    "virtiofs", "zfs",   "f2fs", "udf",   "iso9660"};

// Folders of the system itself: never a place for games.
constexpr std::array<std::string_view, 5> kSystemFolders = {"/etc", "/proc", "/sys", "/dev",
                                                            "/run"};

bool UnderSystemFolder(std::string_view point) {
  return std::any_of(kSystemFolders.begin(), kSystemFolders.end(), [point](std::string_view f) {
    return point == f || (point.starts_with(f) && point[f.size()] == '/');
  });
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
    if (device.starts_with("/dev/") || Contains(kReal, type))
      points.push_back(Decode(fields[1]));
  }
  return points;
}

std::vector<std::string> DriveList(std::string_view mount_table) {
  std::vector<std::string> points;
  for (auto& point : RealMountPoints(mount_table)) {
    if (point != "/" && point.starts_with('/') && !UnderSystemFolder(point))
      points.push_back(std::move(point));
  }
  std::sort(points.begin(), points.end());
  points.erase(std::unique(points.begin(), points.end()), points.end());
  points.insert(points.begin(), "/");
  return points;
}

}  // namespace tavro
