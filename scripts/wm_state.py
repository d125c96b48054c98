#!/usr/bin/env python3
"""Keeps the ICCCM WM_STATE property of the top-level windows on the X display
in $DISPLAY, the one piece of a window manager's work Wine waits for.

Wine hides or closes a window only once a window manager has marked it
shown (WM_STATE NormalState), and gives up after two seconds when none does:
on a bare Xvfb every window a Windows program hides costs two seconds. This
marks each top-level window that is not override-redirect NormalState when
it is mapped and WithdrawnState when it is unmapped, as a window manager
does, and nothing else: no frames, no focus, no stacking, no moves.

    wm_state.py [--ready FILE]

Runs until the display closes or it is ended; once it watches the display it
creates FILE, for a caller that must not map a window before."""

import sys

from Xlib import X, display, error

NORMAL_STATE = 1
WITHDRAWN_STATE = 0


def main():
    try:
        d = display.Display()
    except Exception as e:  # no display: nothing to keep
        print("wm_state.py: %s" % e, file=sys.stderr)
        return 1
    root = d.screen().root
    wm_state = d.intern_atom("WM_STATE")
    root.change_attributes(event_mask=X.SubstructureNotifyMask)
    d.sync()
    if sys.argv[1:2] == ["--ready"]:
        open(sys.argv[2], "w").close()
    # Errors on windows destroyed before we reach them are expected.
    d.set_error_handler(lambda *args: None)

    def mark(window, state):
        try:
            window.change_property(wm_state, wm_state, 32, [state, X.NONE])
        except error.XError:
            pass

    while True:
        try:
            event = d.next_event()
        except Exception:  # the display went away
            return 0
        if event.type == X.MapNotify and not event.override:
            mark(event.window, NORMAL_STATE)
        elif event.type == X.UnmapNotify and event.event == root:
            mark(event.window, WITHDRAWN_STATE)
        d.flush()


if __name__ == "__main__":
    sys.exit(main())
