#pragma once
// The per-user instance lock: flock on a file in a folder only this user can
// enter. The kernel lets one open file hold the lock, so two programs started
// at the same moment cannot both take it, and the lock goes with the process
// however that ends (the file left behind holds nothing).
//
// Only the folder's owner can make or open a file in a folder that is theirs
// and closed to everyone else, so no other user can take the lock first: a
// folder that is not that (another user's, open to others, a link) is passed
// over, and when no candidate folder will do, the program starts unlocked
// rather than be kept from starting by someone else's object.

#include <string>
#include <sys/types.h>
#include <vector>

namespace tavro {

// A folder the lock may live in.
struct LockFolder {
  std::string path;
  bool make = false;  // made (mode 0700) when missing
};

// The folders the launcher's lock is looked for in, first usable wins: the
// user's runtime folder ($XDG_RUNTIME_DIR, else /run/user/UID where the
// system keeps one), then a folder of this user's own under /tmp.
std::vector<LockFolder> DefaultLockFolders();

// A folder only `user` can enter: a folder (not a link), owned by that user,
// with no permission for group or others.
bool OnlyUserCanEnter(mode_t mode, uid_t owner, uid_t user);

class InstanceLock final {
 public:
  enum class State { kTaken, kHeldByOther, kUnavailable };

  // Tries to take the lock file name + ".lock" in the first usable folder.
  InstanceLock(const std::vector<LockFolder>& folders, const std::string& name);
  ~InstanceLock();
  InstanceLock(const InstanceLock&) = delete;
  InstanceLock& operator=(const InstanceLock&) = delete;

  State state() const { return state_; }
  // Whether another start of this user's holds the lock: the one answer
  // that ends this start. Unavailable is no such answer: it starts unlocked.
  bool HeldByAnother() const { return state_ == State::kHeldByOther; }
  // The folder the lock file is in; empty when none would do.
  const std::string& folder() const { return folder_; }

 private:
  int fd_ = -1;
  State state_ = State::kUnavailable;
  std::string folder_;
};

}  // namespace tavro
