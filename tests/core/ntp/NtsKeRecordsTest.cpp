#include "ntp/NtsKeRecords.h"
#include "RowName.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using Bytes = std::vector<std::uint8_t>;

// One record: type (with the critical bit when asked), length, body.
Bytes Rec(std::uint16_t type, Bytes body, bool critical = true) {
    Bytes out{static_cast<std::uint8_t>((type >> 8) | (critical ? 0x80 : 0)),
              static_cast<std::uint8_t>(type), static_cast<std::uint8_t>(body.size() >> 8),
              static_cast<std::uint8_t>(body.size())};
    out.insert(out.end(), body.begin(), body.end());
    return out;
}

Bytes Cat(std::initializer_list<Bytes> parts) {
    Bytes out;
    for (const Bytes& p : parts) {
        out.insert(out.end(), p.begin(), p.end());
    }
    return out;
}

const Bytes kProto = Rec(1, {0, 0});
const Bytes kAead = Rec(4, {0, 15});
const Bytes kCookie = Rec(5, {1, 2, 3, 4}, false);
const Bytes kEnd = Rec(0, {});

struct Row {
    const char* name;
    Bytes message;
    ntp::NtsKeFailure failure;
    std::uint16_t code = 0;
    std::size_t cookies = 0;
    std::string server = "";
    int port = -1;
};

using F = ntp::NtsKeFailure;
const Row kRows[] = {
    {"Minimal", Cat({kProto, kAead, kCookie, kEnd}), F::None, 0, 1},
    {"ServerAndPortNegotiated",
     Cat({kProto, kAead, kCookie, kCookie, Rec(6, {'n', 't', 's', '1'}), Rec(7, {0x12, 0x34}),
          kEnd}),
     F::None, 0, 2, "nts1", 0x1234},
    {"UnknownNonCriticalIgnored", Cat({Rec(0x4000, {9}, false), kProto, kAead, kCookie, kEnd}),
     F::None, 0, 1},
    {"UnknownCriticalRefused", Cat({Rec(0x4000, {9}), kProto, kAead, kCookie, kEnd}), F::Malformed},
    {"ErrorRecord", Cat({Rec(2, {0, 1}), kEnd}), F::ServerError, 1},
    {"WarningRefusesEvenWithCookies", Cat({kProto, kAead, kCookie, Rec(3, {0x80, 2}), kEnd}),
     F::ServerWarning, 0x8002},
    {"EmptyProtocolList", Cat({Rec(1, {}), kAead, kCookie, kEnd}), F::NoNtpV4},
    {"OtherProtocol", Cat({Rec(1, {0x80, 1}), kAead, kCookie, kEnd}), F::NoNtpV4},
    {"TwoProtocols", Cat({Rec(1, {0, 0, 0, 1}), kAead, kCookie, kEnd}), F::Malformed},
    {"ProtocolMissing", Cat({kAead, kCookie, kEnd}), F::NoNtpV4},
    {"OtherAead", Cat({kProto, Rec(4, {0, 30}), kCookie, kEnd}), F::NoAead},
    {"AeadMissing", Cat({kProto, kCookie, kEnd}), F::NoAead},
    {"NoCookie", Cat({kProto, kAead, kEnd}), F::NoCookie},
    {"NoEndOfMessage", Cat({kProto, kAead, kCookie}), F::Malformed},
    {"RecordCutShort", Cat({kProto, kAead, Bytes{0, 5, 0, 9, 1}}), F::Malformed},
    {"EndWithBody", Cat({kProto, kAead, kCookie, Rec(0, {0})}), F::Malformed},
    {"ServerNameWithSpace", Cat({kProto, kAead, kCookie, Rec(6, {'a', ' ', 'b'}), kEnd}),
     F::Malformed},
    {"PortZero", Cat({kProto, kAead, kCookie, Rec(7, {0, 0}), kEnd}), F::Malformed},
};

class NtsKeResponseTest : public testing::TestWithParam<Row> {};

TEST_P(NtsKeResponseTest, Parses) {
    const Row& row = GetParam();
    const auto parse = ntp::ParseNtsKeResponse(row.message);
    EXPECT_EQ(parse.Failure, row.failure);
    EXPECT_EQ(parse.Code, row.code);
    EXPECT_EQ(parse.Response.Cookies.size(), row.cookies);
    EXPECT_EQ(parse.Response.Server, row.server);
    EXPECT_EQ(parse.Response.Port ? int{*parse.Response.Port} : -1, row.port);
}

INSTANTIATE_TEST_SUITE_P(Rows, NtsKeResponseTest, testing::ValuesIn(kRows), RowName());

TEST(NtsKeRecordsTest, RequestAsksForNtpV4AndAesSiv) {
    EXPECT_EQ(ntp::BuildNtsKeRequest(),
              (Bytes{0x80, 1, 0, 2, 0, 0, 0x80, 4, 0, 2, 0, 15, 0x80, 0, 0, 0}));
}

TEST(NtsKeRecordsTest, MessageLengthWaitsForTheEnd) {
    const Bytes whole = Cat({kProto, kAead, kCookie, kEnd, Bytes{0xde, 0xad}});
    const std::size_t complete = whole.size() - 2;
    for (std::size_t n = 0; n < complete; ++n) {
        EXPECT_FALSE(ntp::NtsKeMessageLength({whole.data(), n})) << n;
    }
    EXPECT_EQ(ntp::NtsKeMessageLength({whole.data(), complete}), complete);
    EXPECT_EQ(ntp::NtsKeMessageLength(whole), complete);
}

} // namespace
