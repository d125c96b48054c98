// The drive list on Linux: "/" and the mount points of real file systems.
#include <gtest/gtest.h>

#include <algorithm>
#include <set>

#include "runtime/posix/Mounts.h"
#include "ProbeServices.h"

namespace tavro {
namespace {

using Points = std::vector<std::string>;

TEST(RealMountPoints, KeepsDisksAndSharesAndDropsKernelFileSystems) {
  const std::string table =
      "proc /proc proc rw,nosuid 0 0\n"
      "sysfs /sys sysfs rw 0 0\n"
      "/dev/nvme0n1p2 / ext4 rw,relatime 0 0\n"
      "tmpfs /run tmpfs rw 0 0\n"
      "/dev/sdb1 /media/me/My\\040Games vfat rw 0 0\n"
      "overlay /var/lib/docker/overlay2/x/merged overlay rw 0 0\n"
      "server:/export /mnt/nfs nfs4 rw 0 0\n"
      "//nas/games /mnt/nas cifs rw 0 0\n"
      "tank/home /home zfs rw 0 0\n"
      "cgroup2 /sys/fs/cgroup cgroup2 rw 0 0\n"
      "/dev/loop3 /snap/core/1 squashfs ro 0 0\n"
      "/dev/sdc1 /media/me/back\\134slash\\011tab ntfs3 rw 0 0\n"
      "gvfsd-fuse /run/user/1000/gvfs fuse.gvfsd-fuse rw 0 0\n"
      "me@host:/games /home/me/remote fuse.sshfs rw 0 0\n"
      "portal /run/user/1000/doc fuse.portal rw 0 0\n"
      "lxcfs /var/lib/lxcfs fuse.lxcfs rw 0 0\n"
      "\n";
  EXPECT_EQ(RealMountPoints(table),
            (Points{"/", "/media/me/My Games", "/mnt/nfs", "/mnt/nas", "/home",
                    "/media/me/back\\slash\ttab", "/run/user/1000/gvfs", "/home/me/remote"}));
}

TEST(DriveList, RootFirstThenPlacesForGamesOnceWithoutTouchingAnyMount) {
  // Decided from the text alone: the points named here do not exist on this
  // machine, and a dead network mount would hang anything that visited it.
  const std::string table =
      "overlay / overlay rw 0 0\n"
      "/dev/sda1 /etc/hosts ext4 rw 0 0\n"
      "/dev/sda1 /etc/resolv.conf ext4 rw 0 0\n"
      "/dev/sda2 /run/media/me/USB vfat rw 0 0\n"
      "/dev/sda1 /run/secrets ext4 rw 0 0\n"
      "gvfsd-fuse /run/user/1000/gvfs fuse.gvfsd-fuse rw 0 0\n"
      "gvfsd-fuse /run/user/1001/gvfs fuse.gvfsd-fuse rw 0 0\n"
      "Cemu.AppImage /tmp/.mount_CemuAb fuse.Cemu.AppImage ro 0 0\n"
      "me@host:/ /home/me/nas fuse.sshfs rw 0 0\n"
      "/dev/sda3 /dev/shm/x ext4 rw 0 0\n"
      "deadhost:/games /mnt/tavro-dead-nfs nfs4 rw,hard 0 0\n"
      "/dev/sdb1 /media/tavro-usb exfat rw 0 0\n"
      "/dev/sdb1 /media/tavro-usb exfat rw 0 0\n"
      "/dev/sdc1 /etcetera ext4 rw 0 0\n"
      "/dev/nvme0n1p2 / ext4 rw 0 0\n"
      "/dev/sdd1 /A\\040Games ext4 rw 0 0\n";
  EXPECT_EQ(DriveList(table, 1000),
            (Points{"/", "/A Games", "/etcetera", "/home/me/nas", "/media/tavro-usb",
                    "/mnt/tavro-dead-nfs", "/run/media/me/USB", "/run/user/1000/gvfs"}));
  EXPECT_EQ(DriveList("", 1000), Points{"/"});
}

TEST(Drives, RootFirstThenRealMountPointsOnce) {
  test::ProbeServices services;
  const Points drives = services.Drives();
  ASSERT_FALSE(drives.empty());
  EXPECT_EQ(drives.front(), "/");
  EXPECT_EQ(std::set<std::string>(drives.begin(), drives.end()).size(), drives.size());
  EXPECT_TRUE(std::is_sorted(drives.begin() + 1, drives.end()));
  for (const auto& drive : drives) {
    EXPECT_FALSE(drive == "/proc" || drive.starts_with("/proc/")) << drive;
    EXPECT_FALSE(drive == "/sys" || drive.starts_with("/sys/")) << drive;
    EXPECT_FALSE(drive == "/dev" || drive.starts_with("/dev/")) << drive;
  }
  EXPECT_EQ(services.FallbackDrive(), "/");
}

}  // namespace
}  // namespace tavro
