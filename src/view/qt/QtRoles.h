#pragma once
// Every Linux role, made in the order a start needs them: the process's own
// (its folder, the instance lock) first, then the X connection the keys and
// the shell windows share, then the toolkit's. The Linux program and its view
// tests make the same objects.

#include <utility>

#include "runtime/posix/PosixServices.h"
#include "view/qt/QtServices.h"

namespace tavro {

struct QtRoles {
  explicit QtRoles(const PosixOptions& options = {})
      : processes(options.instance_name),
        x11(options.display),
        keys(x11, options.controller_devices),
        shell_windows(x11, options.shell_watcher),
        pictures(dialogs) {}
  QtRoles(const QtRoles&) = delete;
  QtRoles& operator=(const QtRoles&) = delete;

  // What the form is handed.
  Services All() { return {processes, disks, dialogs, keys, pictures, shell_windows}; }

  PosixProcesses processes;
  PosixDisks disks;
  X11Connection x11;
  X11Keys keys;
  X11ShellWindows shell_windows;
  QtDialogs dialogs;
  QtPictures pictures;
};

}  // namespace tavro
