#pragma once

#include "ntp/Aead.h"

#include <algorithm>

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
