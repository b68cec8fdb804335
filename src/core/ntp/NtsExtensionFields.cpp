#include "ntp/NtsExtensionFields.h"

#include "ntp/Packet.h"

#include <algorithm>
#include <array>
#include <optional>

namespace ntp {

namespace {

constexpr std::size_t kFieldHeader = 4;
constexpr std::size_t kMaxCookies = 8;

std::size_t Padded(std::size_t n) {
    return (n + 3) & ~std::size_t{3};
}

std::uint16_t Read16(ByteSpan bytes, std::size_t at) {
    return static_cast<std::uint16_t>((bytes[at] << 8) | bytes[at + 1]);
}

void Put16(std::vector<std::uint8_t>& out, std::size_t value) {
    out.push_back(static_cast<std::uint8_t>((value >> 8) & 0xff));
    out.push_back(static_cast<std::uint8_t>(value & 0xff));
}

void PutField(std::vector<std::uint8_t>& out, NtsField type, ByteSpan body) {
    Put16(out, static_cast<std::uint16_t>(type));
    Put16(out, kFieldHeader + Padded(body.size()));
    out.insert(out.end(), body.begin(), body.end());
    out.resize(out.size() + Padded(body.size()) - body.size(), 0);
}

struct Field {
    std::uint16_t Type = 0;
    std::size_t Start = 0; // of the field's header, within the datagram
    ByteSpan Body;
};

// Splits the fields after `from`; nullopt when one is cut short or its length
// is not a whole number of words.
std::optional<std::vector<Field>> SplitFields(ByteSpan bytes, std::size_t from) {
    std::vector<Field> fields;
    std::size_t at = from;
    while (at < bytes.size()) {
        if (bytes.size() - at < kFieldHeader) {
            return std::nullopt;
        }
        const std::size_t length = Read16(bytes, at + 2);
        if (length < kFieldHeader || length % 4 != 0 || length > bytes.size() - at) {
            return std::nullopt;
        }
        fields.push_back(
            {Read16(bytes, at), at, bytes.subspan(at + kFieldHeader, length - kFieldHeader)});
        at += length;
    }
    return fields;
}

bool IsKissNtsn(ByteSpan header) {
    return header[1] == 0 && header[12] == 'N' && header[13] == 'T' && header[14] == 'S' &&
           header[15] == 'N';
}

} // namespace

std::vector<std::uint8_t> BuildNtsRequest(const NtsRequestParts& parts, Aead& aead) {
    if (parts.Header.size() != PacketSize || parts.UniqueId.size() != NtsUniqueIdLength ||
        parts.Nonce.size() != NtsNonceLength || parts.Cookie.empty() ||
        parts.Cookie.size() > 0xffff - kFieldHeader - 3) {
        return {};
    }
    std::vector<std::uint8_t> out(parts.Header.begin(), parts.Header.end());
    PutField(out, NtsField::UniqueIdentifier, parts.UniqueId);
    PutField(out, NtsField::Cookie, parts.Cookie);
    const std::vector<std::uint8_t> blank(parts.Cookie.size(), 0);
    for (std::size_t i = 0; i < parts.Placeholders; ++i) {
        PutField(out, NtsField::CookiePlaceholder, blank);
    }
    // The client has nothing to hide, so the plaintext is empty and the
    // sealed part is the tag alone, over everything before it.
    const std::array<ByteSpan, 2> associated{ByteSpan(out), parts.Nonce};
    const auto sealed = aead.Seal(parts.C2SKey, associated, {});
    if (!sealed) {
        return {};
    }
    std::vector<std::uint8_t> body;
    Put16(body, parts.Nonce.size());
    Put16(body, sealed->size());
    body.insert(body.end(), parts.Nonce.begin(), parts.Nonce.end());
    body.resize(kFieldHeader + Padded(parts.Nonce.size()), 0);
    body.insert(body.end(), sealed->begin(), sealed->end());
    PutField(out, NtsField::Authenticator, body);
    return out;
}

NtsReplyOpened OpenNtsReply(ByteSpan datagram, ByteSpan uniqueId, ByteSpan s2cKey, Aead& aead) {
    NtsReplyOpened opened;
    if (datagram.size() < PacketSize) {
        return opened;
    }
    const auto fields = SplitFields(datagram, PacketSize);
    if (!fields) {
        return opened;
    }
    const auto isUniqueId = [&](const Field& f) {
        return f.Type == static_cast<std::uint16_t>(NtsField::UniqueIdentifier);
    };
    const auto auth = std::find_if(fields->begin(), fields->end(), [](const Field& f) {
        return f.Type == static_cast<std::uint16_t>(NtsField::Authenticator);
    });
    // Only fields the tag covers may name the request; one after it could
    // have been put there by anyone.
    const auto id = std::find_if(fields->begin(), auth, isUniqueId);
    if (id == auth ||
        !std::equal(id->Body.begin(), id->Body.end(), uniqueId.begin(), uniqueId.end())) {
        opened.Check = NtsReplyCheck::WrongUniqueId;
        return opened;
    }
    if (auth == fields->end()) {
        opened.Check =
            IsKissNtsn(datagram) ? NtsReplyCheck::KissNtsn : NtsReplyCheck::Unauthenticated;
        return opened;
    }
    if (auth + 1 != fields->end() || auth->Body.size() < kFieldHeader) {
        return opened;
    }
    const std::size_t nonceLength = Read16(auth->Body, 0);
    const std::size_t sealedLength = Read16(auth->Body, 2);
    if (nonceLength == 0 || sealedLength < AeadTagLength ||
        kFieldHeader + Padded(nonceLength) + Padded(sealedLength) > auth->Body.size()) {
        return opened;
    }
    const ByteSpan nonce = auth->Body.subspan(kFieldHeader, nonceLength);
    const ByteSpan sealed = auth->Body.subspan(kFieldHeader + Padded(nonceLength), sealedLength);
    const std::array<ByteSpan, 2> associated{datagram.first(auth->Start), nonce};
    const auto plain = aead.Open(s2cKey, associated, sealed);
    if (!plain) {
        opened.Check = NtsReplyCheck::Unauthenticated;
        return opened;
    }
    const auto inner = SplitFields(*plain, 0);
    if (!inner) {
        return opened;
    }
    for (const Field& f : *inner) {
        if (f.Type == static_cast<std::uint16_t>(NtsField::Cookie) && !f.Body.empty() &&
            opened.Cookies.size() < kMaxCookies) {
            opened.Cookies.emplace_back(f.Body.begin(), f.Body.end());
        }
    }
    opened.Check = NtsReplyCheck::Authentic;
    return opened;
}

} // namespace ntp
