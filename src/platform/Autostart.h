#pragma once

// Starting the program at the user's log-on: an XDG autostart entry on Linux,
// the current user's Run value on Windows. Failures are silent; Query shows
// what really is registered.
namespace Autostart {

// True when the program is registered to start at log-on, whatever path the
// registration names (an entry written by hand counts too).
bool Query();

// Registers the running program (its absolute path, written again every
// time, so a moved program registers where it now is), or removes the
// registration; a missing one is no error.
void Apply(bool on);

} // namespace Autostart
