#pragma once

#include "ProgramContext.h"
#include "ntp/SyncInterfaces.h"

#include <memory>
#include <string>

class ClockMenu;
class ClockStepWatch;
class ClockWindow;
class InstanceClaim;
class CalendarData;
class QSocketNotifier;
class QTimer;
class QtTimer;
class ResumeWatch;
class SyncRunner;

// The window program from start-up to shutdown, and everything that lives as
// long as it: the settings record, the clock window, the synchronisation run.
class Application final : private ntp::MessageSink {
public:
    struct StartOptions {
        // The menu's synchronisation reports success without touching the clock.
        bool dryRun = false;
    };

    // After the QApplication exists; Start then opens the clock, and the
    // program lives in the event loop.
    explicit Application(const StartOptions& options);
    // Drops what the window and the run still hold; after the event loop,
    // while the QApplication still exists.
    ~Application() override;
    Application(const Application&) = delete;
    Application& operator=(const Application&) = delete;

    void Start();

    // The one orderly way out, whatever asked for it (the menu, a double-click,
    // a signal, the end of the session, the window system's close); runs at
    // most once. A waiting synchronisation is given up and the event loop
    // ends; the settings are saved once every nested loop has unwound, so a
    // failed run whose dialog was open logs its line before the save.
    void Exit();

private:
    // The result dialog: the only way the program shows a message to the user.
    void ShowSyncMessage(const std::string& text) override;
    // False when the file could not be written; the change is then lost.
    bool SaveSettings();
    // The rest of the exit, after the event loop: save and unhook.
    void Shutdown();
    void Synchronise(bool showResult, const std::string& server);
    // Modal; returns once the dialog has closed.
    void OpenOptions();
    // The menu and the window announce; this is what their requests mean.
    void ConnectClock();
    void WatchTerminationSignals();

    ProgramContext context_;
    std::unique_ptr<InstanceClaim> instance_;
    std::unique_ptr<CalendarData> calendar_;
    std::unique_ptr<SyncRunner> runner_;
    // The window stays allocated until the event loop has ended, since the exit
    // may run inside one of its handlers; "unloaded" is hidden and forgotten.
    std::unique_ptr<ClockWindow> window_;
    // Owned by the window through Qt parenthood.
    ClockMenu* menu_ = nullptr;
    std::unique_ptr<QSocketNotifier> terminationNotifier_;
    // The run at start-up and after a resume waits on it.
    std::unique_ptr<QTimer> tmrNTPatRun_;
    std::unique_ptr<QtTimer> ntpAtRun_;
    std::unique_ptr<ResumeWatch> resumeWatch_;
    std::unique_ptr<ClockStepWatch> clockSteps_;
    // While the options dialog exists, so that there is only ever one.
    bool optionsOpen_ = false;
    bool exiting_ = false;
    bool shutDown_ = false;
};
