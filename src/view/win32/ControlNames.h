#pragma once
// Names for screen readers where a control's window text is not its name
// (a list's text is its entries; a drop-down list's is the entry it shows).
// Given through the system's Dynamic Annotation service, which the system's
// own descriptions of the standard controls consult first, so Narrator and
// NVDA read "Games" for the game list. Where the system has no such service
// (Wine), the names are not given and nothing else changes.

#include <windows.h>
#include <oleacc.h>
#include <wrl/client.h>

#include <string>
#include <vector>

namespace tavro::win32ui {

class ControlNames {
 public:
  ControlNames() = default;
  ~ControlNames() { Clear(); }
  ControlNames(const ControlNames&) = delete;
  ControlNames& operator=(const ControlNames&) = delete;

  // On the thread that made the window, with COM started there.
  void Name(HWND window, const std::wstring& name);
  // Takes every name back: while the windows still exist, since the service
  // keeps a name for as long as it is not cleared.
  void Clear();

 private:
  Microsoft::WRL::ComPtr<IAccPropServices> service_;
  bool tried_ = false;
  std::vector<HWND> named_;
};

}  // namespace tavro::win32ui
