#include "runtime/posix/Flatpak.h"

#include <algorithm>
#include <cstdlib>
#include <filesystem>

namespace tavro {

namespace fs = std::filesystem;

namespace {

bool IsIdCharacter(char c) {
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_' ||
         c == '-';
}

std::string AbsoluteFromEnvironment(const char* name) {
  const char* value = std::getenv(name);
  return value != nullptr && value[0] == '/' ? std::string(value) : std::string();
}

}  // namespace

bool IsFlatpakAppId(std::string_view text) {
  constexpr std::size_t kMaxLength = 255;
  if (text.empty() || text.size() > kMaxLength)
    return false;
  int parts = 0;
  std::size_t start = 0;
  for (;;) {
    const std::size_t dot = std::min(text.find('.', start), text.size());
    const std::string_view part = text.substr(start, dot - start);
    // Neither a digit nor "-" first: the id would read as an option.
    if (part.empty() || (part[0] >= '0' && part[0] <= '9') || part[0] == '-')
      return false;
    for (const char c : part)
      if (!IsIdCharacter(c))
        return false;
    ++parts;
    if (dot == text.size())
      break;
    start = dot + 1;
  }
  return parts >= 3;
}

std::vector<std::string> FlatpakInstallations() {
  std::string system = AbsoluteFromEnvironment("FLATPAK_SYSTEM_DIR");
  if (system.empty())
    system = "/var/lib/flatpak";
  std::string user = AbsoluteFromEnvironment("FLATPAK_USER_DIR");
  if (user.empty()) {
    const std::string data_home = AbsoluteFromEnvironment("XDG_DATA_HOME");
    const std::string home = AbsoluteFromEnvironment("HOME");
    if (!data_home.empty())
      user = data_home + "/flatpak";
    else if (!home.empty())
      user = home + "/.local/share/flatpak";
  }
  std::vector<std::string> installations{system};
  if (!user.empty())
    installations.push_back(user);
  return installations;
}

bool FlatpakInstalledIn(const std::vector<std::string>& installations, std::string_view app_id) {
  if (!IsFlatpakAppId(app_id))
    return false;
  for (const auto& installation : installations) {
    std::error_code ec;
    if (fs::is_directory(fs::path(installation) / "app" / app_id, ec))
      return true;
  }
  return false;
}

std::vector<std::string> FlatpakRun(const std::string& app_id, std::vector<std::string> args) {
  std::vector<std::string> argv{"flatpak", "run", app_id};
  argv.insert(argv.end(), std::make_move_iterator(args.begin()),
              std::make_move_iterator(args.end()));
  return argv;
}

std::vector<std::string> FlatpakKill(const std::string& app_id) {
  return {"flatpak", "kill", app_id};
}

}  // namespace tavro
