#pragma once

#include "datetime/LocalDateTime.h"
#include "ntp/SyncInterfaces.h"
#include "settings/SettingsRecord.h"

#include <cstdint>
#include <string>

// One line of Morvatel.log per synchronisation.
namespace ntp {

std::string FormatLogLine(const LocalDateTime& now, bool success, const std::string& server,
                          float delay, bool negative, const std::string& difference,
                          std::int32_t errorNumber, const std::string& errorCode,
                          bool authenticated = false);

// An authenticated success says so in the last field, which is "-" otherwise.
// Appends the line when NTP_Logging is on.
void WriteNTPLog(const SettingsRecord& settings, LogSink& log, const LocalDateTime& now,
                 bool success, const std::string& server, float delay, bool negative,
                 const std::string& difference, std::int32_t errorNumber,
                 const std::string& errorCode, bool authenticated = false);

} // namespace ntp
