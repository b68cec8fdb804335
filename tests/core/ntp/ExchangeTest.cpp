#include "ntp/Exchange.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <limits>
#include <optional>
#include <string>
#include <vector>

using namespace ntp;

namespace {

constexpr std::int64_t kMs = 1'000'000;
constexpr std::int64_t kUtcStart = 1078650302; // 2004-03-07 09:05:02 UTC
constexpr std::int64_t kFloor = 946684800;     // 2000-01-01

struct Counter : RandomSource {
    std::uint64_t next = 1;
    std::uint64_t Next64() override { return next++; }
};

// One scripted answer: to the nth request sent to `to`, after `atMs`.
struct Answer {
    std::string to;
    int nth = 0;
    std::int64_t atMs = 10;
    std::function<void(std::vector<std::uint8_t>&)> spoil = nullptr;
    std::int64_t serverAheadMs = 5000;
};

struct Sent {
    std::string address;
    std::int64_t atMs;
};

struct Played {
    std::vector<Sent> sends;
    ExchangeOutcome outcome;
    std::int64_t endMs = 0;
};

void Put(std::vector<std::uint8_t>& bytes, std::size_t at, std::uint32_t value) {
    for (std::size_t i = 0; i < 4; ++i) {
        bytes[at + i] = static_cast<std::uint8_t>(value >> (24 - 8 * i));
    }
}

// A good reply to request, sent by a server whose clock is ahead by aheadMs,
// with no processing time, read at nowMs.
std::vector<std::uint8_t> Reply(const std::vector<std::uint8_t>& request, std::int64_t nowMs,
                                std::int64_t aheadMs) {
    std::vector<std::uint8_t> bytes(48, 0);
    bytes[0] = 0x24;
    bytes[1] = 2;
    std::copy(request.begin() + 40, request.begin() + 48, bytes.begin() + 24);
    const std::int64_t serverMs = kUtcStart * 1000 + nowMs + aheadMs;
    const auto seconds = static_cast<std::uint32_t>(serverMs / 1000 + SecondsFrom1900To1970);
    const auto fraction =
        static_cast<std::uint32_t>(static_cast<double>(serverMs % 1000) * 4294967.296);
    Put(bytes, 32, seconds);
    Put(bytes, 36, fraction);
    Put(bytes, 40, seconds);
    Put(bytes, 44, fraction);
    return bytes;
}

// Plays an exchange on a virtual clock: time jumps to the exchange's next
// wake-up or the next scripted answer, whichever comes first.
Played Play(ExchangeSettings settings, const std::vector<Answer>& answers) {
    settings.FloorUnixSeconds = kFloor;
    settings.UtcMinusMonotonicNs = kUtcStart * 1'000'000'000;
    Counter random;
    Exchange exchange(settings, random, 0);
    Played played;
    std::vector<std::vector<std::uint8_t>> requests;
    std::vector<bool> answered;
    std::int64_t now = 0;
    for (int guard = 0; guard < 1000 && !exchange.Done(); ++guard) {
        for (auto due = exchange.Poll(now); !due.empty(); due = exchange.Poll(now)) {
            for (const auto& request : due) {
                played.sends.push_back({request.Address, now / kMs});
                requests.push_back(request.Bytes);
                exchange.Sent(request.Request, now);
            }
        }
        if (exchange.Done()) {
            break;
        }
        // The next scripted answer not yet delivered.
        std::int64_t next = exchange.NextWakeNs();
        std::vector<std::pair<std::size_t, std::size_t>> arriving; // answer, send
        answered.resize(answers.size());
        for (std::size_t a = 0; a < answers.size(); ++a) {
            int seen = 0;
            for (std::size_t s = 0; s < played.sends.size(); ++s) {
                if (played.sends[s].address == answers[a].to && seen++ == answers[a].nth &&
                    !answered[a]) {
                    const std::int64_t at = (played.sends[s].atMs + answers[a].atMs) * kMs;
                    if (at < next) {
                        next = at;
                        arriving = {{a, s}};
                    } else if (at == next) {
                        arriving.push_back({a, s});
                    }
                }
            }
        }
        now = std::max(now, next);
        for (const auto& [a, s] : arriving) {
            answered[a] = true;
            Datagram datagram;
            datagram.Bytes = Reply(requests[s], now / kMs, answers[a].serverAheadMs);
            if (answers[a].spoil) {
                answers[a].spoil(datagram.Bytes);
            }
            datagram.SourceAddress = answers[a].to;
            datagram.SourcePort = NTPPort;
            datagram.ArrivalMonotonicNs = now;
            exchange.OnDatagram(datagram);
        }
    }
    played.outcome = exchange.Outcome();
    played.endMs = now / kMs;
    return played;
}

ExchangeSettings Addresses(std::vector<std::string> addresses, int samples = 1) {
    ExchangeSettings settings;
    settings.Addresses = std::move(addresses);
    settings.Samples = samples;
    return settings;
}

const std::string kV6 = "::1";
const std::string kV4 = "127.0.0.2";

auto Header(std::size_t at, std::uint8_t value) {
    return [at, value](std::vector<std::uint8_t>& b) { b[at] = value; };
}

auto Kiss(const char* code) {
    return [code](std::vector<std::uint8_t>& b) {
        b[1] = 0;
        std::copy(code, code + 4, b.begin() + 12);
    };
}

} // namespace

TEST(Exchange, TriesEveryAddressStaggeredAndKeepsTheFirstSample) {
    struct Row {
        const char* name;
        ExchangeSettings settings;
        std::vector<Answer> answers;
        std::vector<Sent> sends;
        std::int64_t endMs;
        std::string sampleFrom; // empty: a failure
        FailureKind failure = FailureKind::NoResponse;
    };
    ExchangeSettings checkOff = Addresses({kV6, kV4});
    checkOff.UsePermissibleDelay = false;
    const Row rows[] = {
        {"the first address answers: no other is asked",
         Addresses({kV6, kV4}),
         {{kV6, 0, 100}},
         {{kV6, 0}},
         100,
         kV6},
        {"the first is silent: the second 250 ms later",
         Addresses({kV6, kV4}),
         {{kV4, 0, 10}},
         {{kV6, 0}, {kV4, 250}},
         260,
         kV4},
        {"whichever answers first wins",
         Addresses({kV4, kV6}),
         {{kV4, 0, 400}, {kV6, 0, 20}},
         {{kV4, 0}, {kV6, 250}},
         270,
         kV6},
        {"a refusal sends the next at once",
         Addresses({kV6, kV4}),
         {{kV6, 0, 5, Header(1, 16)}, {kV4, 0, 10}},
         {{kV6, 0}, {kV4, 5}},
         15,
         kV4},
        {"all silent: over the delay after the last one's",
         Addresses({kV6, kV4}),
         {},
         {{kV6, 0}, {kV4, 250}},
         851,
         "",
         FailureKind::OverDelay},
        {"all silent without the check: no response",
         checkOff,
         {},
         {{kV6, 0}, {kV4, 250}},
         5251,
         "",
         FailureKind::NoResponse},
        {"a refusal outweighs a silence",
         Addresses({kV6, kV4}),
         {{kV4, 0, 5, Header(0, 0x23)}},
         {{kV6, 0}, {kV4, 250}},
         601,
         "",
         FailureKind::NotServerMode},
        {"a reply over the permissible delay is no sample",
         Addresses({kV6, kV4}),
         {{kV6, 0, 700}, {kV4, 0, 601}},
         {{kV6, 0}, {kV4, 250}},
         851,
         "",
         FailureKind::OverDelay},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        const Played played = Play(row.settings, row.answers);
        ASSERT_EQ(played.sends.size(), row.sends.size());
        for (std::size_t i = 0; i < row.sends.size(); ++i) {
            EXPECT_EQ(played.sends[i].address, row.sends[i].address);
            EXPECT_EQ(played.sends[i].atMs, row.sends[i].atMs);
        }
        EXPECT_EQ(played.endMs, row.endMs);
        if (row.sampleFrom.empty()) {
            ASSERT_TRUE(std::holds_alternative<Failure>(played.outcome));
            EXPECT_EQ(std::get<Failure>(played.outcome).Kind, row.failure);
        } else {
            ASSERT_TRUE(std::holds_alternative<Sample>(played.outcome));
            EXPECT_EQ(std::get<Sample>(played.outcome).Address, row.sampleFrom);
        }
    }
}

TEST(Exchange, BurstKeepsTheLeastDelayedSample) {
    struct Row {
        const char* name;
        std::vector<Answer> answers;
        std::vector<std::int64_t> sendsAtMs;
        std::int64_t endMs;
        std::int64_t keptDelayMs; // -1: a failure
        FailureKind failure = FailureKind::NoResponse;
    };
    const auto answer = [](int nth, std::int64_t atMs) { return Answer{kV4, nth, atMs}; };
    const Row rows[] = {
        {"four samples 2 s apart",
         {answer(0, 80), answer(1, 30), answer(2, 50), answer(3, 90)},
         {0, 2000, 4000, 6000},
         6090,
         30},
        {"a lost reply is given up when the next is due",
         {answer(0, 80), answer(2, 50), answer(3, 90)},
         {0, 2000, 4000, 6000},
         6090,
         50},
        {"a lost first request costs one sample",
         {answer(1, 90), answer(2, 50), answer(3, 70)},
         {0, 2000, 4000, 6000},
         6070,
         50},
        {"a silent last request ends the run at its limit",
         {answer(0, 80), answer(1, 60), answer(2, 50)},
         {0, 2000, 4000, 6000},
         6601,
         50},
        {"RATE ends the burst with what was measured",
         {answer(0, 80), {kV4, 1, 10, Kiss("RATE")}},
         {0, 2000},
         2010,
         80},
        {"DENY before any sample is a failure",
         {{kV4, 0, 10, Kiss("DENY")}},
         {0},
         10,
         -1,
         FailureKind::AccessDenied},
        {"RATE before any sample: not synchronised",
         {{kV4, 0, 10, Kiss("RATE")}},
         {0},
         10,
         -1,
         FailureKind::NotSynchronized},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        const Played played = Play(Addresses({kV4}, 4), row.answers);
        std::vector<std::int64_t> sendsAt;
        for (const auto& sent : played.sends) {
            sendsAt.push_back(sent.atMs);
        }
        EXPECT_EQ(sendsAt, row.sendsAtMs);
        EXPECT_EQ(played.endMs, row.endMs);
        if (row.keptDelayMs < 0) {
            ASSERT_TRUE(std::holds_alternative<Failure>(played.outcome));
            EXPECT_EQ(std::get<Failure>(played.outcome).Kind, row.failure);
        } else {
            ASSERT_TRUE(std::holds_alternative<Sample>(played.outcome));
            const Sample& kept = std::get<Sample>(played.outcome);
            EXPECT_EQ(kept.DelayNs, row.keptDelayMs * kMs);
            EXPECT_NEAR(static_cast<double>(kept.OffsetNs),
                        static_cast<double>(5000 * kMs + kept.DelayNs / 2), 1000.0);
        }
    }
}

TEST(Exchange, TimestampsAreReadInTheEraNearestTheLocalClock) {
    struct Row {
        std::int64_t pivot;
        std::uint32_t ntpSeconds;
        std::int64_t unix;
    };
    const Row rows[] = {
        {kUtcStart, 0xFFFFFFFFu, 2085978495},             // 2036-02-07 06:28:15
        {2085978495, 5, 2085978496 + 5},                  // just after the rollover
        {2085978496 + 100, 0xFFFFFFF0u, 2085978496 - 16}, // just before it
        {kUtcStart, 2208988799u, -1},                     // 1969: the nearer era
    };
    for (const auto& row : rows) {
        EXPECT_EQ(NtpSecondsToUnix(row.ntpSeconds, row.pivot), row.unix) << row.ntpSeconds;
    }
}

TEST(Exchange, AnAuthenticatorExtendsRequestsAndVouchesForReplies) {
    // Appends a 4-byte field (none once out of cookies) and believes only
    // replies that end in it; a reply ending in "NTSN" revokes its keys.
    struct Tagging : Authenticator {
        bool spent = false;
        bool revoked = false;
        std::size_t requestSize = 0;
        std::vector<std::uint8_t> RequestExtensions(const std::vector<std::uint8_t>&) override {
            return spent ? std::vector<std::uint8_t>{}
                         : std::vector<std::uint8_t>{'T', 'A', 'G', '!'};
        }
        bool Verify(const std::vector<std::uint8_t>& request,
                    const std::vector<std::uint8_t>& reply) override {
            requestSize = request.size();
            revoked = std::equal(reply.end() - 4, reply.end(), "NTSN");
            return reply.size() == 52 && std::equal(reply.end() - 4, reply.end(), "TAG!");
        }
        bool KeysRevoked() const override { return revoked; }
    };
    using Spoil = std::function<void(std::vector<std::uint8_t>&)>;
    const auto ending = [](const char* tail) -> Spoil {
        return [tail](auto& b) { b.insert(b.end(), tail, tail + 4); };
    };
    struct Row {
        const char* name;
        bool spent;
        Spoil reply;
        std::size_t sends;
        std::optional<FailureKind> failure;
        std::int64_t endMs;
    };
    const Row rows[] = {
        {"tagged", false, ending("TAG!"), 1, std::nullopt, 10},
        // A forgery does not end the wait; the second address is still asked.
        {"forged", false, nullptr, 2, FailureKind::NotAuthentic, 851},
        // No later reply could be verified: neither waits nor asks on.
        {"revoked", false, ending("NTSN"), 1, FailureKind::KeysRevoked, 10},
        // A request that cannot be authenticated never leaves.
        {"no cookie", true, ending("TAG!"), 0, FailureKind::OverDelay, 0},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        Tagging auth;
        auth.spent = row.spent;
        ExchangeSettings settings = Addresses({kV4, kV6});
        settings.Auth = &auth;
        const Played played = Play(settings, {{kV4, 0, 10, row.reply}});
        EXPECT_EQ(played.sends.size(), row.sends);
        EXPECT_EQ(played.endMs, row.endMs);
        if (!row.failure) {
            EXPECT_EQ(auth.requestSize, 52u);
            EXPECT_TRUE(std::holds_alternative<Sample>(played.outcome));
        } else {
            ASSERT_TRUE(std::holds_alternative<Failure>(played.outcome));
            EXPECT_EQ(std::get<Failure>(played.outcome).Kind, *row.failure);
        }
    }
}
