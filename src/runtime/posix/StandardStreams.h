#pragma once
// What the launcher makes sure of before anything else runs, however it was
// started (a terminal, a script, a .desktop file, a service manager).

namespace tavro {

// Descriptors 0, 1 and 2 are open from here on: each one that was closed is
// opened on /dev/null. Otherwise the next descriptor made (the X connection,
// a pipe) would take the number of a closed stream, and whatever is written
// to standard error (a toolkit's warning) would land in it. Where /dev/null
// cannot be opened, the slot is held by a descriptor every read and write
// refuses. Call it first in main, before any other descriptor is made.
void OpenStandardStreams();

// A write to a pipe or a socket nobody reads (standard error piped into a
// program that has ended) fails with an error instead of ending the program
// by SIGPIPE. Programs started from here get the default action back (see
// SpawnDetached).
void IgnoreBrokenPipes();

}  // namespace tavro
