#pragma once

#include "ntp/SyncRun.h"
#include "settings/SettingsRecord.h"

#include <memory>
#include <string>

// The synchronisation run wired to Qt: a UDP socket, an event pump that sleeps
// in the event loop, the real clocks and a log file. The window program and
// the command line share it; one per process.
class SyncRunner {
public:
    // settings, messages and setter must outlive the runner. An empty logPath
    // disables the log whatever NTP_Logging says.
    SyncRunner(SettingsRecord& settings, ntp::MessageSink& messages, ntp::ClockSetter& setter,
               std::string logPath);
    ~SyncRunner();
    SyncRunner(const SyncRunner&) = delete;
    SyncRunner& operator=(const SyncRunner&) = delete;

    // The menu item passes (true, NTP_Server), the timers (false, NTP_Server),
    // the options page's test button (true, the typed server). Returns once the
    // run is over, including the result dialog; NotStarted while an earlier
    // run still waits for its reply.
    ntp::SyncOutcome SyncSystemTime(bool showResult, const std::string& server);

    // The program is ending: a waiting run gives up at once (Abandoned), and
    // no later one starts.
    void Abandon();

    // Asks the server without setting, showing or logging anything.
    ntp::QueryOutcome Query(const std::string& server);

    // Local time of the last successful run, "yyyy/m/d h:nn:ss"; empty before.
    const std::string& LastSyncText() const;

private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
};
