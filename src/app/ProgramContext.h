#pragma once

#include "ntp/SyncInterfaces.h"
#include "settings/SettingsRecord.h"

#include <memory>
#include <string>

// What the window program and the command line both start from.
struct ProgramContext {
    SettingsRecord settings;
    std::string settingsPath;
    std::string logPath;
    std::unique_ptr<ntp::ClockSetter> setter;
};

// The settings as the file has them (NTP_UTCOffset defaulting to the zone's
// standard offset), where that file and the log live, and the clock setter:
// the real one, or with dryRun one that only reports success.
ProgramContext LoadProgramContext(bool dryRun);
