#pragma once

#include "ntp/ResumeWatch.h"
#include "ntp/SyncInterfaces.h"

#include <memory>

// The implementations of the core's interfaces for the system the program was
// built for. Those that need Qt to reach the system live here; the build picks
// the files for the system.

// logind over the system bus on Linux; the main window's power messages on
// Windows.
std::unique_ptr<ResumeWatch> MakeResumeWatch();

// The real clock: on Linux clock_settime, or timedated when the process may
// not set the clock itself; on Windows SetSystemTime.
std::unique_ptr<ntp::ClockSetter> MakeSystemClockSetter();
