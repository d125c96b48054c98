/* Keys ("key CODE") and left clicks ("click X Y") from standard input through KWin's fake input;
 * says "ready" once bound, and stays: the seat has a pointer only while a fake device is bound. */
#include <linux/input-event-codes.h>
#include <stdio.h>
#include <string.h>
#include <wayland-client.h>

#include "fake-input-client-protocol.h"

static struct org_kde_kwin_fake_input* fake;

static void Global(void* data, struct wl_registry* registry, uint32_t name, const char* interface,
                   uint32_t version) {
  if (strcmp(interface, org_kde_kwin_fake_input_interface.name) == 0 && version >= 4)
    fake = wl_registry_bind(registry, name, &org_kde_kwin_fake_input_interface, 4);
}

static void Gone(void* data, struct wl_registry* registry, uint32_t name) {}

int main(void) {
  static const struct wl_registry_listener listener = {Global, Gone};
  struct wl_display* display = wl_display_connect(NULL);
  if (display == NULL)
    return 2;
  wl_registry_add_listener(wl_display_get_registry(display), &listener, NULL);
  wl_display_roundtrip(display);
  if (fake == NULL)
    return 3;
  org_kde_kwin_fake_input_authenticate(fake, "tavro tests", "test input");
  wl_display_roundtrip(display);
  printf("ready\n");
  fflush(stdout);
  char command[16];
  int x = 0, y = 0;
  while (scanf("%15s %d", command, &x) == 2) {
    if (strcmp(command, "key") == 0) {
      org_kde_kwin_fake_input_keyboard_key(fake, (uint32_t)x, 1);
      org_kde_kwin_fake_input_keyboard_key(fake, (uint32_t)x, 0);
    } else if (scanf("%d", &y) == 1) {
      org_kde_kwin_fake_input_pointer_motion_absolute(fake, wl_fixed_from_int(x),
                                                      wl_fixed_from_int(y));
      org_kde_kwin_fake_input_button(fake, BTN_LEFT, 1);
      org_kde_kwin_fake_input_button(fake, BTN_LEFT, 0);
    }
    wl_display_roundtrip(display);
  }
  return 0;
}
