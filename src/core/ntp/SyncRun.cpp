#include "ntp/SyncRun.h"

#include "ntp/Exchange.h"
#include "ntp/NtsSession.h"
#include "ntp/SyncLog.h"
#include "ntp/SyncTexts.h"
#include "ntp/SystemTimeService.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <map>
#include <variant>

namespace ntp {

namespace {

// Refuses a second run for as long as the first one may still be reading the
// socket or setting the clock; two relative corrections in flight would move
// the clock twice.
class WaitingFlag {
public:
    explicit WaitingFlag(SyncState& state) : state_(state) { state_.Waiting = true; }
    ~WaitingFlag() { Release(); }
    WaitingFlag(const WaitingFlag&) = delete;
    WaitingFlag& operator=(const WaitingFlag&) = delete;
    void Release() { state_.Waiting = false; }

private:
    SyncState& state_;
};

enum class ExchangeEnd { Sampled, Failed, Abandoned };

struct Finished {
    ExchangeEnd End = ExchangeEnd::Failed;
    Sample Kept;
    Failure Why;
    ClockReading Before; // right after the kept sample's request left
    bool Authenticated = false;
};

// The NTP server and port to ask, and who vouches for the replies.
struct Target {
    std::string Server;
    std::uint16_t Port = NTPPort;
    Authenticator* Auth = nullptr;
};

Finished Abandon(SyncServices& services) {
    services.Socket.Close();
    return {ExchangeEnd::Abandoned, {}, {}, {}};
}

// Drives one exchange: sends what it asks for, sleeps in the pump until its
// next wake-up or a socket event, and feeds it what arrived.
Finished RunExchange(const SyncState& state, const SettingsRecord& settings, SyncServices& services,
                     const Target& target) {
    if (services.Pump.Quitting()) {
        return Abandon(services);
    }
    services.Socket.Close();
    std::vector<std::string> addresses;
    const SocketStatus resolved = services.Socket.Resolve(target.Server, addresses);
    if (!resolved.Ok || addresses.empty()) {
        // A name lookup cut short by the exit is no fault of the server.
        if (services.Pump.Quitting()) {
            return Abandon(services);
        }
        return {ExchangeEnd::Failed,
                {},
                {FailureKind::CantOpen, resolved.ErrorNumber, resolved.Description, 0},
                {}};
    }

    const ClockReading start = services.Clock.Now();
    ExchangeSettings exchangeSettings;
    exchangeSettings.Addresses = std::move(addresses);
    exchangeSettings.Port = target.Port;
    exchangeSettings.Auth = target.Auth;
    exchangeSettings.Samples = settings.NTP_Samples;
    exchangeSettings.UsePermissibleDelay = settings.NTP_UsePermissibleDelay;
    exchangeSettings.PermissibleDelayMs = settings.NTP_PermissibleDelay;
    exchangeSettings.ReplyTimeoutMs = ReplyTimeoutMs;
    exchangeSettings.FloorUnixSeconds = state.ServerTimeFloorUnixSeconds;
    exchangeSettings.UtcMinusMonotonicNs = start.UtcMicroseconds * 1000 - start.MonotonicNs;
    Exchange exchange(std::move(exchangeSettings), services.Random, start.MonotonicNs);

    std::map<std::size_t, ClockReading> before;
    for (;;) {
        for (auto due = exchange.Poll(services.Clock.MonotonicNs()); !due.empty();
             due = exchange.Poll(services.Clock.MonotonicNs())) {
            for (const OutgoingRequest& request : due) {
                const std::int64_t readyNs = services.Clock.MonotonicNs();
                const SocketStatus sent =
                    services.Socket.Send(request.Address, target.Port, request.Bytes);
                if (!sent.Ok) {
                    exchange.SendFailed(request.Request, sent.ErrorNumber, sent.Description);
                    continue;
                }
                exchange.Sent(request.Request,
                              sent.SentMonotonicNs != 0 ? sent.SentMonotonicNs : readyNs);
                before[request.Request] = services.Clock.Now();
            }
        }
        if (exchange.Done()) {
            break;
        }
        constexpr std::int64_t nsPerMs = 1'000'000;
        const std::int64_t untilNs = exchange.NextWakeNs() - services.Clock.MonotonicNs();
        const std::int64_t waitMs = std::clamp<std::int64_t>((untilNs + nsPerMs - 1) / nsPerMs, 0,
                                                             std::int64_t{ReplyTimeoutMs} + 1);
        services.Pump.WaitForEvents(static_cast<std::uint32_t>(waitMs));
        if (services.Pump.Quitting()) {
            return Abandon(services);
        }
        while (auto event = services.Socket.TakeEvent()) {
            if (const auto* datagram = std::get_if<Datagram>(&*event)) {
                exchange.OnDatagram(*datagram);
            } else {
                const auto& error = std::get<SocketError>(*event);
                exchange.OnSocketError(error.Address, error);
            }
        }
    }
    // Whatever still comes belongs to no run; the next one opens afresh.
    services.Socket.Close();
    if (const auto* sample = std::get_if<Sample>(&exchange.Outcome())) {
        return {ExchangeEnd::Sampled, *sample, {}, before[sample->Request], target.Auth != nullptr};
    }
    return {ExchangeEnd::Failed, {}, std::get<Failure>(exchange.Outcome()), {}};
}

// The key exchange first when the session has no keys or no cookie left (or
// came from another server); its own time limit leaves the permissible delay
// to the NTP exchange. A server that no longer knows the keys gets one new
// key exchange and one more try, never more: an attacker who forges that
// kiss must not keep the run asking.
Finished RunAuthenticated(const SyncState& state, const SettingsRecord& settings,
                          SyncServices& services, const std::string& server) {
    if (services.Nts == nullptr) {
        return {
            ExchangeEnd::Failed,
            {},
            {FailureKind::KeyExchange, static_cast<std::int32_t>(NtsKeFailure::TlsFailed), {}, 0},
            {}};
    }
    NtsServices& nts = *services.Nts;
    const auto kePort = static_cast<std::uint16_t>(std::clamp(settings.NTS_Port, 1, 65535));
    const std::string keServer = server + " " + std::to_string(kePort);
    if (nts.EstablishedWith != keServer) {
        nts.Session.Forget();
    }
    for (int attempt = 0;; ++attempt) {
        if (services.Pump.Quitting()) {
            return Abandon(services);
        }
        if (nts.Session.NeedsKeyExchange()) {
            NtsKeyExchangeResult keys = nts.KeyExchange.Run(server, kePort);
            if (services.Pump.Quitting()) {
                return Abandon(services);
            }
            if (keys.Failure != NtsKeFailure::None) {
                Failure why{FailureKind::KeyExchange, static_cast<std::int32_t>(keys.Failure),
                            keys.Detail, 0};
                why.ServerCode = keys.Code;
                return {ExchangeEnd::Failed, {}, why, {}};
            }
            nts.Session.Establish(std::move(keys.C2SKey), std::move(keys.S2CKey), keys.Response,
                                  server);
            nts.EstablishedWith = keServer;
        }
        Finished finished =
            RunExchange(state, settings, services,
                        {nts.Session.NtpServer(), nts.Session.NtpPort(), &nts.Session});
        if (finished.End != ExchangeEnd::Failed || finished.Why.Kind != FailureKind::KeysRevoked ||
            attempt > 0) {
            return finished;
        }
    }
}

Finished Run(const SyncState& state, const SettingsRecord& settings, SyncServices& services,
             const std::string& server) {
    return settings.NTS ? RunAuthenticated(state, settings, services, server)
                        : RunExchange(state, settings, services, {server, NTPPort, nullptr});
}

void ReportFailure(SettingsRecord& settings, SyncServices& services, const std::string& server,
                   const FailureReport& report, bool rearmTimer) {
    // The dialog is modal and other runs may proceed under it, so everything
    // this run logs was taken before it opened.
    services.Messages.ShowSyncMessage(report.Text);
    WriteNTPLog(settings, services.Log, services.Clock.Now().Local, false, server, 0.0f, false,
                std::string(), report.Number, report.Code);
    if (rearmTimer && settings.NTPbyTimer) {
        settings.NTPCountdown = 1;
    }
}

SystemTimeFields FieldsFromUnixMilliseconds(std::int64_t ms) {
    const LocalDateTime t = DateMath::FromEpochMilliseconds(ms);
    auto field = [](int value) { return static_cast<std::uint16_t>(std::clamp(value, 0, 65535)); };
    SystemTimeFields fields;
    fields.Year = field(t.year);
    fields.Month = field(t.month);
    fields.DayOfWeek = 0;
    fields.Day = field(t.day);
    fields.Hour = field(t.hour);
    fields.Minute = field(t.minute);
    fields.Second = field(t.second);
    fields.Milliseconds = field(t.millisecond);
    return fields;
}

} // namespace

bool IsValidSystemTime(const SystemTimeFields& utc) {
    return utc.Year >= 1601 && utc.Year <= 30827 && utc.Month >= 1 && utc.Month <= 12 &&
           utc.Day >= 1 && utc.Day <= DateMath::DaysInMonth(utc.Year, utc.Month) && utc.Hour < 24 &&
           utc.Minute < 60 && utc.Second < 60 && utc.Milliseconds < 1000;
}

SyncOutcome SyncSystemTime(SyncState& state, SettingsRecord& settings, SyncServices& services,
                           bool showResult, std::string server) {
    if (state.Waiting) {
        return SyncOutcome::NotStarted;
    }
    WaitingFlag waiting(state);

    const Finished finished = Run(state, settings, services, server);
    if (finished.End == ExchangeEnd::Abandoned) {
        return SyncOutcome::Abandoned;
    }
    if (finished.End == ExchangeEnd::Failed) {
        waiting.Release();
        ReportFailure(settings, services, server, DescribeFailure(finished.Why, server),
                      finished.Why.Kind != FailureKind::CantOpen);
        return SyncOutcome::Failed;
    }
    const Sample& sample = finished.Kept;

    // Half the round trip the server did not spend on the request. A server
    // whose receive stamp is nonsense must not push the clock further than
    // the round trip allows.
    const double roundTrip = static_cast<double>(sample.RoundTripNs) / 1e6;
    const double processing = static_cast<double>(sample.ProcessingTenThousandths) / 10.0;
    const auto oneWay =
        static_cast<float>(std::clamp((roundTrip - processing) / 2.0, 0.0, roundTrip / 2.0));
    const double serverMilliseconds = static_cast<double>(sample.TransmitTenThousandths) / 10.0;

    // The reply describes the moment it arrived; whatever the run spent since
    // (a log, a slow setter) is added so the clock is set to now, not then.
    const std::int64_t sinceArrival =
        std::max<std::int64_t>(0, services.Clock.MonotonicNs() - sample.ArrivalMonotonicNs);
    const std::int64_t setMilliseconds =
        sample.TransmitUnixSeconds * 1000 +
        Text::RoundHalfEven(serverMilliseconds + static_cast<double>(oneWay) +
                            static_cast<double>(sinceArrival) / 1e6);
    const SetTimeResult set =
        services.Setter.SetSystemTime(FieldsFromUnixMilliseconds(setMilliseconds));
    waiting.Release();

    if (set == SetTimeResult::SystemServiceKeepsClock) {
        ReportSystemServiceKeepsClock(settings, services, server, showResult,
                                      -static_cast<double>(sample.OffsetNs) / 1e9);
        return SyncOutcome::ClockKeptBySystem;
    }
    if (set != SetTimeResult::Set) {
        ReportFailure(settings, services, server, {ClockRefusedText(), 0, CodeClockRefused}, true);
        return SyncOutcome::Failed;
    }

    services.Setter.BroadcastTimeChange();
    state.LastSyncText = Text::DateTimeShort(services.Clock.Now().Local);

    // Both sides in UTC, so neither daylight saving nor a stale NTP_UTCOffset
    // shows up as a difference.
    const double diffMs =
        static_cast<double>(finished.Before.UtcMicroseconds) / 1000.0 -
        (static_cast<double>(sample.TransmitUnixSeconds) * 1000.0 + serverMilliseconds);
    const std::int64_t diffSeconds = std::llround(diffMs / 1000.0);

    SuccessFigures figures;
    figures.Server = server;
    const LocalDateTime& before = finished.Before.Local;
    figures.BeforeText = Text::DateTimeThousandths(before, before.millisecond);
    figures.ReceivedText =
        ReceivedTimeText(sample.TransmitUnixSeconds, serverMilliseconds, settings.NTP_UTCOffset);
    figures.Negative = diffSeconds < 0;
    figures.DiffText = Text::DialogDuration(std::llabs(diffSeconds));
    figures.OneWay = oneWay;
    figures.Authenticated = finished.Authenticated;
    const std::string text = SuccessText(sample, figures);

    WriteNTPLog(settings, services.Log, services.Clock.Now().Local, true, server, oneWay,
                figures.Negative, Text::LogDuration(std::llabs(diffSeconds)), 0, std::string(),
                finished.Authenticated);
    if (showResult) {
        services.Messages.ShowSyncMessage(text);
    }
    return SyncOutcome::Succeeded;
}

QueryOutcome QueryServer(SyncState& state, const SettingsRecord& settings, SyncServices& services,
                         const std::string& server) {
    QueryOutcome outcome;
    if (state.Waiting) {
        return outcome;
    }
    WaitingFlag waiting(state);

    const Finished finished = Run(state, settings, services, server);
    if (finished.End == ExchangeEnd::Sampled) {
        outcome.Ok = true;
        outcome.Authenticated = finished.Authenticated;
        outcome.Stratum = finished.Kept.Stratum;
        outcome.OffsetSeconds = static_cast<double>(finished.Kept.OffsetNs) / 1e9;
        outcome.DelaySeconds = static_cast<double>(finished.Kept.DelayNs) / 1e9;
    } else if (finished.End == ExchangeEnd::Failed) {
        const FailureReport report = DescribeFailure(finished.Why, server);
        outcome.FailureText = report.Text;
        outcome.ErrorNumber = report.Number;
        outcome.ErrorCode = report.Code;
    }
    return outcome;
}

} // namespace ntp
