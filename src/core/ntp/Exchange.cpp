#include "ntp/Exchange.h"

#include <algorithm>
#include <limits>
#include <utility>

namespace ntp {

namespace {

constexpr std::int64_t NsPerMs = 1'000'000;
constexpr std::int64_t NsPerSecond = 1'000'000'000;
constexpr std::uint32_t SixteenSeconds = 16u << 16; // root delay and dispersion are 16.16

std::uint32_t Word(const std::uint8_t* bytes, std::size_t at) {
    return (std::uint32_t{bytes[at]} << 24) | (std::uint32_t{bytes[at + 1]} << 16) |
           (std::uint32_t{bytes[at + 2]} << 8) | std::uint32_t{bytes[at + 3]};
}

std::int64_t FractionNs(std::uint32_t fraction) {
    return static_cast<std::int64_t>((std::uint64_t{fraction} * NsPerSecond) >> 32);
}

bool KissCode(const std::uint8_t* bytes, const char* code) {
    return std::equal(bytes + 12, bytes + 16, code);
}

} // namespace

std::int64_t NtpSecondsToUnix(std::uint32_t seconds, std::int64_t pivotUnixSeconds) {
    const auto pivotNtp = static_cast<std::uint32_t>(pivotUnixSeconds + SecondsFrom1900To1970);
    return pivotUnixSeconds + static_cast<std::int32_t>(seconds - pivotNtp);
}

Exchange::Exchange(ExchangeSettings settings, RandomSource& random, std::int64_t startNs)
    : settings_(std::move(settings)), random_(random) {
    settings_.Samples = std::clamp(settings_.Samples, 1, MaxSamples);
    if (settings_.Addresses.empty()) {
        done_ = true;
        outcome_ = Failure{FailureKind::CantOpen, 0, {}, 0};
        return;
    }
    AddRequest(0, startNs);
    nextAddress_ = 1;
}

std::size_t Exchange::AddRequest(std::size_t addressIndex, std::int64_t dueNs) {
    Request request;
    request.AddressIndex = addressIndex;
    const auto header = BuildNTPRequest(random_.Next64());
    request.Bytes.assign(header.begin(), header.end());
    request.Origin = ReadTimestamp(header.data(), 40);
    if (settings_.Auth != nullptr) {
        const auto extensions = settings_.Auth->RequestExtensions(request.Bytes);
        request.Bytes.insert(request.Bytes.end(), extensions.begin(), extensions.end());
        if (extensions.empty()) {
            // Nothing left to authenticate it with (a burst that lost replies
            // used up the cookies): a bare request would only be refused, and
            // would tell the path what an authenticated one hides.
            request.Status = State::GivenUp;
        }
    }
    request.DueNs = dueNs;
    requests_.push_back(std::move(request));
    return requests_.size() - 1;
}

std::int64_t Exchange::LimitMs() const {
    return settings_.UsePermissibleDelay
               ? std::min(settings_.PermissibleDelayMs, settings_.ReplyTimeoutMs)
               : settings_.ReplyTimeoutMs;
}

std::int64_t Exchange::ExpiryNs(const Request& request) const {
    // Whole milliseconds count: a round trip of exactly the limit is in time.
    return request.SentNs + (LimitMs() + 1) * NsPerMs;
}

bool Exchange::Outstanding() const {
    return std::any_of(requests_.begin(), requests_.end(),
                       [](const Request& r) { return r.Status == State::Waiting; });
}

std::vector<OutgoingRequest> Exchange::Poll(std::int64_t nowNs) {
    if (done_) {
        return {};
    }
    for (Request& request : requests_) {
        if (request.Status == State::Waiting && request.SentNs >= 0 && nowNs >= ExpiryNs(request)) {
            request.Status = State::GivenUp;
        }
    }

    const Request& last = requests_.back();
    const bool lastLeft = last.SentNs >= 0 || last.Status != State::Waiting;
    if (samples_.empty() && nextAddress_ < settings_.Addresses.size() && lastLeft) {
        // Staggered, so a working address is not held up by a silent one
        // before it; at once when every earlier request has already failed.
        const std::int64_t due = Outstanding() ? last.SentNs + StaggerMs * NsPerMs : nowNs;
        if (nowNs >= due) {
            AddRequest(nextAddress_++, nowNs);
        }
    } else if (MoreToAsk() && lastLeft && nowNs >= burstDueNs_ + BurstSpacingMs * NsPerMs) {
        // A request still unanswered when the next is due is given up.
        for (Request& request : requests_) {
            if (request.Status == State::Waiting) {
                request.Status = State::GivenUp;
            }
        }
        burstDueNs_ += BurstSpacingMs * NsPerMs;
        ++burstSent_;
        // Until one answers, the burst's requests take the addresses in turn,
        // so a lost first datagram costs one sample, not the run.
        AddRequest(bursting_
                       ? burstAddress_
                       : static_cast<std::size_t>(burstSent_ - 1) % settings_.Addresses.size(),
                   nowNs);
    }

    Finish();
    std::vector<OutgoingRequest> due;
    if (done_) {
        return due;
    }
    for (std::size_t i = 0; i < requests_.size(); ++i) {
        Request& request = requests_[i];
        if (request.Status == State::Waiting && request.SentNs < 0 && !request.Handed &&
            request.DueNs <= nowNs) {
            request.Handed = true;
            due.push_back({i, settings_.Addresses[request.AddressIndex], request.Bytes});
        }
    }
    return due;
}

void Exchange::Sent(std::size_t request, std::int64_t sentNs) {
    requests_.at(request).SentNs = sentNs;
    if (request == 0) {
        burstDueNs_ = sentNs;
    }
}

bool Exchange::MoreToAsk() const {
    return settings_.Samples > 1 && !burstEnded_ && burstSent_ < settings_.Samples - 1 &&
           (bursting_ || nextAddress_ >= settings_.Addresses.size());
}

void Exchange::SendFailed(std::size_t request, std::int32_t number,
                          const std::string& description) {
    Refuse(request, Failure{FailureKind::CantOpen, number, description, 0});
}

void Exchange::Finish() {
    if (Outstanding()) {
        return;
    }
    if (!samples_.empty()) {
        if (!MoreToAsk()) {
            done_ = true;
            outcome_ = *std::min_element(
                samples_.begin(), samples_.end(),
                [](const Sample& a, const Sample& b) { return a.DelayNs < b.DelayNs; });
        }
        return;
    }
    if (nextAddress_ < settings_.Addresses.size() || MoreToAsk()) {
        return;
    }
    done_ = true;
    if (revoked_) {
        outcome_ = Failure{FailureKind::KeysRevoked, 0, {}, 0};
    } else if (!refusals_.empty()) {
        outcome_ = refusals_.front();
    } else if (sawUnauthentic_) {
        outcome_ = Failure{FailureKind::NotAuthentic, 0, {}, 0};
    } else {
        const bool overDelay = settings_.UsePermissibleDelay &&
                               settings_.PermissibleDelayMs <= settings_.ReplyTimeoutMs;
        outcome_ = Failure{overDelay ? FailureKind::OverDelay : FailureKind::NoResponse, 0, {}, 0};
    }
}

std::int64_t Exchange::NextWakeNs() const {
    std::int64_t wake = std::numeric_limits<std::int64_t>::max();
    for (const Request& request : requests_) {
        if (request.Status == State::Waiting && request.SentNs >= 0) {
            wake = std::min(wake, ExpiryNs(request));
        }
    }
    const Request& last = requests_.back();
    if (samples_.empty() && nextAddress_ < settings_.Addresses.size() && last.SentNs >= 0) {
        wake = std::min(wake, last.SentNs + StaggerMs * NsPerMs);
    }
    if (MoreToAsk()) {
        wake = std::min(wake, burstDueNs_ + BurstSpacingMs * NsPerMs);
    }
    return wake;
}

void Exchange::OnDatagram(const Datagram& datagram) {
    if (done_ || datagram.SourcePort != settings_.Port) {
        return;
    }
    const bool extended = settings_.Auth != nullptr;
    const std::vector<std::uint8_t>& bytes = datagram.Bytes;
    const bool matchable = bytes.size() == PacketSize || (extended && bytes.size() > PacketSize);
    // Paired by the echoed nonce: a reply that echoes none of ours answers
    // some other request (or none) and is someone else's packet.
    std::size_t match = requests_.size();
    for (std::size_t i = requests_.size(); i-- > 0;) {
        const Request& request = requests_[i];
        if (request.SentNs < 0 ||
            settings_.Addresses[request.AddressIndex] != datagram.SourceAddress) {
            continue;
        }
        if (matchable ? ReadTimestamp(bytes.data(), 24) == request.Origin
                      : request.Status == State::Waiting) {
            match = i;
            break;
        }
    }
    if (match == requests_.size() || requests_[match].Status != State::Waiting) {
        return;
    }
    Judge(match, datagram);
}

void Exchange::OnSocketError(const std::string& address, const SocketError& error) {
    for (std::size_t i = requests_.size(); i-- > 0;) {
        const Request& request = requests_[i];
        if (request.Status == State::Waiting && request.SentNs >= 0 &&
            settings_.Addresses[request.AddressIndex] == address) {
            Refuse(i, Failure{FailureKind::SocketError, error.Number, error.Description, 0});
            return;
        }
    }
}

void Exchange::Refuse(std::size_t index, Failure failure) {
    requests_.at(index).Status = State::Failed;
    refusals_.push_back(std::move(failure));
}

void Exchange::Judge(std::size_t index, const Datagram& datagram) {
    Request& request = requests_[index];
    const std::vector<std::uint8_t>& bytes = datagram.Bytes;
    const std::int64_t roundTripNs = datagram.ArrivalMonotonicNs - request.SentNs;
    if (roundTripNs / NsPerMs > LimitMs()) {
        // Too late to tell the time by: as if it never came.
        request.Status = State::GivenUp;
        return;
    }
    if (settings_.Auth != nullptr) {
        if (bytes.size() < PacketSize) {
            Refuse(index, {FailureKind::BadLength, 0, {}, 0});
            return;
        }
        if (!settings_.Auth->Verify(request.Bytes, bytes)) {
            if (settings_.Auth->KeysRevoked()) {
                // No later reply could be verified either; asking on would
                // only spend requests the server cannot answer.
                revoked_ = true;
                burstEnded_ = true;
                nextAddress_ = settings_.Addresses.size();
                for (Request& waiting : requests_) {
                    if (waiting.Status == State::Waiting) {
                        waiting.Status = State::GivenUp;
                    }
                }
                return;
            }
            // A forgery must not end the run; the genuine reply may follow.
            sawUnauthentic_ = true;
            return;
        }
    } else if (bytes.size() != PacketSize) {
        Refuse(index, {FailureKind::BadLength, 0, {}, 0});
        return;
    }

    const std::uint8_t* p = bytes.data();
    const int leap = p[0] >> 6;
    const int version = (p[0] >> 3) & 7;
    const int mode = p[0] & 7;
    const int stratum = p[1];
    const NTPTimestamp receive = ReadTimestamp(p, 32);
    const NTPTimestamp transmit = ReadTimestamp(p, 40);

    if (stratum == 0 && !samples_.empty() &&
        (KissCode(p, "RATE") || KissCode(p, "DENY") || KissCode(p, "RSTR"))) {
        // Asked to back off: keep what was measured and ask no more.
        request.Status = State::GivenUp;
        burstEnded_ = true;
        return;
    }
    if (stratum == 0) {
        // Whatever the kiss says, asking again at once would not be welcome.
        burstEnded_ = true;
    }
    if (stratum == 0 && (KissCode(p, "DENY") || KissCode(p, "RSTR"))) {
        Refuse(index, {FailureKind::AccessDenied, 0, {}, 0});
        return;
    }
    if (leap == 3 || stratum == 0 || (transmit.Seconds == 0 && transmit.Fraction == 0)) {
        Refuse(index, {FailureKind::NotSynchronized, 0, {}, 0});
        return;
    }

    const std::int64_t pivot = (request.SentNs + settings_.UtcMinusMonotonicNs) / NsPerSecond;
    const std::int64_t unixSeconds = NtpSecondsToUnix(transmit.Seconds, pivot);
    if (unixSeconds < std::numeric_limits<std::int32_t>::min()) {
        Refuse(index, {FailureKind::DateFault, DateFaultOutOfRange, {}, 0});
        return;
    }
    // Before 1970 only whole days form a time: a negative time of day is no
    // time at all.
    if (unixSeconds % 86400 < 0) {
        Refuse(index, {FailureKind::DateFault, DateFaultNoDate, {}, 0});
        return;
    }
    if (mode != 4) {
        Refuse(index, {FailureKind::NotServerMode, mode, {}, 0});
        return;
    }
    if (version < 1 || version > 4) {
        Refuse(index, {FailureKind::BadVersion, version, {}, 0});
        return;
    }
    if (stratum >= 16) {
        Refuse(index, {FailureKind::StratumUnsynchronized, stratum, {}, 0});
        return;
    }
    if (Word(p, 4) > SixteenSeconds || Word(p, 8) > SixteenSeconds) {
        Refuse(index, {FailureKind::RootDistance, 0, {}, 0});
        return;
    }
    if (unixSeconds < settings_.FloorUnixSeconds) {
        Refuse(index, {FailureKind::BeforeFloor, 0, {}, unixSeconds});
        return;
    }

    Sample sample;
    sample.Request = index;
    sample.Address = datagram.SourceAddress;
    sample.Stratum = stratum;
    sample.Poll = p[2];
    sample.Precision = static_cast<std::int8_t>(p[3]);
    sample.TransmitUnixSeconds = unixSeconds;
    sample.TransmitTenThousandths = FractionToTenThousandths(transmit.Fraction);
    // The 32-bit difference of the whole seconds survives an era rollover
    // between the two stamps.
    sample.ProcessingTenThousandths =
        std::int64_t{static_cast<std::int32_t>(transmit.Seconds - receive.Seconds)} * 10000 +
        sample.TransmitTenThousandths - FractionToTenThousandths(receive.Fraction);
    sample.SentMonotonicNs = request.SentNs;
    sample.ArrivalMonotonicNs = datagram.ArrivalMonotonicNs;
    sample.RoundTripNs = roundTripNs;

    const std::int64_t t3 = unixSeconds * NsPerSecond + FractionNs(transmit.Fraction);
    const std::int64_t t2 =
        NtpSecondsToUnix(receive.Seconds, unixSeconds) * NsPerSecond + FractionNs(receive.Fraction);
    const std::int64_t t4 = datagram.ArrivalMonotonicNs + settings_.UtcMinusMonotonicNs;
    sample.DelayNs = std::clamp(roundTripNs - (t3 - t2), std::int64_t{0},
                                std::max(roundTripNs, std::int64_t{0}));
    sample.OffsetNs = t3 + sample.DelayNs / 2 - t4;
    Accept(index, std::move(sample));
}

void Exchange::Accept(std::size_t index, Sample sample) {
    requests_[index].Status = State::Answered;
    if (samples_.empty()) {
        // The first address that answers is the one the burst asks.
        for (Request& request : requests_) {
            if (request.Status == State::Waiting) {
                request.Status = State::GivenUp;
            }
        }
        bursting_ = settings_.Samples > 1;
        burstAddress_ = requests_[index].AddressIndex;
        burstDueNs_ = requests_[index].SentNs;
    }
    samples_.push_back(std::move(sample));
}

} // namespace ntp
