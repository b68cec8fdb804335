#pragma once

#include <cstdint>
#include <functional>

// Tells the program that the machine has woken from standby, in the way the
// system announces it: logind's PrepareForSleep(false) on Linux, the power
// messages of the main window on Windows. Where the system offers no such
// notice (no system bus, no logind) the watch stays silent and the program
// runs on without it.
class ResumeWatch {
public:
    virtual ~ResumeWatch() = default;

    // Starts listening; onResume runs once per resume notice (a Windows
    // resume may bring more than one). mainWindow is the main window's native
    // handle; only Windows looks at it. A second call while hooked does
    // nothing.
    virtual void HookMainWindow(std::uintptr_t mainWindow, std::function<void()> onResume) = 0;
    virtual void UnhookMainWindow() = 0;

    // True while a source of resume notices is attached.
    virtual bool IsHooked() const = 0;
};
