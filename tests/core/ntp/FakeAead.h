#pragma once

#include "ntp/Aead.h"
#include "ntp/NtsExtensionFields.h"

#include <algorithm>
#include <array>

// A stand-in AEAD for the codec's tests: the tag sums the key and every byte
// it covers by position, so any change to them shows; the body is the
// plaintext with each byte flipped.
class FakeAead : public ntp::Aead {
public:
    std::optional<std::vector<std::uint8_t>> Seal(ntp::ByteSpan key,
                                                  std::span<const ntp::ByteSpan> associated,
                                                  ntp::ByteSpan plaintext) override {
        std::vector<std::uint8_t> out = Tag(key, associated, plaintext);
        for (const std::uint8_t b : plaintext) {
            out.push_back(static_cast<std::uint8_t>(~b));
        }
        return out;
    }
    std::optional<std::vector<std::uint8_t>> Open(ntp::ByteSpan key,
                                                  std::span<const ntp::ByteSpan> associated,
                                                  ntp::ByteSpan sealed) override {
        if (sealed.size() < ntp::AeadTagLength) {
            return std::nullopt;
        }
        std::vector<std::uint8_t> plain;
        for (const std::uint8_t b : sealed.subspan(ntp::AeadTagLength)) {
            plain.push_back(static_cast<std::uint8_t>(~b));
        }
        const auto tag = Tag(key, associated, plain);
        if (!std::equal(tag.begin(), tag.end(), sealed.begin())) {
            return std::nullopt;
        }
        return plain;
    }

private:
    static std::vector<std::uint8_t>
    Tag(ntp::ByteSpan key, std::span<const ntp::ByteSpan> associated, ntp::ByteSpan plaintext) {
        std::vector<std::uint8_t> tag(ntp::AeadTagLength, 0);
        std::size_t i = 0;
        auto mix = [&](ntp::ByteSpan part) {
            for (const std::uint8_t b : part) {
                tag[i % tag.size()] = static_cast<std::uint8_t>(tag[i % tag.size()] * 31 + b + 1);
                ++i;
            }
            ++i;
        };
        mix(key);
        for (const auto& part : associated) {
            mix(part);
        }
        mix(plaintext);
        return tag;
    }
};

// One extension field, its body padded to a multiple of four bytes.
inline void PutField(std::vector<std::uint8_t>& out, std::uint16_t type,
                     const std::vector<std::uint8_t>& body) {
    const std::size_t length = 4 + ((body.size() + 3) & ~std::size_t{3});
    out.insert(out.end(),
               {static_cast<std::uint8_t>(type >> 8), static_cast<std::uint8_t>(type),
                static_cast<std::uint8_t>(length >> 8), static_cast<std::uint8_t>(length)});
    out.insert(out.end(), body.begin(), body.end());
    out.resize(out.size() + length - 4 - body.size(), 0);
}

// What a server appends to a reply's header: the request's identifier, then
// the authenticator sealing `cookies` new cookies with the server-to-client key.
inline void SealReply(std::vector<std::uint8_t>& out, const std::vector<std::uint8_t>& uniqueId,
                      const std::vector<std::uint8_t>& s2c, const std::vector<std::uint8_t>& nonce,
                      std::size_t cookies) {
    using ntp::NtsField;
    PutField(out, static_cast<std::uint16_t>(NtsField::UniqueIdentifier), uniqueId);
    std::vector<std::uint8_t> inner;
    for (std::size_t i = 0; i < cookies; ++i) {
        PutField(inner, static_cast<std::uint16_t>(NtsField::Cookie),
                 std::vector<std::uint8_t>(100, 0xc0));
    }
    const std::array<ntp::ByteSpan, 2> associated{ntp::ByteSpan(out), ntp::ByteSpan(nonce)};
    FakeAead aead;
    const std::vector<std::uint8_t> sealed = *aead.Seal(s2c, associated, inner);
    std::vector<std::uint8_t> body{0, static_cast<std::uint8_t>(nonce.size()),
                                   static_cast<std::uint8_t>(sealed.size() >> 8),
                                   static_cast<std::uint8_t>(sealed.size())};
    body.insert(body.end(), nonce.begin(), nonce.end());
    body.insert(body.end(), sealed.begin(), sealed.end());
    PutField(out, static_cast<std::uint16_t>(NtsField::Authenticator), body);
}
