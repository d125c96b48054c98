#pragma once
// The launcher's own connection to the X server: the global key state and
// the desktop and dock windows. Without an X display (a Wayland-only
// session, no $DISPLAY) there is no session and these services do nothing.

#include <X11/Xlib.h>

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "runtime/Runtime.h"

namespace tavro {

class X11Session final {
 public:
  // The session on display_name (nullptr: $DISPLAY); nullptr when that
  // display cannot be opened.
  static std::unique_ptr<X11Session> Open(const char* display_name);
  ~X11Session();
  X11Session(const X11Session&) = delete;
  X11Session& operator=(const X11Session&) = delete;

  // Down now, and pressed since the last query of this key: it went down
  // from up (a key's auto-repeat is no new press). No key is ever down on a
  // server without XInput2.
  KeyState Key(HotKey key);

  // The windows whose _NET_WM_WINDOW_TYPE holds the atom type_name: the
  // root's children and their children (where a window manager has put
  // each top-level window into a frame), mapped or not.
  std::vector<Window> WindowsOfType(const char* type_name);
  void SetMapped(Window window, bool mapped);
  // False for a window unmapped or gone.
  bool IsMapped(Window window);
  // The name the display was opened under, for another process to open.
  std::string DisplayName() const;

 private:
  struct WatchedKey {
    int code = 0;  // 0: the keyboard has no such key
    bool down = false;
    bool pressed = false;
  };

  explicit X11Session(Display* display);
  void WatchKeys();
  void DrainKeyEvents();

  Display* display_;
  int xi_opcode_ = -1;              // -1: no XInput2, so no key is ever seen
  std::map<HotKey, WatchedKey> keys_;
};

}  // namespace tavro
