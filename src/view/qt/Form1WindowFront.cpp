// The launcher back in front after a game the pad started. On X11 it asks
// the window manager through _NET_ACTIVE_WINDOW, as a pager or taskbar does
// for a user's click (source 2), so that focus-stealing prevention lets it
// through; but only while no window the player chose holds the front.

#include <QGuiApplication>
#include <QWindow>
#include <QtGui/qguiapplication_platform.h>
#include <signal.h>
#include <cerrno>
#include <unistd.h>
#include <xcb/xcb.h>

#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "view/qt/Form1Window.h"

namespace tavro {

namespace {

template <typename T>
using Reply = std::unique_ptr<T, decltype(&std::free)>;

xcb_atom_t Atom(xcb_connection_t* x, const char* name) {
  const Reply<xcb_intern_atom_reply_t> reply(
      xcb_intern_atom_reply(
          x, xcb_intern_atom(x, 0, static_cast<std::uint16_t>(std::strlen(name)), name), nullptr),
      &std::free);
  return reply ? reply->atom : xcb_atom_t{XCB_ATOM_NONE};
}

// A property's bytes; empty for a window gone, or without the property.
std::string Property(xcb_connection_t* x, xcb_window_t window, xcb_atom_t name) {
  const Reply<xcb_get_property_reply_t> reply(
      xcb_get_property_reply(
          x, xcb_get_property(x, 0, window, name, XCB_GET_PROPERTY_TYPE_ANY, 0, 1024), nullptr),
      &std::free);
  if (!reply)
    return {};
  const auto* bytes = static_cast<const char*>(xcb_get_property_value(reply.get()));
  return {bytes, bytes + xcb_get_property_value_length(reply.get())};
}

std::vector<std::uint32_t> Values(xcb_connection_t* x, xcb_window_t window, xcb_atom_t name) {
  const std::string bytes = Property(x, window, name);
  std::vector<std::uint32_t> values(bytes.size() / 4);
  std::memcpy(values.data(), bytes.data(), values.size() * 4);
  return values;
}

bool WindowGone(xcb_connection_t* x, xcb_window_t window) {
  const Reply<xcb_get_window_attributes_reply_t> reply(
      xcb_get_window_attributes_reply(x, xcb_get_window_attributes(x, window), nullptr),
      &std::free);
  return !reply;
}

// The active window is no choice of the player's: none, one gone, or one
// whose program on this machine has ended (the game's own, which the window
// manager has not let go of yet).
bool FrontIsFree(xcb_connection_t* x, xcb_window_t active) {
  if (active == XCB_WINDOW_NONE || WindowGone(x, active))
    return true;
  const auto pid = Values(x, active, Atom(x, "_NET_WM_PID"));
  if (pid.empty() || pid[0] == 0)
    return false;
  std::string machine = Property(x, active, XCB_ATOM_WM_CLIENT_MACHINE);
  machine = machine.substr(0, machine.find('\0'));
  char host[256] = {};
  if (!machine.empty() && (gethostname(host, sizeof host - 1) != 0 || machine != host))
    return false;
  return kill(static_cast<pid_t>(pid[0]), 0) != 0 && errno == ESRCH;
}

// True when the request was sent.
bool AskToActivate(xcb_connection_t* x, xcb_window_t window) {
  const xcb_setup_t* setup = xcb_get_setup(x);
  const xcb_window_t root = xcb_setup_roots_iterator(setup).data->root;
  const xcb_atom_t active_atom = Atom(x, "_NET_ACTIVE_WINDOW");
  // A window manager that does not take the request (gamescope decides the
  // focus alone and gives it back by itself) is left alone.
  bool supported = false;
  for (const std::uint32_t atom : Values(x, root, Atom(x, "_NET_SUPPORTED")))
    supported = supported || atom == active_atom;
  const auto active = Values(x, root, active_atom);
  if (!supported || active_atom == XCB_ATOM_NONE || (!active.empty() && active[0] == window))
    return false;
  if (!FrontIsFree(x, active.empty() ? xcb_window_t{XCB_WINDOW_NONE} : active[0]))
    return false;
  // The last input's time, as the toolkit keeps it on its user-time window.
  const xcb_atom_t user_time = Atom(x, "_NET_WM_USER_TIME");
  const auto time_window = Values(x, window, Atom(x, "_NET_WM_USER_TIME_WINDOW"));
  auto time = Values(x, time_window.empty() ? window : time_window[0], user_time);
  xcb_client_message_event_t event{};
  event.response_type = XCB_CLIENT_MESSAGE;
  event.format = 32;
  event.window = window;
  event.type = active_atom;
  event.data.data32[0] = 2;  // a request on the user's behalf
  event.data.data32[1] = time.empty() ? std::uint32_t{XCB_CURRENT_TIME} : time[0];
  event.data.data32[2] = XCB_WINDOW_NONE;
  xcb_send_event(x, 0, root,
                 XCB_EVENT_MASK_SUBSTRUCTURE_REDIRECT | XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY,
                 reinterpret_cast<const char*>(&event));
  xcb_flush(x);
  return true;
}

}  // namespace

void Form1Window::ComeBack() {
  // The focus inside the window stays on its control while the window is
  // behind; the window manager's activation gives it back.
  if (!isVisible() || isActiveWindow())
    return;
  if (QGuiApplication::platformName() == QStringLiteral("xcb")) {
    if (auto* x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>())
      AskToActivate(x11->connection(), static_cast<xcb_window_t>(winId()));
  } else if (QWindow* window = windowHandle()) {
    // Wayland: the compositor decides (an activation token where it offers
    // them); elsewhere nothing happens.
    window->requestActivate();
  }
}

}  // namespace tavro
