/* Presses keys and clicks through KWin's fake-input protocol, as a keyboard
 * and a mouse would: "key CODE" (a Linux input key code) and "click X Y"
 * (the left button at a point of the screen), in order. KWin offers the
 * protocol only to a program whose .desktop file lists it in
 * X-KDE-Wayland-Interfaces. */
#include <linux/input-event-codes.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <unistd.h>
#include <wayland-client.h>

#include "fake-input-client-protocol.h"

static struct org_kde_kwin_fake_input* fake;

static void Global(void* data, struct wl_registry* registry, uint32_t name, const char* interface,
                   uint32_t version) {
  (void)data;
  if (strcmp(interface, org_kde_kwin_fake_input_interface.name) == 0 && version >= 4)
    fake = wl_registry_bind(registry, name, &org_kde_kwin_fake_input_interface, 4);
}

static void GlobalRemove(void* data, struct wl_registry* registry, uint32_t name) {
  (void)data, (void)registry, (void)name;
}

int main(int argc, char** argv) {
  static const struct wl_registry_listener listener = {Global, GlobalRemove};
  struct wl_display* display = wl_display_connect(NULL);
  if (display == NULL)
    return fprintf(stderr, "fake_input: no Wayland display\n"), 2;
  wl_registry_add_listener(wl_display_get_registry(display), &listener, NULL);
  wl_display_roundtrip(display);
  if (fake == NULL)
    return fprintf(stderr, "fake_input: the compositor offers no fake input\n"), 3;
  org_kde_kwin_fake_input_authenticate(fake, "tavro tests", "test input");
  /* The seat has a pointer only while a fake device is bound: the clients
   * need a moment to take theirs before the first event, and each event a
   * moment to arrive before the next. */
  wl_display_roundtrip(display);
  usleep(300 * 1000);
  for (int i = 1; i + 1 < argc; i += 2) {
    if (strcmp(argv[i], "key") == 0) {
      const unsigned code = (unsigned)strtoul(argv[i + 1], NULL, 0);
      org_kde_kwin_fake_input_keyboard_key(fake, code, 1);
      org_kde_kwin_fake_input_keyboard_key(fake, code, 0);
    } else if (strcmp(argv[i], "click") == 0 && i + 2 < argc) {
      org_kde_kwin_fake_input_pointer_motion_absolute(fake, wl_fixed_from_int(atoi(argv[i + 1])),
                                                      wl_fixed_from_int(atoi(argv[i + 2])));
      wl_display_roundtrip(display);
      usleep(50 * 1000);
      org_kde_kwin_fake_input_button(fake, BTN_LEFT, 1);
      org_kde_kwin_fake_input_button(fake, BTN_LEFT, 0);
      ++i;
    }
    wl_display_roundtrip(display);
    usleep(50 * 1000);
  }
  wl_display_roundtrip(display);
  wl_display_disconnect(display);
  return 0;
}
