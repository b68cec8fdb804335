#pragma once

#include "ntp/Aead.h"
#include "ntp/NtsSession.h"

#include <cstdint>
#include <string>

// Network Time Security's TLS and sealing, which need OpenSSL, live in a
// module of their own (morvatel-nts.so) that is loaded at the first
// authenticated run: linked into the program, OpenSSL alone would cost every
// clock about 1.7 MiB resident from start-up, for a setting few ever turn on.
class NtsBackend {
public:
    virtual ~NtsBackend() = default;
    virtual ntp::NtsKeyExchangeResult KeyExchange(const std::string& host, std::uint16_t port) = 0;
    virtual ntp::Aead& Aead() = 0;
};

// The module's one entry point: the backend, or null when the caller is a
// program of another version than the module's (the two share classes).
extern "C" using NtsBackendEntry = NtsBackend * (*)(const char* programVersion);
inline constexpr char kNtsBackendEntry[] = "morvatel_nts_backend";
inline constexpr char kNtsModuleName[] = "morvatel-nts.so";

namespace NtsModule {

// Loads the module on the first call and keeps it for the process's life.
// Null, with the reason in `why` (for the log), when it cannot be found,
// trusted or loaded; a later call tries again.
NtsBackend* Backend(std::string& why);

// The backend if an earlier call loaded it, without trying.
NtsBackend* Loaded();

} // namespace NtsModule
