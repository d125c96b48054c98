#include "runtime/UserFolders.h"

#include <cstdlib>

#include "runtime/win32/Wide.h"

namespace tavro {

std::string UserDataHome() {
  // The emulator asks for FOLDERID_RoamingAppData, which %APPDATA% names.
  const wchar_t* value = _wgetenv(L"APPDATA");
  return value == nullptr ? std::string() : win32::Utf8(value);
}

std::string UserConfigHome() {
  return UserDataHome();
}

std::string UserHome() {
  return {};
}

}  // namespace tavro
