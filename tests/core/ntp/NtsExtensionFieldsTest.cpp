#include "ntp/NtsExtensionFields.h"
#include "RowName.h"
#include "core/ntp/FakeAead.h"
#include "ntp/NtsSession.h"
#include "ntp/Packet.h"

#include <gtest/gtest.h>

#include <array>
#include <functional>

namespace {

using Bytes = std::vector<std::uint8_t>;
using ntp::NtsField;

const Bytes kC2S(32, 0xc2);
const Bytes kS2C(32, 0x5c);
const Bytes kUniqueId(32, 0x1d);
const Bytes kNonce(16, 0x0e);

std::uint16_t Type(const Bytes& b, std::size_t at) {
    return static_cast<std::uint16_t>(b[at] << 8 | b[at + 1]);
}

// A server's reply: header, unique identifier, then the authenticator
// sealing `cookies` new cookies with the server-to-client key.
Bytes Reply(std::size_t cookies = 2) {
    Bytes out(ntp::PacketSize, 0);
    out[0] = 0x24;
    out[1] = 2;
    SealReply(out, kUniqueId, kS2C, kNonce, cookies);
    return out;
}

struct Row {
    const char* name;
    std::function<Bytes()> reply;
    ntp::NtsReplyCheck check;
    std::size_t cookies = 0;
};

using C = ntp::NtsReplyCheck;
const std::size_t kAuthAt = ntp::PacketSize + 36;

Bytes WithoutAuthenticator() {
    Bytes r = Reply();
    r.resize(kAuthAt);
    return r;
}

const Row kRows[] = {
    {"Authentic", [] { return Reply(); }, C::Authentic, 2},
    {"AuthenticWithoutCookies", [] { return Reply(0); }, C::Authentic, 0},
    {"HeaderBitFlipped",
     [] {
         Bytes r = Reply();
         r[40] ^= 1; // the transmit time, what a man in the middle would move
         return r;
     },
     C::Unauthenticated},
    {"SealedBitFlipped",
     [] {
         Bytes r = Reply();
         r.back() ^= 0x80;
         return r;
     },
     C::Unauthenticated},
    {"OtherUniqueId",
     [] {
         Bytes r = Reply();
         r[ntp::PacketSize + 4] ^= 1;
         return r;
     },
     C::WrongUniqueId},
    {"NoAuthenticator", [] { return WithoutAuthenticator(); }, C::Unauthenticated},
    {"KissNtsn",
     [] {
         Bytes r = WithoutAuthenticator();
         r[1] = 0;
         r[12] = 'N', r[13] = 'T', r[14] = 'S', r[15] = 'N';
         return r;
     },
     C::KissNtsn},
    {"UniqueIdOnlyAfterAuthenticator",
     [] {
         Bytes r(ntp::PacketSize, 0);
         const Bytes full = Reply();
         r.insert(r.end(), full.begin() + kAuthAt, full.end());
         PutField(r, static_cast<std::uint16_t>(NtsField::UniqueIdentifier), kUniqueId);
         return r;
     },
     C::WrongUniqueId},
    {"FieldAfterAuthenticator",
     [] {
         Bytes r = Reply();
         PutField(r, 0x0204, Bytes(16, 1));
         return r;
     },
     C::Malformed},
    {"FieldCutShort",
     [] {
         Bytes r = Reply();
         r.pop_back();
         return r;
     },
     C::Malformed},
    {"LengthNotWords",
     [] {
         Bytes r = Reply();
         r[ntp::PacketSize + 3] = 35;
         return r;
     },
     C::Malformed},
    {"HeaderOnly", [] { return Bytes(ntp::PacketSize, 0); }, C::WrongUniqueId},
};

class NtsReplyTest : public testing::TestWithParam<Row> {};

TEST_P(NtsReplyTest, Opens) {
    FakeAead aead;
    const auto opened = ntp::OpenNtsReply(GetParam().reply(), kUniqueId, kS2C, aead);
    EXPECT_EQ(opened.Check, GetParam().check);
    EXPECT_EQ(opened.Cookies.size(), GetParam().cookies);
    for (const auto& cookie : opened.Cookies) {
        EXPECT_EQ(cookie, Bytes(100, 0xc0));
    }
}

INSTANTIATE_TEST_SUITE_P(Rows, NtsReplyTest, testing::ValuesIn(kRows), RowName());

TEST(NtsRequestTest, CarriesCookiePlaceholdersAndATagOverAllBefore) {
    FakeAead aead;
    const auto header = ntp::BuildNTPRequest(7);
    const Bytes cookie(98, 0xcc); // padded to 100 on the wire
    const Bytes request = ntp::BuildNtsRequest({header, kUniqueId, kNonce, cookie, 2, kC2S}, aead);
    ASSERT_EQ(request.size(), 48u + 36 + 3 * 104 + 40);
    EXPECT_TRUE(std::equal(header.begin(), header.end(), request.begin()));
    EXPECT_EQ(Type(request, 48), 0x0104);
    EXPECT_EQ(Type(request, 84), 0x0204);
    EXPECT_EQ(Type(request, 188), 0x0304);
    EXPECT_EQ(Type(request, 292), 0x0304);
    const std::size_t auth = 396;
    EXPECT_EQ(Type(request, auth), 0x0404);
    // The server opens the tag with the same key over the same bytes.
    const ntp::ByteSpan all(request);
    const std::array<ntp::ByteSpan, 2> associated{all.first(auth), all.subspan(auth + 8, 16)};
    EXPECT_TRUE(aead.Open(kC2S, associated, all.subspan(auth + 24, 16)));

    EXPECT_TRUE(ntp::BuildNtsRequest({header, kUniqueId, kNonce, {}, 0, kC2S}, aead).empty());
}

// The session's whole life: cookies spent and refilled, placeholders asking
// for what the store lacks, a refused reply changing nothing, NTSN forgetting.
TEST(NtsSessionTest, SpendsRefillsAndForgets) {
    FakeAead aead;
    ntp::NtsSession session(aead, [](std::uint8_t* out, std::size_t n) {
        std::fill(out, out + n, std::uint8_t{0x1d}); // every identifier is kUniqueId
    });
    EXPECT_TRUE(session.NeedsKeyExchange());
    ntp::NtsKeResponse response;
    response.Cookies.assign(2, Bytes(100, 0xc0));
    session.Establish(kC2S, kS2C, response, "ke.example");
    EXPECT_EQ(session.NtpServer(), "ke.example");
    EXPECT_EQ(session.NtpPort(), 123);

    const auto headerArray = ntp::BuildNTPRequest(9);
    const Bytes header(headerArray.begin(), headerArray.end());
    Bytes request = header;
    const Bytes fields = session.RequestExtensions(header);
    request.insert(request.end(), fields.begin(), fields.end());
    // One cookie spent, one left: six placeholders ask for the rest.
    EXPECT_EQ(fields.size(), 36u + 7 * 104 + 40);
    EXPECT_EQ(session.CookiesLeft(), 1u);

    Bytes tampered = Reply(2);
    tampered[40] ^= 1;
    EXPECT_FALSE(session.Verify(request, tampered));
    EXPECT_EQ(session.CookiesLeft(), 1u);
    EXPECT_TRUE(session.Verify(request, Reply(2)));
    EXPECT_EQ(session.CookiesLeft(), 3u);

    Bytes kiss = WithoutAuthenticator();
    kiss[1] = 0;
    kiss[12] = 'N', kiss[13] = 'T', kiss[14] = 'S', kiss[15] = 'N';
    EXPECT_FALSE(session.Verify(request, kiss));
    EXPECT_EQ(session.LastCheck(), ntp::NtsReplyCheck::KissNtsn);
    EXPECT_TRUE(session.NeedsKeyExchange());
    EXPECT_TRUE(session.RequestExtensions(header).empty());

    response.Server = "ntp.example";
    response.Port = 1234;
    session.Establish(kC2S, kS2C, response, "ke.example");
    EXPECT_EQ(session.NtpServer(), "ntp.example");
    EXPECT_EQ(session.NtpPort(), 1234);
    session.RequestExtensions(header);
    session.RequestExtensions(header);
    EXPECT_TRUE(session.NeedsKeyExchange()); // out of cookies
}

} // namespace
