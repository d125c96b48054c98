#include "runtime/posix/X11Session.h"

#include <X11/Xatom.h>
#include <X11/extensions/XInput2.h>
#include <X11/keysym.h>

namespace tavro {

namespace {

struct XFreeDeleter {
  void operator()(void* data) const {
    if (data != nullptr)
      XFree(data);
  }
};
template <typename T>
using XPtr = std::unique_ptr<T, XFreeDeleter>;

// Xlib sends protocol errors to one handler per process, and its default
// handler ends the program. A window of another program can vanish between
// our lookup and our request (a BadWindow we cannot prevent), so while a
// trap lives the handler ignores errors. XSync on entry hands earlier errors
// to the handler that was there before; XSync on exit collects every error
// of our requests before that handler comes back.
class ErrorTrap final {
 public:
  explicit ErrorTrap(Display* display) : display_(display) {
    XSync(display_, False);
    previous_ = XSetErrorHandler(&Ignore);
  }
  ~ErrorTrap() {
    XSync(display_, False);
    XSetErrorHandler(previous_);
  }
  ErrorTrap(const ErrorTrap&) = delete;
  ErrorTrap& operator=(const ErrorTrap&) = delete;

 private:
  static int Ignore(Display*, XErrorEvent*) { return 0; }
  Display* display_;
  XErrorHandler previous_ = nullptr;
};

// The keysym of each key listened for, on the main keyboard.
KeySym KeySymOf(HotKey key) {
  switch (key) {
    case HotKey::kEscape:
      return XK_Escape;
    case HotKey::kNine:
      return XK_9;
    case HotKey::kEight:
      return XK_8;
  }
  return NoSymbol;
}

bool HasType(Display* display, Window window, Atom property, Atom type) {
  Atom actual_type = None;
  int format = 0;
  unsigned long count = 0;
  unsigned long remaining = 0;
  unsigned char* raw = nullptr;
  const int status = XGetWindowProperty(display, window, property, 0, 64, False, XA_ATOM,
                                        &actual_type, &format, &count, &remaining, &raw);
  const XPtr<unsigned char> data(raw);
  if (status != Success || actual_type != XA_ATOM || format != 32 || !data)
    return false;
  // Xlib hands 32-bit items back as longs.
  const auto* atoms = reinterpret_cast<const long*>(data.get());
  for (unsigned long i = 0; i < count; ++i) {
    if (static_cast<Atom>(atoms[i]) == type)
      return true;
  }
  return false;
}

std::vector<Window> Children(Display* display, Window window) {
  Window root = None;
  Window parent = None;
  Window* raw = nullptr;
  unsigned int count = 0;
  if (XQueryTree(display, window, &root, &parent, &raw, &count) == 0)
    return {};
  const XPtr<Window> children(raw);
  if (!children)
    return {};
  return std::vector<Window>(children.get(), children.get() + count);
}

}  // namespace

std::unique_ptr<X11Session> X11Session::Open(const char* display_name) {
  Display* display = XOpenDisplay(display_name);
  if (display == nullptr)
    return nullptr;
  std::unique_ptr<X11Session> session(new X11Session(display));
  session->WatchKeys();
  return session;
}

X11Session::X11Session(Display* display) : display_(display) {}

X11Session::~X11Session() {
  XCloseDisplay(display_);
}

void X11Session::WatchKeys() {
  int event_base = 0;
  int error_base = 0;
  if (!XQueryExtension(display_, "XInputExtension", &xi_opcode_, &event_base, &error_base)) {
    xi_opcode_ = -1;
    return;
  }
  // 2.1 or later delivers raw events even while another program holds a
  // keyboard grab (a full-screen emulator may); 2.0 is still enough without.
  int major = 2;
  int minor = 2;
  if (XIQueryVersion(display_, &major, &minor) != Success) {
    xi_opcode_ = -1;
    return;
  }

  unsigned char bits[XIMaskLen(XI_LASTEVENT)] = {};
  XISetMask(bits, XI_RawKeyPress);
  XISetMask(bits, XI_RawKeyRelease);
  XIEventMask mask{};
  mask.deviceid = XIAllMasterDevices;
  mask.mask_len = sizeof(bits);
  mask.mask = bits;
  {
    ErrorTrap trap(display_);
    XISelectEvents(display_, DefaultRootWindow(display_), &mask, 1);
  }

  // A key already held when watching starts counts as down, not as pressed.
  char keymap[32] = {};
  XQueryKeymap(display_, keymap);
  for (const HotKey hot : {HotKey::kEscape, HotKey::kNine, HotKey::kEight}) {
    WatchedKey key;
    key.code = XKeysymToKeycode(display_, KeySymOf(hot));
    key.down = key.code != 0 && (keymap[key.code / 8] & (1 << (key.code % 8))) != 0;
    keys_[hot] = key;
  }
}

void X11Session::DrainKeyEvents() {
  // XPending reads what the server has sent without waiting for it: no round
  // trip, so an idle launcher wakes only for its timer. Raw key events come
  // unasked, as the keys go down and up, and are here by the next tick.
  while (XPending(display_) > 0) {
    XEvent event;
    XNextEvent(display_, &event);
    XGenericEventCookie* cookie = &event.xcookie;
    if (cookie->type != GenericEvent || cookie->extension != xi_opcode_)
      continue;
    if (!XGetEventData(display_, cookie))
      continue;
    if (cookie->evtype == XI_RawKeyPress || cookie->evtype == XI_RawKeyRelease) {
      const auto* raw = static_cast<const XIRawEvent*>(cookie->data);
      const bool press = cookie->evtype == XI_RawKeyPress;
      for (auto& [hot, key] : keys_) {
        if (key.code == 0 || key.code != raw->detail)
          continue;
        if (press && !key.down)
          key.pressed = true;
        key.down = press;
      }
    }
    XFreeEventData(display_, cookie);
  }
}

KeyState X11Session::Key(HotKey hot) {
  if (xi_opcode_ < 0)
    return {};
  const auto found = keys_.find(hot);
  if (found == keys_.end())
    return {};
  DrainKeyEvents();
  auto& key = found->second;
  const KeyState state{key.down, key.pressed};
  key.pressed = false;
  return state;
}

std::vector<Window> X11Session::WindowsOfType(const char* type_name) {
  std::vector<Window> found;
  ErrorTrap trap(display_);
  // Atoms nobody has made yet cannot be set on any window.
  const Atom property = XInternAtom(display_, "_NET_WM_WINDOW_TYPE", True);
  const Atom type = XInternAtom(display_, type_name, True);
  if (property == None || type == None)
    return found;
  for (const Window top : Children(display_, DefaultRootWindow(display_))) {
    if (HasType(display_, top, property, type))
      found.push_back(top);
    for (const Window inner : Children(display_, top)) {
      if (HasType(display_, inner, property, type))
        found.push_back(inner);
    }
  }
  return found;
}

void X11Session::SetMapped(Window window, bool mapped) {
  // The trap's closing XSync also makes sure the server has acted before we
  // return, as ShowWindow has on Windows.
  ErrorTrap trap(display_);
  if (mapped) {
    XMapWindow(display_, window);
  } else {
    XUnmapWindow(display_, window);
  }
}

bool X11Session::IsMapped(Window window) {
  ErrorTrap trap(display_);
  XWindowAttributes attributes{};
  return XGetWindowAttributes(display_, window, &attributes) != 0 &&
         attributes.map_state != IsUnmapped;
}

std::string X11Session::DisplayName() const {
  const char* name = DisplayString(display_);
  return name != nullptr ? name : "";
}

}  // namespace tavro
