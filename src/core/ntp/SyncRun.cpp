#include "ntp/SyncRun.h"

#include "ntp/SyncLog.h"
#include "ntp/SyncTexts.h"
#include "ntp/SystemTimeService.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
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

struct Request {
    std::string Address; // where the reply must come from
    NTPTimestamp Origin; // what the reply must echo
};

enum class ExchangeKind { Reply, CantOpen, OverDelay, NoResponse, Reported, Abandoned };

struct Exchange {
    ExchangeKind Kind = ExchangeKind::Reply;
    std::string Text;
    std::int32_t Number = 0;
    std::string Code;
    std::int64_t SentUtcMicroseconds = 0; // just before the request left
    std::int64_t SentMonotonicNs = 0;
    ClockReading Before; // right after it left
    std::uint32_t Elapsed = 0;
    std::int64_t ArrivalMonotonicNs = 0;
};

bool SendNTPRequest(SyncState& state, SyncServices& services, const std::string& server,
                    Request& request, Exchange& exchange) {
    NTPResult& result = state.Result;
    const auto packet = BuildNTPRequest(services.Random.Next64());
    request.Origin = ReadTimestamp(packet.data(), 40);

    services.Socket.Close();
    SocketStatus status = services.Socket.Open(server, NTPPort, request.Address);
    if (status.Ok) {
        const ClockReading sent = services.Clock.Now();
        exchange.SentUtcMicroseconds = sent.UtcMicroseconds;
        exchange.SentMonotonicNs = sent.MonotonicNs;
        status = services.Socket.Send({packet.begin(), packet.end()});
        if (status.Ok && status.SentMonotonicNs != 0) {
            exchange.SentUtcMicroseconds += (status.SentMonotonicNs - sent.MonotonicNs) / 1000;
            exchange.SentMonotonicNs = status.SentMonotonicNs;
        }
    }
    if (!status.Ok) {
        services.Socket.Close();
        result.ErrorMessage = CantOpenText(server);
        result.ErrorNumber = status.ErrorNumber;
        result.ErrorCode = CodeCantOpen;
        return false;
    }
    return true;
}

void OnDatagram(SyncState& state, SyncServices& services, const Request& request,
                const Datagram& datagram, const std::string& server, float utcOffsetHours,
                Exchange& exchange) {
    NTPResult& result = state.Result;
    // Anything not from the server's NTP port is someone else's packet, and a
    // 48-byte one that does not echo our nonce answers some other request (or
    // none): neither may set the clock, and the run keeps waiting for ours.
    if (datagram.SourceAddress != request.Address || datagram.SourcePort != NTPPort) {
        return;
    }
    const std::uint8_t* bytes = datagram.Bytes.data();
    const std::size_t length = datagram.Bytes.size();
    if (length == PacketSize && !(ReadTimestamp(bytes, 24) == request.Origin)) {
        return;
    }
    services.Socket.Close();
    if (length == PacketSize && IsUntrustedReply(bytes)) {
        result.ServerTimeUTC.clear();
        result.ErrorMessage = NotSynchronizedText(server);
        result.ErrorCode = CodeNotSynchronized;
        result.ErrorNumber = 0;
        return;
    }
    ParseNTPReply(result, bytes, length, utcOffsetHours);
    exchange.ArrivalMonotonicNs = datagram.ArrivalMonotonicNs;
}

void OnSocketError(SyncState& state, SyncServices& services, const SocketError& error) {
    services.Socket.Close();
    state.Result.ErrorMessage =
        "通信エラー No." + Text::Integer(error.Number) + ": " + error.Description;
}

// Handles socket events until one of them decides the run.
void DispatchSocketEvents(SyncState& state, SyncServices& services, const Request& request,
                          const std::string& server, float utcOffsetHours, Exchange& exchange) {
    const NTPResult& result = state.Result;
    while (result.ServerTimeUTC.empty() && result.ErrorMessage.empty()) {
        auto event = services.Socket.TakeEvent();
        if (!event) {
            return;
        }
        if (const auto* datagram = std::get_if<Datagram>(&*event)) {
            OnDatagram(state, services, request, *datagram, server, utcOffsetHours, exchange);
        } else {
            OnSocketError(state, services, std::get<SocketError>(*event));
        }
    }
}

// No reply and no error: what a run starts from and leaves behind.
void ClearReplyAndError(NTPResult& result) {
    result.ServerTimeUTC.clear();
    result.ErrorMessage.clear();
    result.ErrorNumber = 0;
    result.ErrorCode.clear();
}

// The program is ending: nothing of this run may reach the clock, the dialog
// or the log, and no error of it may linger.
Exchange Abandon(SyncState& state, SyncServices& services) {
    services.Socket.Close();
    ClearReplyAndError(state.Result);
    Exchange exchange;
    exchange.Kind = ExchangeKind::Abandoned;
    return exchange;
}

Exchange RunExchange(SyncState& state, const SettingsRecord& settings, SyncServices& services,
                     const std::string& server) {
    NTPResult& result = state.Result;
    ClearReplyAndError(result);

    Exchange exchange;
    Request request;
    if (services.Pump.Quitting()) {
        return Abandon(state, services);
    }
    if (!SendNTPRequest(state, services, server, request, exchange)) {
        // A name lookup cut short by the exit is no fault of the server.
        if (services.Pump.Quitting()) {
            return Abandon(state, services);
        }
        exchange.Kind = ExchangeKind::CantOpen;
        exchange.Text = result.ErrorMessage;
        exchange.Number = result.ErrorNumber;
        exchange.Code = result.ErrorCode;
        return exchange;
    }
    exchange.Before = services.Clock.Now();
    const std::uint32_t start = services.Ticks.TickCount();

    const bool usePermissible = settings.NTP_UsePermissibleDelay;
    const std::int64_t permissible = settings.NTP_PermissibleDelay;
    const std::int64_t limit =
        usePermissible ? std::min<std::int64_t>(permissible, ReplyTimeoutMs) : ReplyTimeoutMs;

    while (result.ServerTimeUTC.empty()) {
        // Sleep until the first limit has just been passed; the pump returns
        // earlier when the socket has something.
        const std::int64_t wait = std::clamp<std::int64_t>(
            limit + 1 - std::int64_t{exchange.Elapsed}, 0, std::int64_t{ReplyTimeoutMs} + 1);
        services.Pump.WaitForEvents(static_cast<std::uint32_t>(wait));
        if (services.Pump.Quitting()) {
            return Abandon(state, services);
        }
        DispatchSocketEvents(state, services, request, server, settings.NTP_UTCOffset, exchange);
        // Unsigned subtraction keeps the round trip right across the tick
        // count's wrap.
        exchange.Elapsed = services.Ticks.TickCount() - start;

        if (usePermissible && std::int64_t{exchange.Elapsed} > permissible) {
            exchange.Kind = ExchangeKind::OverDelay;
            exchange.Text = OverPermissibleDelayText(server);
            exchange.Code = CodeOverDelay;
        } else if (exchange.Elapsed > ReplyTimeoutMs) {
            exchange.Kind = ExchangeKind::NoResponse;
            exchange.Text = NoResponseText(server);
            exchange.Code = CodeNoResponse;
        } else if (!result.ErrorMessage.empty()) {
            exchange.Kind = ExchangeKind::Reported;
            exchange.Text = result.ErrorMessage;
            exchange.Number = result.ErrorNumber;
            exchange.Code = result.ErrorCode;
        } else {
            continue;
        }
        // Whatever still comes belongs to no run; the next one opens afresh.
        services.Socket.Close();
        result.ServerTimeUTC.clear();
        return exchange;
    }
    return exchange;
}

void ReportFailure(SyncState& state, SettingsRecord& settings, SyncServices& services,
                   const std::string& server, const Exchange& exchange, bool rearmTimer) {
    // The dialog is modal and other runs may proceed under it, so everything
    // this run logs was taken before it opened.
    services.Messages.ShowSyncMessage(exchange.Text);
    WriteNTPLog(state.Result, settings, services.Log, services.Clock.Now().Local, false, server,
                0.0f, false, std::string(), exchange.Number, exchange.Code);
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

std::int64_t NtpToUnixNanoseconds(const NTPTimestamp& t) {
    const std::int64_t seconds = std::int64_t{t.Seconds} - SecondsFrom1900To1970;
    const auto fraction =
        static_cast<std::int64_t>((std::uint64_t{t.Fraction} * 1'000'000'000u) >> 32);
    return seconds * 1'000'000'000 + fraction;
}

// The standard NTP estimates from the four instants: the server's clock
// minus ours, and the round trip less the server's own processing.
void MeasureOffsetAndDelay(const Exchange& exchange, const NTPResult& result, double& offsetSeconds,
                           double& delaySeconds) {
    const std::int64_t t1 = exchange.SentUtcMicroseconds * 1000;
    const std::int64_t t4 = t1 + (exchange.ArrivalMonotonicNs - exchange.SentMonotonicNs);
    const std::int64_t t2 = NtpToUnixNanoseconds(result.Receive);
    const std::int64_t t3 = NtpToUnixNanoseconds(result.Transmit);
    offsetSeconds = static_cast<double>((t2 - t1) + (t3 - t4)) / 2e9;
    delaySeconds = static_cast<double>((t4 - t1) - (t3 - t2)) / 1e9;
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
    NTPResult& result = state.Result;

    const Exchange exchange = RunExchange(state, settings, services, server);
    if (exchange.Kind == ExchangeKind::Abandoned) {
        return SyncOutcome::Abandoned;
    }
    if (exchange.Kind != ExchangeKind::Reply) {
        waiting.Release();
        ReportFailure(state, settings, services, server, exchange,
                      exchange.Kind != ExchangeKind::CantOpen);
        return SyncOutcome::Failed;
    }

    // Half the round trip the server did not spend on the request. A server
    // whose receive stamp is nonsense must not push the clock further than
    // the round trip allows.
    const double roundTrip = exchange.Elapsed;
    const double processing = static_cast<double>(result.ServerProcessingTime) / 10.0;
    const auto oneWay =
        static_cast<float>(std::clamp((roundTrip - processing) / 2.0, 0.0, roundTrip / 2.0));

    // The reply describes the moment it arrived; whatever the run spent since
    // (a log, a slow setter) is added so the clock is set to now, not then.
    const std::int64_t sinceArrival =
        std::max<std::int64_t>(0, services.Clock.MonotonicNs() - exchange.ArrivalMonotonicNs);
    const std::int64_t setMilliseconds =
        result.ServerUnixSeconds * 1000 +
        Text::RoundHalfEven(result.ServerMilliseconds + static_cast<double>(oneWay) +
                            static_cast<double>(sinceArrival) / 1e6);
    const SetTimeResult set =
        services.Setter.SetSystemTime(FieldsFromUnixMilliseconds(setMilliseconds));
    waiting.Release();

    if (set == SetTimeResult::SystemServiceKeepsClock) {
        double offset = 0.0;
        double delay = 0.0;
        MeasureOffsetAndDelay(exchange, result, offset, delay);
        ReportSystemServiceKeepsClock(result, settings, services, server, showResult, -offset);
        result.ServerTimeUTC.clear();
        return SyncOutcome::ClockKeptBySystem;
    }
    if (set != SetTimeResult::Set) {
        Exchange refused = exchange;
        refused.Text = ClockRefusedText();
        refused.Number = 0;
        refused.Code = CodeClockRefused;
        result.ServerTimeUTC.clear();
        ReportFailure(state, settings, services, server, refused, true);
        return SyncOutcome::Failed;
    }

    services.Setter.BroadcastTimeChange();
    state.LastSyncText = Text::DateTimeShort(services.Clock.Now().Local);

    // Both sides in UTC, so neither daylight saving nor a stale NTP_UTCOffset
    // shows up as a difference.
    const double diffMs =
        static_cast<double>(exchange.Before.UtcMicroseconds) / 1000.0 -
        (static_cast<double>(result.ServerUnixSeconds) * 1000.0 + result.ServerMilliseconds);
    const std::int64_t diffSeconds = std::llround(diffMs / 1000.0);

    SuccessFigures figures;
    figures.Server = server;
    const LocalDateTime& before = exchange.Before.Local;
    figures.BeforeText = Text::DateTimeThousandths(before, before.millisecond);
    figures.ReceivedText = ReceivedTimeText(result, settings.NTP_UTCOffset);
    figures.Negative = diffSeconds < 0;
    figures.DiffText = Text::ClockDuration(std::llabs(diffSeconds));
    figures.OneWay = oneWay;
    const std::string text = SuccessText(result, figures);

    WriteNTPLog(result, settings, services.Log, services.Clock.Now().Local, true, server, oneWay,
                figures.Negative, figures.DiffText, 0, std::string());
    result.ServerTimeUTC.clear();
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
    NTPResult& result = state.Result;

    const Exchange exchange = RunExchange(state, settings, services, server);
    if (exchange.Kind != ExchangeKind::Reply) {
        outcome.FailureText = exchange.Text;
        outcome.ErrorNumber = exchange.Number;
        outcome.ErrorCode = exchange.Code;
    } else {
        outcome.Ok = true;
        outcome.Stratum = result.Stratum;
        MeasureOffsetAndDelay(exchange, result, outcome.OffsetSeconds, outcome.DelaySeconds);
    }
    ClearReplyAndError(result);
    return outcome;
}

} // namespace ntp
