#pragma once

#include "datetime/ClockStepNotifier.h"

#include <memory>

// The system's own announcements of a set clock or a changed zone. The
// listener runs on the thread that runs the event loop, from OnReadable
// (Linux) or from the window procedure (Windows). Where the system will not
// announce (no timer or watch to be had) the notifier stays silent.
std::unique_ptr<ClockStepNotifier> MakeSystemClockSteps(ClockStepNotifier::Listener listener);

#ifdef _WIN32
// The class of the hidden top-level window that hears WM_TIMECHANGE and
// WM_SETTINGCHANGE; tests find the window by it.
inline constexpr wchar_t kClockStepWindowClass[] = L"MorvatelClockSteps";
#endif
