#include "SyncRunner.h"

#include "LogFile.h"
#include "QtSyncAdapters.h"
#include "TextCodec.h"
#ifndef _WIN32
#include "NtsModule.h"
#include "ntp/Aead.h"
#include "ntp/NtsSession.h"

#include <cerrno>
#include <sys/random.h>
#endif

#include <cstdlib>
#include <utility>

namespace {

// The log is in the same encoding as the settings file (the ANSI code page on
// Windows), which matters only for a server name that is not ASCII.
class EncodedLogSink final : public ntp::LogSink {
public:
    explicit EncodedLogSink(std::string path) : file_(std::move(path)) {}
    void AppendLine(const std::string& line) override {
        file_.AppendLine(TextCodec::Utf8ToFileText(line));
    }

private:
    LogFile file_;
};

#ifndef _WIN32
// The key exchange loads the NTS module; a module that cannot be loaded fails
// the run as a TLS failure, its reason in the log.
class LoadingKeyExchanger final : public ntp::NtsKeyExchanger {
public:
    ntp::NtsKeyExchangeResult Run(const std::string& host, std::uint16_t port) override {
        std::string why;
        if (NtsBackend* backend = NtsModule::Backend(why)) {
            return backend->KeyExchange(host, port);
        }
        ntp::NtsKeyExchangeResult failed;
        failed.Failure = ntp::NtsKeFailure::TlsFailed;
        failed.Detail = why;
        return failed;
    }
};

// Sealing follows a key exchange, so the module is there by then; without
// it nothing seals or opens.
class LoadedAead final : public ntp::Aead {
public:
    std::optional<std::vector<std::uint8_t>> Seal(ntp::ByteSpan key,
                                                  std::span<const ntp::ByteSpan> associated,
                                                  ntp::ByteSpan plaintext) override {
        NtsBackend* backend = NtsModule::Loaded();
        return backend ? backend->Aead().Seal(key, associated, plaintext) : std::nullopt;
    }
    std::optional<std::vector<std::uint8_t>> Open(ntp::ByteSpan key,
                                                  std::span<const ntp::ByteSpan> associated,
                                                  ntp::ByteSpan sealed) override {
        NtsBackend* backend = NtsModule::Loaded();
        return backend ? backend->Aead().Open(key, associated, sealed) : std::nullopt;
    }
};

void RandomBytes(std::uint8_t* out, std::size_t size) {
    while (size > 0) {
        const ssize_t n = ::getrandom(out, size, 0);
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n <= 0) {
            // A predictable identifier or nonce would let a forger pair
            // replies or break the seal; better no request at all.
            std::abort();
        }
        out += n;
        size -= static_cast<std::size_t>(n);
    }
}
#endif

} // namespace

struct SyncRunner::Impl {
    Impl(SettingsRecord& s, ntp::MessageSink& messages, ntp::ClockSetter& setter,
         std::string logPath)
        : settings(s), log(std::move(logPath)),
          socket(pump, clocks, clocks), services{socket,   pump, clocks, clocks, setter,
                                                 messages, log,  random, Nts()} {}

    SettingsRecord& settings;
    EncodedLogSink log;
    QtSync::EventPump pump;
    QtSync::Clocks clocks;
    QtSync::Random random;
    QtSync::UdpEndpoint socket;
#ifdef _WIN32
    // Without OpenSSL an authenticated run fails as a failed key exchange,
    // never as a plain one.
    ntp::NtsServices* Nts() {
        return nullptr;
    }
#else
    LoadedAead aead;
    ntp::NtsSession session{aead, RandomBytes};
    LoadingKeyExchanger keyExchanger;
    ntp::NtsServices nts{keyExchanger, session, {}};
    ntp::NtsServices* Nts() {
        return &nts;
    }
#endif
    ntp::SyncServices services;
    ntp::SyncState state;
};

SyncRunner::SyncRunner(SettingsRecord& settings, ntp::MessageSink& messages,
                       ntp::ClockSetter& setter, std::string logPath)
    : impl_(std::make_unique<Impl>(settings, messages, setter, std::move(logPath))) {
    impl_->state.ServerTimeFloorUnixSeconds = MORVATEL_BUILD_EPOCH;
}

SyncRunner::~SyncRunner() = default;

ntp::SyncOutcome SyncRunner::SyncSystemTime(bool showResult, const std::string& server) {
    return ntp::SyncSystemTime(impl_->state, impl_->settings, impl_->services, showResult, server);
}

void SyncRunner::Abandon() {
    impl_->pump.Quit();
}

ntp::QueryOutcome SyncRunner::Query(const std::string& server) {
    return ntp::QueryServer(impl_->state, impl_->settings, impl_->services, server);
}

const std::string& SyncRunner::LastSyncText() const {
    return impl_->state.LastSyncText;
}
