#pragma once

#include "ntp/Packet.h"
#include "ntp/SyncInterfaces.h"
#include "settings/SettingsRecord.h"

#include <cstdint>
#include <string>

// One synchronisation run: ask the server, wait inside the event pump, set the
// clock, log and report.
namespace ntp {

inline constexpr std::uint32_t ReplyTimeoutMs = 5000;

// Everything the program keeps between runs.
struct SyncState {
    std::string LastSyncText; // "yyyy/m/d h:nn:ss", local
    // No server time before this is believed: the program did not exist yet.
    std::int64_t ServerTimeFloorUnixSeconds = 0;
    // True from the request until the clock is set or the run has failed;
    // another run is refused meanwhile.
    bool Waiting = false;
};

// Every field within its calendar range, milliseconds below 1000, and the
// year within what any setter takes (1601..30827). Setters check this before
// touching the clock.
bool IsValidSystemTime(const SystemTimeFields& utc);

// Abandoned: the program is ending (EventPump::Quitting); nothing was set,
// shown or logged, and the countdown is as it was. ClockKeptBySystem: the
// server answered, but the system's time service keeps the clock, so nothing
// was set; not a failure the periodic run should hurry to repeat.
enum class SyncOutcome { Succeeded, Failed, NotStarted, Abandoned, ClockKeptBySystem };

// NotStarted when another run still waits for its reply. The server is taken
// by value: callers pass NTP_Server itself, which the options dialog may
// change while the run waits, and the texts and the log must name the server
// that was asked.
SyncOutcome SyncSystemTime(SyncState& state, SettingsRecord& settings, SyncServices& services,
                           bool showResult, std::string server);

struct QueryOutcome {
    bool Ok = false;
    bool Authenticated = false;
    std::string FailureText;
    std::int32_t ErrorNumber = 0;
    std::string ErrorCode;
    int Stratum = 0;
    // From the sample kept: server minus local clock, and the round trip less
    // the server's own processing (never below 0 nor above the round trip).
    double OffsetSeconds = 0.0;
    double DelaySeconds = 0.0;
};

// The same exchange and the same checks, but nothing is set, shown or logged.
QueryOutcome QueryServer(SyncState& state, const SettingsRecord& settings, SyncServices& services,
                         const std::string& server);

} // namespace ntp
