#pragma once

#include "ntp/SyncRun.h"

#include <cstdint>
#include <deque>
#include <functional>
#include <optional>
#include <string>
#include <utility>
#include <vector>

// A virtual world for the synchronisation run: a network that plays a script
// of datagrams at given milliseconds after the request, clocks that advance
// only when the run sleeps, and recorders for the dialog, the log and the
// clock setter.
struct FakeSyncWorld : ntp::UdpEndpoint,
                       ntp::EventPump,
                       ntp::TickSource,
                       ntp::LocalClock,
                       ntp::ClockSetter,
                       ntp::MessageSink,
                       ntp::LogSink,
                       ntp::RandomSource {
    struct Scheduled {
        std::int64_t AtMs = 0; // after the request was sent
        std::function<ntp::SocketEvent(const std::vector<std::uint8_t>& request)> Make;
        std::string To;      // the request's address; empty: the first
        std::size_t Nth = 0; // which request to that address
    };
    static constexpr std::size_t Latest = static_cast<std::size_t>(-1);
    struct Sent {
        std::string Address;
        std::vector<std::uint8_t> Bytes;
        std::int64_t AtMs = 0;
    };

    // Settings of the world.
    std::string ServerAddress = "192.0.2.10";
    std::vector<std::string> Addresses; // what the name resolves to; empty: ServerAddress
    ntp::SocketStatus OpenStatus;
    ntp::SocketStatus SendStatus;
    std::uint32_t TickBase = 1000;
    std::int64_t UtcBaseMs = 1078650302457; // 2004-03-07 09:05:02.457 UTC
    std::int64_t LocalMinusUtcMs = 9 * 3600 * 1000;
    bool SetterAccepts = true;
    bool SystemServiceKeepsClock = false; // overrides SetterAccepts
    bool QuitRequested = false;           // the program has been asked to end
    std::uint64_t NextNonce = 0x0123456789ABCDEFu;
    std::vector<Scheduled> Script;
    std::function<void()> DuringWait;   // runs inside every WaitForEvents
    std::function<void()> DuringDialog; // runs inside every ShowSyncMessage

    // Recorded.
    std::int64_t NowMs = 0; // virtual time since the world began
    std::int64_t SentAtMs = -1;
    std::vector<std::uint8_t> LastRequest;
    std::vector<Sent> Sends;
    std::vector<std::string> Trace; // "dialog", "log", "set", "broadcast" in order
    std::vector<std::string> Dialogs;
    std::vector<std::string> LogLines;
    std::vector<ntp::SystemTimeFields> Sets;
    std::vector<std::uint32_t> Waits;
    std::deque<ntp::SocketEvent> Queue;
    bool Open_ = false;

    // UdpEndpoint
    void Close() override {
        Open_ = false;
        Queue.clear();
    }
    ntp::SocketStatus Resolve(const std::string&, std::vector<std::string>& addresses) override {
        addresses = Addresses.empty() ? std::vector<std::string>{ServerAddress} : Addresses;
        return OpenStatus;
    }
    ntp::SocketStatus Send(const std::string& address, std::uint16_t port,
                           const std::vector<std::uint8_t>& bytes) override {
        if (port != 123) {
            return {false, 99, "wrong port", 0};
        }
        if (SendStatus.Ok) {
            LastRequest = bytes;
            SentAtMs = SentAtMs < 0 ? NowMs : SentAtMs;
            Sends.push_back({address, bytes, NowMs});
            Open_ = true;
        }
        return SendStatus;
    }
    void Play(std::int64_t atMs,
              std::function<ntp::SocketEvent(const std::vector<std::uint8_t>&)> make,
              std::string to = {}, std::size_t nth = Latest) {
        Script.push_back({atMs, std::move(make), std::move(to), nth});
    }

    // When a scripted event is due, if its request went out.
    std::optional<std::pair<std::int64_t, const Sent*>> DueAt(const Scheduled& s) const {
        const Sent* found = nullptr;
        std::size_t seen = 0;
        for (const Sent& sent : Sends) {
            if (!s.To.empty() && sent.Address != s.To) {
                continue;
            }
            if (s.Nth == Latest) {
                found = &sent;
            } else if (seen++ == s.Nth) {
                return std::make_pair(sent.AtMs + s.AtMs, &sent);
            }
        }
        if (found != nullptr) {
            return std::make_pair(found->AtMs + s.AtMs, found);
        }
        return std::nullopt;
    }
    std::optional<ntp::SocketEvent> TakeEvent() override {
        if (Queue.empty()) {
            return std::nullopt;
        }
        auto event = Queue.front();
        Queue.pop_front();
        return event;
    }

    // EventPump: jumps to the next scripted datagram or to the deadline.
    void WaitForEvents(std::uint32_t maxMs) override {
        Waits.push_back(maxMs);
        if (DuringWait) {
            DuringWait();
        }
        std::int64_t until = NowMs + maxMs;
        for (const auto& s : Script) {
            if (const auto due = DueAt(s); due && due->first > NowMs && due->first <= until) {
                until = due->first;
            }
        }
        const std::int64_t from = NowMs;
        NowMs = until;
        for (const auto& s : Script) {
            if (const auto due = DueAt(s);
                Open_ && due && due->first > from && due->first <= NowMs) {
                Queue.push_back(s.Make(due->second->Bytes));
            }
        }
    }

    bool Quitting() override { return QuitRequested; }

    // Clocks
    std::uint32_t TickCount() override { return TickBase + static_cast<std::uint32_t>(NowMs); }
    ntp::ClockReading Now() override {
        ntp::ClockReading r;
        r.UtcMicroseconds = (UtcBaseMs + NowMs) * 1000;
        r.Local = DateMath::FromEpochMilliseconds(UtcBaseMs + NowMs + LocalMinusUtcMs);
        r.MonotonicNs = MonotonicNs();
        return r;
    }
    std::int64_t MonotonicNs() override { return NowMs * 1'000'000; }

    // ClockSetter
    ntp::SetTimeResult SetSystemTime(const ntp::SystemTimeFields& fields) override {
        Trace.push_back("set");
        Sets.push_back(fields);
        if (SystemServiceKeepsClock) {
            return ntp::SetTimeResult::SystemServiceKeepsClock;
        }
        return SetterAccepts ? ntp::SetTimeResult::Set : ntp::SetTimeResult::Refused;
    }
    void BroadcastTimeChange() override { Trace.push_back("broadcast"); }

    // Sinks
    void ShowSyncMessage(const std::string& text) override {
        Trace.push_back("dialog");
        Dialogs.push_back(text);
        if (DuringDialog) {
            DuringDialog();
        }
    }
    void AppendLine(const std::string& line) override {
        Trace.push_back("log");
        LogLines.push_back(line);
    }
    std::uint64_t Next64() override { return NextNonce++; }

    ntp::SyncServices Services() {
        return {*this, *this, *this, *this, *this, *this, *this, *this};
    }
};

// A server reply, as the fake network sends it.
struct ReplyPlan {
    std::uint8_t LeapVersionMode = 0x24; // LI 0, VN 4, server
    std::uint8_t Stratum = 2;
    std::uint8_t Poll = 6;
    std::uint8_t Precision = 0xEC;
    std::uint32_t RootDispersion = 0; // 16.16 seconds
    std::string ReferenceId = "GPS ";
    std::uint32_t ReceiveSeconds = 0;
    std::uint32_t ReceiveFraction = 0;
    std::uint32_t TransmitSeconds = 0;
    std::uint32_t TransmitFraction = 0;
    bool EchoOrigin = true;
    std::size_t Length = 48;
    std::string From = "192.0.2.10";
    std::uint16_t FromPort = 123;
    std::int64_t ArrivedMsEarlier = 0; // arrival stamp before the pump returns

    std::function<ntp::SocketEvent(const std::vector<std::uint8_t>&)>
    Maker(FakeSyncWorld& world) const {
        ReplyPlan plan = *this;
        return [plan, &world](const std::vector<std::uint8_t>& request) {
            std::vector<std::uint8_t> bytes(std::max<std::size_t>(plan.Length, 48), 0);
            bytes[0] = plan.LeapVersionMode;
            bytes[1] = plan.Stratum;
            bytes[2] = plan.Poll;
            bytes[3] = plan.Precision;
            auto put = [&](std::size_t at, std::uint32_t v) {
                for (int i = 0; i < 4; ++i) {
                    bytes[at + static_cast<std::size_t>(i)] =
                        static_cast<std::uint8_t>(v >> (24 - 8 * i));
                }
            };
            put(8, plan.RootDispersion);
            std::copy(plan.ReferenceId.begin(), plan.ReferenceId.begin() + 4, bytes.begin() + 12);
            if (plan.EchoOrigin && request.size() >= 48) {
                std::copy(request.begin() + 40, request.begin() + 48, bytes.begin() + 24);
            }
            put(32, plan.ReceiveSeconds);
            put(36, plan.ReceiveFraction);
            put(40, plan.TransmitSeconds);
            put(44, plan.TransmitFraction);
            bytes.resize(plan.Length);
            ntp::Datagram d;
            d.Bytes = bytes;
            d.SourceAddress = plan.From;
            d.SourcePort = plan.FromPort;
            d.ArrivalMonotonicNs = (world.NowMs - plan.ArrivedMsEarlier) * 1'000'000;
            return ntp::SocketEvent(d);
        };
    }
};
