#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <vector>

namespace ntp {

using ByteSpan = std::span<const std::uint8_t>;

// Authenticated encryption with associated data in the shape of RFC 5297:
// any number of associated-data components (a nonce is simply the last one)
// and a plaintext. The sealed form is the 16-byte synthetic IV followed by
// the ciphertext.
class Aead {
public:
    virtual ~Aead() = default;
    virtual std::optional<std::vector<std::uint8_t>>
    Seal(ByteSpan key, std::span<const ByteSpan> associated, ByteSpan plaintext) = 0;
    // nullopt when the tag does not match: the sealed bytes or the associated
    // data were changed, or the key is not the sender's.
    virtual std::optional<std::vector<std::uint8_t>>
    Open(ByteSpan key, std::span<const ByteSpan> associated, ByteSpan sealed) = 0;
};

inline constexpr std::size_t AeadTagLength = 16;

// AEAD_AES_SIV_CMAC_256 (32-byte key), implemented outside the core.
std::unique_ptr<Aead> MakeAesSivCmac256();

} // namespace ntp
