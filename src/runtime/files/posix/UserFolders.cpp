#include "runtime/UserFolders.h"

#include <cstdlib>

namespace tavro {

namespace {
std::string Variable(const char* name) {
  const char* value = std::getenv(name);
  return value == nullptr ? std::string() : std::string(value);
}
}  // namespace

std::string UserHome() {
  const std::string home = Variable("HOME");
  return home.starts_with('/') ? home : std::string();
}

std::string UserDataHome() {
  // The XDG rule: a relative value is invalid and is ignored.
  const std::string data = Variable("XDG_DATA_HOME");
  if (data.starts_with('/'))
    return data;
  const std::string home = UserHome();
  return home.empty() ? std::string() : home + "/.local/share";
}

std::string UserConfigHome() {
  const std::string config = Variable("XDG_CONFIG_HOME");
  if (config.starts_with('/'))
    return config;
  const std::string home = UserHome();
  return home.empty() ? std::string() : home + "/.config";
}

}  // namespace tavro
