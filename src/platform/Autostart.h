#pragma once

#include <string>

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

#ifndef _WIN32
// Apply for the program at programPath. A path that is not UTF-8 cannot be
// written into an entry any desktop accepts: then no entry is left at all
// (one line on stderr says why), so Query does not show a start that will
// never happen.
void ApplyFor(bool on, const std::string& programPath);
#endif

} // namespace Autostart
