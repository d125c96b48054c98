/* Presses keys and clicks through KWin's fake-input protocol, as a keyboard
 * and a mouse would. Reads commands from standard input, one a line:
 * "key CODE" (a Linux input key code) and "click X Y" (the left button at a
 * point of the screen); says "ready" once the compositor has taken it on.
 * The seat has a pointer only while a fake device is bound, so the program
 * stays for the whole test and the clients see a pointer from their start.
 * KWin offers the protocol only to a program whose .desktop file lists it
 * in X-KDE-Wayland-Interfaces. */
#include <linux/input-event-codes.h>
#include <stdio.h>
#include <string.h>
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

int main(void) {
  static const struct wl_registry_listener listener = {Global, GlobalRemove};
  struct wl_display* display = wl_display_connect(NULL);
  if (display == NULL)
    return fprintf(stderr, "fake_input: no Wayland display\n"), 2;
  wl_registry_add_listener(wl_display_get_registry(display), &listener, NULL);
  wl_display_roundtrip(display);
  if (fake == NULL)
    return fprintf(stderr, "fake_input: the compositor offers no fake input\n"), 3;
  org_kde_kwin_fake_input_authenticate(fake, "tavro tests", "test input");
  wl_display_roundtrip(display);
  printf("ready\n");
  fflush(stdout);
  char command[16];
  int x = 0, y = 0;
  unsigned code = 0;
  while (scanf("%15s", command) == 1) {
    if (strcmp(command, "key") == 0 && scanf("%u", &code) == 1) {
      org_kde_kwin_fake_input_keyboard_key(fake, code, 1);
      org_kde_kwin_fake_input_keyboard_key(fake, code, 0);
    } else if (strcmp(command, "click") == 0 && scanf("%d %d", &x, &y) == 2) {
      org_kde_kwin_fake_input_pointer_motion_absolute(fake, wl_fixed_from_int(x),
                                                      wl_fixed_from_int(y));
      org_kde_kwin_fake_input_button(fake, BTN_LEFT, 1);
      org_kde_kwin_fake_input_button(fake, BTN_LEFT, 0);
    }
    wl_display_roundtrip(display);
  }
  wl_display_disconnect(display);
  return 0;
}
