#pragma once
// The per-user instance lock: an abstract Unix socket bound under a name that
// holds the user id. The kernel lets one socket hold a name, so two programs
// started at the same moment cannot both take it, and it goes away with the
// process however that ends (no file is left behind to go stale).

#include <string>

namespace tavro {

class InstanceLock final {
 public:
  enum class State { kTaken, kHeldByOther, kUnavailable };

  // Tries to take the lock named name + "-" + the real user id.
  explicit InstanceLock(const std::string& name);
  ~InstanceLock();
  InstanceLock(const InstanceLock&) = delete;
  InstanceLock& operator=(const InstanceLock&) = delete;

  State state() const { return state_; }

 private:
  int fd_ = -1;
  State state_ = State::kUnavailable;
};

}  // namespace tavro
