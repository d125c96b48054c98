#include "runtime/posix/InstanceLock.h"

#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <cerrno>
#include <cstddef>
#include <cstring>

namespace tavro {

InstanceLock::InstanceLock(const std::string& name) {
  const std::string full = name + "-" + std::to_string(getuid());
  sockaddr_un address{};
  address.sun_family = AF_UNIX;
  // An abstract name starts with a NUL byte and is not a path: nothing is
  // created on disk. It must fit beside that byte.
  if (full.size() + 1 > sizeof(address.sun_path))
    return;
  std::memcpy(address.sun_path + 1, full.data(), full.size());
  const auto length = static_cast<socklen_t>(offsetof(sockaddr_un, sun_path) + 1 + full.size());

  fd_ = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
  if (fd_ < 0)
    return;  // unavailable: the program rather starts than refuses
  if (bind(fd_, reinterpret_cast<const sockaddr*>(&address), length) == 0) {
    state_ = State::kTaken;
    return;
  }
  state_ = errno == EADDRINUSE ? State::kHeldByOther : State::kUnavailable;
  close(fd_);
  fd_ = -1;
}

InstanceLock::~InstanceLock() {
  if (fd_ >= 0)
    close(fd_);
}

}  // namespace tavro
