#pragma once

#include "ntp/Aead.h"

#include <cstddef>
#include <cstdint>
#include <vector>

// The NTP extension fields of Network Time Security (RFC 8915, section 5):
// what follows the 48-byte header of an authenticated request and reply.
namespace ntp {

enum class NtsField : std::uint16_t {
    UniqueIdentifier = 0x0104,
    Cookie = 0x0204,
    CookiePlaceholder = 0x0304,
    Authenticator = 0x0404,
};

inline constexpr std::size_t NtsUniqueIdLength = 32;
inline constexpr std::size_t NtsNonceLength = 16;

struct NtsRequestParts {
    ByteSpan Header;   // the plain 48-byte request
    ByteSpan UniqueId; // NtsUniqueIdLength random bytes, echoed by the server
    ByteSpan Nonce;    // NtsNonceLength random bytes
    ByteSpan Cookie;
    std::size_t Placeholders = 0; // cookies wanted back beyond the one spent
    ByteSpan C2SKey;
};

// Empty when the parts are out of shape or sealing fails.
std::vector<std::uint8_t> BuildNtsRequest(const NtsRequestParts& parts, Aead& aead);

enum class NtsReplyCheck {
    Authentic,
    Malformed,       // an extension field out of shape
    WrongUniqueId,   // an answer to some other request, or none named
    Unauthenticated, // no authenticator, or one that does not verify
    KissNtsn,        // the server could not use the cookie: new keys needed
};

struct NtsReplyOpened {
    NtsReplyCheck Check = NtsReplyCheck::Malformed;
    std::vector<std::vector<std::uint8_t>> Cookies;
};

// A whole reply datagram, header included. Only what the authenticator
// covers counts: the unique identifier before it, the cookies inside it.
NtsReplyOpened OpenNtsReply(ByteSpan datagram, ByteSpan uniqueId, ByteSpan s2cKey, Aead& aead);

} // namespace ntp
