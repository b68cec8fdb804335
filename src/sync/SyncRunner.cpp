#include "sync/SyncRunner.h"

#include "sync/FileLogSink.h"
#include "sync/QtSyncAdapters.h"

#include "platform/TextCodec.h"

#include <utility>

namespace {

class FunctionMessageSink final : public modNTP::MessageSink {
public:
    explicit FunctionMessageSink(SyncRunner::MessageSink sink) : sink_(std::move(sink)) {}
    void ShowSyncMessage(const std::string& text) override {
        if (sink_) {
            sink_(text);
        }
    }

private:
    SyncRunner::MessageSink sink_;
};

// The log is in the same encoding as the settings file (the ANSI code page on
// Windows), which matters only for a server name that is not ASCII.
class EncodedLogSink final : public modNTP::LogSink {
public:
    explicit EncodedLogSink(std::string path) : file_(std::move(path)) {}
    void AppendLine(const std::string& line) override {
        file_.AppendLine(TextCodec::Utf8ToFileText(line));
    }
    void SetPath(std::string path) { file_.SetPath(std::move(path)); }

private:
    modNTP::FileLogSink file_;
};

} // namespace

struct SyncRunner::Impl {
    Impl(SettingsRecord& s, MessageSink sink, modNTP::ClockSetter& setter, std::string logPath)
        : settings(s), messages(std::move(sink)), log(std::move(logPath)),
          socket(pump, clocks, clocks), services{socket, pump,     clocks, clocks,
                                                 setter, messages, log,    random} {}

    SettingsRecord& settings;
    FunctionMessageSink messages;
    EncodedLogSink log;
    QtSync::EventPump pump;
    QtSync::Clocks clocks;
    QtSync::Random random;
    QtSync::UdpEndpoint socket;
    modNTP::SyncServices services;
    modNTP::SyncState state;
};

SyncRunner::SyncRunner(SettingsRecord& settings, MessageSink showSyncMessage,
                       modNTP::ClockSetter& setter, std::string logPath)
    : impl_(std::make_unique<Impl>(settings, std::move(showSyncMessage), setter,
                                   std::move(logPath))) {}

SyncRunner::~SyncRunner() = default;

modNTP::SyncOutcome SyncRunner::SyncSystemTime(bool showResult, const std::string& server) {
    return modNTP::SyncSystemTime(impl_->state, impl_->settings, impl_->services, showResult,
                                  server);
}

modNTP::QueryOutcome SyncRunner::Query(const std::string& server) {
    return modNTP::QueryServer(impl_->state, impl_->settings, impl_->services, server);
}

bool SyncRunner::IsWaiting() const {
    return impl_->state.Waiting;
}

const std::string& SyncRunner::LastSyncText() const {
    return impl_->state.LastSyncText;
}

void SyncRunner::SetLogPath(std::string logPath) {
    impl_->log.SetPath(std::move(logPath));
}
