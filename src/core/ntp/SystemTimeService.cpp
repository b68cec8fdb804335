#include "ntp/SystemTimeService.h"

#include "ntp/SyncLog.h"
#include "ntp/SyncTexts.h"

namespace ntp {

void ReportSystemServiceKeepsClock(const SettingsRecord& settings, SyncServices& services,
                                   const std::string& server, bool showResult,
                                   double localAheadSeconds) {
    // The offset goes to the dialog only: the log keeps the failure line's
    // shape, which readers of the file already parse.
    WriteNTPLog(settings, services.Log, services.Clock.Now().Local, false, server, 0.0f, false,
                std::string(), 0, CodeSystemServiceActive);
    if (showResult) {
        services.Messages.ShowSyncMessage(SystemServiceKeepsClockText(server, localAheadSeconds));
    }
}

} // namespace ntp
