#include "ntp/NtsKeRecords.h"

#include <algorithm>

namespace ntp {

namespace {

constexpr std::uint16_t kCritical = 0x8000;
constexpr std::size_t kHeader = 4;
// A cookie is opaque, but a server that sends more than this is not one this
// client wants to carry in every request.
constexpr std::size_t kMaxCookie = 1024;
constexpr std::size_t kMaxCookies = 8;

std::uint16_t Read16(std::span<const std::uint8_t> bytes, std::size_t at) {
    return static_cast<std::uint16_t>((bytes[at] << 8) | bytes[at + 1]);
}

void Put16(std::vector<std::uint8_t>& out, std::uint16_t value) {
    out.push_back(static_cast<std::uint8_t>(value >> 8));
    out.push_back(static_cast<std::uint8_t>(value & 0xff));
}

void PutRecord(std::vector<std::uint8_t>& out, NtsKeRecordType type, bool critical,
               std::initializer_list<std::uint16_t> values) {
    Put16(out, static_cast<std::uint16_t>(static_cast<std::uint16_t>(type) |
                                          (critical ? kCritical : 0)));
    Put16(out, static_cast<std::uint16_t>(values.size() * 2));
    for (const std::uint16_t v : values) {
        Put16(out, v);
    }
}

bool ListHas(std::span<const std::uint8_t> body, std::uint16_t wanted) {
    for (std::size_t i = 0; i + 1 < body.size(); i += 2) {
        if (Read16(body, i) == wanted) {
            return true;
        }
    }
    return false;
}

// A name or address for the NTP server: printable ASCII without spaces, as
// RFC 8915 asks, so nothing odd reaches the resolver or the log.
bool IsServerName(std::span<const std::uint8_t> body) {
    return !body.empty() && body.size() <= 253 &&
           std::all_of(body.begin(), body.end(),
                       [](std::uint8_t c) { return c > 0x20 && c < 0x7f; });
}

} // namespace

std::vector<std::uint8_t> BuildNtsKeRequest() {
    std::vector<std::uint8_t> out;
    PutRecord(out, NtsKeRecordType::NextProtocol, true, {NtsNextProtocolNtpV4});
    PutRecord(out, NtsKeRecordType::AeadAlgorithm, true, {AeadAesSivCmac256});
    PutRecord(out, NtsKeRecordType::EndOfMessage, true, {});
    return out;
}

std::optional<std::size_t> NtsKeMessageLength(std::span<const std::uint8_t> stream) {
    std::size_t at = 0;
    while (stream.size() - at >= kHeader) {
        const auto type = static_cast<std::uint16_t>(Read16(stream, at) & ~kCritical);
        const std::size_t length = Read16(stream, at + 2);
        if (stream.size() - at - kHeader < length) {
            return std::nullopt;
        }
        at += kHeader + length;
        if (type == static_cast<std::uint16_t>(NtsKeRecordType::EndOfMessage)) {
            return at;
        }
    }
    return std::nullopt;
}

NtsKeParse ParseNtsKeResponse(std::span<const std::uint8_t> message) {
    NtsKeParse parse;
    auto fail = [&parse](NtsKeFailure failure, std::uint16_t code = 0) {
        parse.Failure = failure;
        parse.Code = code;
        parse.Response = {};
        return parse;
    };
    bool sawProtocol = false;
    bool sawAead = false;
    bool sawEnd = false;
    std::size_t at = 0;
    while (!sawEnd) {
        if (message.size() - at < kHeader) {
            return fail(NtsKeFailure::Malformed);
        }
        const std::uint16_t first = Read16(message, at);
        const bool critical = (first & kCritical) != 0;
        const auto type = static_cast<NtsKeRecordType>(first & ~kCritical);
        const std::size_t length = Read16(message, at + 2);
        if (message.size() - at - kHeader < length) {
            return fail(NtsKeFailure::Malformed);
        }
        const auto body = message.subspan(at + kHeader, length);
        at += kHeader + length;
        switch (type) {
        case NtsKeRecordType::EndOfMessage:
            if (!body.empty()) {
                return fail(NtsKeFailure::Malformed);
            }
            sawEnd = true;
            break;
        case NtsKeRecordType::Error:
        case NtsKeRecordType::Warning:
            if (body.size() != 2) {
                return fail(NtsKeFailure::Malformed);
            }
            return fail(type == NtsKeRecordType::Error ? NtsKeFailure::ServerError
                                                       : NtsKeFailure::ServerWarning,
                        Read16(body, 0));
        case NtsKeRecordType::NextProtocol:
            // At most one protocol, the one asked for; none means the server
            // speaks nothing this client does.
            if (sawProtocol || body.size() > 2 || body.size() % 2 != 0) {
                return fail(NtsKeFailure::Malformed);
            }
            if (!ListHas(body, NtsNextProtocolNtpV4)) {
                return fail(NtsKeFailure::NoNtpV4);
            }
            sawProtocol = true;
            break;
        case NtsKeRecordType::AeadAlgorithm:
            if (sawAead || body.size() > 2 || body.size() % 2 != 0) {
                return fail(NtsKeFailure::Malformed);
            }
            if (!ListHas(body, AeadAesSivCmac256)) {
                return fail(NtsKeFailure::NoAead);
            }
            sawAead = true;
            break;
        case NtsKeRecordType::NewCookie:
            if (body.empty() || body.size() > kMaxCookie) {
                return fail(NtsKeFailure::Malformed);
            }
            if (parse.Response.Cookies.size() < kMaxCookies) {
                parse.Response.Cookies.emplace_back(body.begin(), body.end());
            }
            break;
        case NtsKeRecordType::Server:
            if (!IsServerName(body) || !parse.Response.Server.empty()) {
                return fail(NtsKeFailure::Malformed);
            }
            parse.Response.Server.assign(body.begin(), body.end());
            break;
        case NtsKeRecordType::Port:
            if (body.size() != 2 || parse.Response.Port || Read16(body, 0) == 0) {
                return fail(NtsKeFailure::Malformed);
            }
            parse.Response.Port = Read16(body, 0);
            break;
        default:
            if (critical) {
                return fail(NtsKeFailure::Malformed);
            }
            break;
        }
    }
    if (!sawProtocol) {
        return fail(NtsKeFailure::NoNtpV4);
    }
    if (!sawAead) {
        return fail(NtsKeFailure::NoAead);
    }
    if (parse.Response.Cookies.empty()) {
        return fail(NtsKeFailure::NoCookie);
    }
    return parse;
}

} // namespace ntp
