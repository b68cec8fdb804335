#pragma once

#include "ntp/NtsKeRecords.h"

#include <cstdint>
#include <string>

// What an authenticated synchronisation tells the user and the log when it
// fails, and how its success is marked.
namespace ntp {

// The failure's log code: one ASCII token, like the other codes.
const char* NtsKeFailureCode(NtsKeFailure failure);
std::string NtsKeFailureText(NtsKeFailure failure, const std::string& server,
                             std::uint16_t serverCode);

inline constexpr const char* CodeNtsNoAuthenticReply = "NTS:NoAuthenticatedReply";
inline constexpr const char* CodeNtsKissNtsn = "NTS:NTSN";
std::string NtsNoAuthenticReplyText(const std::string& server);
std::string NtsKissNtsnText(const std::string& server);

// Appended to the success text of an authenticated run.
std::string NtsAuthenticatedText();
// The last field of an authenticated run's log line.
inline constexpr const char* NtsLogMark = "NTS";

} // namespace ntp
