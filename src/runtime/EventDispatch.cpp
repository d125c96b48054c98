#include "runtime/EventDispatch.h"

#include <exception>

namespace tavro {

void RunEvent(Dialogs& services, const std::function<void()>& handler) noexcept {
  std::string text;
  try {
    handler();
    return;
  } catch (const std::exception& e) {
    text = e.what();
  } catch (...) {
    text = "Unexpected error";
  }
  try {
    services.MsgBox(text, "Error");
  } catch (...) {
    // A message box that cannot be shown has nowhere left to report to.
  }
}

}  // namespace tavro
