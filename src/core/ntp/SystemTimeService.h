#pragma once

#include "ntp/Packet.h"
#include "ntp/SyncInterfaces.h"
#include "settings/SettingsRecord.h"

#include <string>

namespace ntp {

// The server answered, but the system's own time service keeps the clock and
// refused to let the run set it. The user who asked (showResult) learns how
// far off the clock is; the log says that nothing was set. The countdown is
// left alone: asking again sooner would meet the same refusal.
void ReportSystemServiceKeepsClock(const SettingsRecord& settings, SyncServices& services,
                                   const std::string& server, bool showResult,
                                   double localAheadSeconds);

} // namespace ntp
