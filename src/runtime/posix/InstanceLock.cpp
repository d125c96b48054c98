#include "runtime/posix/InstanceLock.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>

#include "runtime/posix/OwnedFd.h"

namespace tavro {

namespace {

// The folder opened, when only this user can enter it; -1 otherwise. The
// checks are made on the opened descriptor, so the folder cannot be swapped
// between check and use, and a link in its place is never followed.
int OpenPrivateFolder(const LockFolder& folder, uid_t user) {
  if (folder.path.empty() || folder.path[0] != '/')
    return -1;
  if (folder.make)
    mkdir(folder.path.c_str(), 0700);  // already there: checked below as any other
  OwnedFd fd(open(folder.path.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
  struct stat facts {};
  if (fd.get() < 0 || fstat(fd.get(), &facts) != 0 ||
      !OnlyUserCanEnter(facts.st_mode, facts.st_uid, user))
    return -1;
  return fd.release();
}

}  // namespace

std::vector<LockFolder> DefaultLockFolders() {
  std::vector<LockFolder> folders;
  // The session's runtime folder; where the session manager set none (su, a
  // service, ssh without a login manager) the system's folder for this user,
  // so that such a start meets the desktop's launcher.
  const char* runtime = std::getenv("XDG_RUNTIME_DIR");
  if (runtime != nullptr && runtime[0] == '/')
    folders.push_back({runtime, false});
  const std::string uid = std::to_string(geteuid());
  folders.push_back({"/run/user/" + uid, false});
  folders.push_back({"/tmp/tavro-frontend-" + uid, true});
  return folders;
}

bool OnlyUserCanEnter(mode_t mode, uid_t owner, uid_t user) {
  return S_ISDIR(mode) && owner == user && (mode & 077) == 0;
}

InstanceLock::InstanceLock(const std::vector<LockFolder>& folders, const std::string& name) {
  const uid_t user = geteuid();
  const std::string file = name + ".lock";
  for (const auto& folder : folders) {
    const OwnedFd dir(OpenPrivateFolder(folder, user));
    if (dir.get() < 0)
      continue;
    OwnedFd fd(openat(dir.get(), file.c_str(),
                      O_RDWR | O_CREAT | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC, 0600));
    struct stat facts {};
    if (fd.get() < 0 || fstat(fd.get(), &facts) != 0 || !S_ISREG(facts.st_mode) ||
        facts.st_uid != user)
      continue;
    folder_ = folder.path;
    if (flock(fd.get(), LOCK_EX | LOCK_NB) == 0) {
      state_ = State::kTaken;
      fd_ = fd.release();
    } else {
      // Only this user (or root) can hold a file in that folder: it is ours.
      state_ = errno == EWOULDBLOCK ? State::kHeldByOther : State::kUnavailable;
    }
    return;
  }
}

InstanceLock::~InstanceLock() {
  if (fd_ >= 0)
    close(fd_);
}

}  // namespace tavro
