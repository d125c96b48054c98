#pragma once
// The test's own connection to the X server the suite runs under (Xvfb):
// it makes the windows and sends the keys the services must see.

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/extensions/XTest.h>

#include <initializer_list>
#include <vector>

namespace tavro::test {

class TestDisplay final {
 public:
  TestDisplay() : display_(XOpenDisplay(nullptr)) {}
  ~TestDisplay() {
    if (display_ == nullptr)
      return;
    for (const Window w : windows_)
      XDestroyWindow(display_, w);
    XCloseDisplay(display_);
  }
  TestDisplay(const TestDisplay&) = delete;
  TestDisplay& operator=(const TestDisplay&) = delete;

  Display* get() const { return display_; }
  Window Root() const { return DefaultRootWindow(display_); }

  // A window with the given _NET_WM_WINDOW_TYPE atoms (none: no property).
  Window Make(std::initializer_list<const char*> types, bool mapped, Window parent = None) {
    const Window w =
        XCreateSimpleWindow(display_, parent == None ? Root() : parent, 10, 10, 50, 20, 0, 0, 0);
    std::vector<long> atoms;
    for (const char* type : types)
      atoms.push_back(static_cast<long>(XInternAtom(display_, type, False)));
    if (!atoms.empty()) {
      XChangeProperty(display_, w, XInternAtom(display_, "_NET_WM_WINDOW_TYPE", False), XA_ATOM, 32,
                      PropModeReplace, reinterpret_cast<const unsigned char*>(atoms.data()),
                      static_cast<int>(atoms.size()));
    }
    if (mapped)
      XMapWindow(display_, w);
    if (parent == None)
      windows_.push_back(w);  // children go with their parent
    XSync(display_, False);
    return w;
  }

  void Destroy(Window w) {
    XDestroyWindow(display_, w);
    std::erase(windows_, w);
    XSync(display_, False);
  }

  int MapState(Window w) const {
    XWindowAttributes attributes{};
    XGetWindowAttributes(display_, w, &attributes);
    return attributes.map_state;
  }

  // Presses (down) or releases a key of the keyboard through XTest.
  void Key(KeySym sym, bool down) {
    XTestFakeKeyEvent(display_, XKeysymToKeycode(display_, sym), down ? True : False, 0);
    XSync(display_, False);
  }

 private:
  Display* display_;
  std::vector<Window> windows_;
};

}  // namespace tavro::test
