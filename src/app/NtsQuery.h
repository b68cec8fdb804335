#pragma once

#include "ntp/SyncRun.h"

#include <cstdint>
#include <string>

// An authenticated query: a key exchange with host, then one NTP request with
// NTS extension fields to the server and port the exchange names. Only a
// reply whose authenticator verifies counts; a kiss-o'-death NTSN is answered
// by one new key exchange. Nothing is set, shown or logged.
ntp::QueryOutcome NtsQuery(const std::string& host, std::uint16_t kePort);
