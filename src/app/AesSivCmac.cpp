// AEAD_AES_SIV_CMAC_256 (RFC 5297) on OpenSSL 3. OpenSSL's own AES-SIV cipher
// does the work where it can; OpenSSL 3.0 cannot seal or open an empty
// plaintext with it, which is every request this client sends, so that case
// runs S2V on OpenSSL's CMAC here.
#include "ntp/Aead.h"

#include <openssl/core_names.h>
#include <openssl/crypto.h>
#include <openssl/evp.h>
#include <openssl/params.h>

#include <array>
#include <cstring>

namespace ntp {

namespace {

using Block = std::array<std::uint8_t, 16>;
constexpr std::size_t kKeyLength = 32;

struct CipherDeleter {
    void operator()(EVP_CIPHER* c) const { EVP_CIPHER_free(c); }
    void operator()(EVP_CIPHER_CTX* c) const { EVP_CIPHER_CTX_free(c); }
    void operator()(EVP_MAC* m) const { EVP_MAC_free(m); }
    void operator()(EVP_MAC_CTX* m) const { EVP_MAC_CTX_free(m); }
};
template <class T> using Owned = std::unique_ptr<T, CipherDeleter>;

// Doubling in GF(2^128), as S2V chains its components.
Block Double(const Block& in) {
    Block out{};
    for (std::size_t i = 0; i < 16; ++i) {
        out[i] = static_cast<std::uint8_t>(in[i] << 1);
        if (i + 1 < 16) {
            out[i] |= static_cast<std::uint8_t>(in[i + 1] >> 7);
        }
    }
    if (in[0] & 0x80) {
        out[15] ^= 0x87;
    }
    return out;
}

std::optional<Block> Cmac(EVP_MAC* mac, ByteSpan key, ByteSpan data) {
    Owned<EVP_MAC_CTX> ctx(EVP_MAC_CTX_new(mac));
    char cipher[] = "AES-128-CBC";
    const OSSL_PARAM params[] = {OSSL_PARAM_construct_utf8_string(OSSL_MAC_PARAM_CIPHER, cipher, 0),
                                 OSSL_PARAM_construct_end()};
    Block out{};
    std::size_t written = 0;
    if (!ctx || EVP_MAC_init(ctx.get(), key.data(), key.size(), params) != 1 ||
        EVP_MAC_update(ctx.get(), data.data(), data.size()) != 1 ||
        EVP_MAC_final(ctx.get(), out.data(), &written, out.size()) != 1 || written != 16) {
        return std::nullopt;
    }
    return out;
}

// S2V of RFC 5297 (section 2.4) with an empty last component, the plaintext.
std::optional<Block> SyntheticIvOfNothing(ByteSpan macKey, std::span<const ByteSpan> associated) {
    Owned<EVP_MAC> mac(EVP_MAC_fetch(nullptr, "CMAC", nullptr));
    if (!mac) {
        return std::nullopt;
    }
    const Block zero{};
    auto d = Cmac(mac.get(), macKey, zero);
    for (const ByteSpan& component : associated) {
        const auto m = d ? Cmac(mac.get(), macKey, component) : std::nullopt;
        if (!m) {
            return std::nullopt;
        }
        d = Double(*d);
        for (std::size_t i = 0; i < 16; ++i) {
            (*d)[i] ^= (*m)[i];
        }
    }
    if (!d) {
        return std::nullopt;
    }
    Block t = Double(*d);
    t[0] ^= 0x80; // the empty string padded: 1 then zeros
    return Cmac(mac.get(), macKey, t);
}

class AesSivCmac256 final : public Aead {
public:
    std::optional<std::vector<std::uint8_t>>
    Seal(ByteSpan key, std::span<const ByteSpan> associated, ByteSpan plaintext) override {
        if (key.size() != kKeyLength) {
            return std::nullopt;
        }
        if (plaintext.empty()) {
            const auto iv = SyntheticIvOfNothing(key.first(16), associated);
            if (!iv) {
                return std::nullopt;
            }
            return std::vector<std::uint8_t>(iv->begin(), iv->end());
        }
        auto ctx = Start(key, associated, true);
        std::vector<std::uint8_t> out(AeadTagLength + plaintext.size());
        int written = 0;
        if (!ctx ||
            EVP_EncryptUpdate(ctx.get(), out.data() + AeadTagLength, &written, plaintext.data(),
                              static_cast<int>(plaintext.size())) != 1 ||
            EVP_EncryptFinal_ex(ctx.get(), nullptr, &written) != 1 ||
            EVP_CIPHER_CTX_ctrl(ctx.get(), EVP_CTRL_AEAD_GET_TAG, AeadTagLength, out.data()) != 1) {
            return std::nullopt;
        }
        return out;
    }

    std::optional<std::vector<std::uint8_t>>
    Open(ByteSpan key, std::span<const ByteSpan> associated, ByteSpan sealed) override {
        if (key.size() != kKeyLength || sealed.size() < AeadTagLength) {
            return std::nullopt;
        }
        if (sealed.size() == AeadTagLength) {
            const auto iv = SyntheticIvOfNothing(key.first(16), associated);
            if (!iv || CRYPTO_memcmp(iv->data(), sealed.data(), AeadTagLength) != 0) {
                return std::nullopt;
            }
            return std::vector<std::uint8_t>{};
        }
        auto ctx = Start(key, associated, false, sealed.first(AeadTagLength));
        const ByteSpan body = sealed.subspan(AeadTagLength);
        std::vector<std::uint8_t> out(body.size());
        int written = 0;
        if (!ctx ||
            EVP_DecryptUpdate(ctx.get(), out.data(), &written, body.data(),
                              static_cast<int>(body.size())) != 1 ||
            EVP_DecryptFinal_ex(ctx.get(), nullptr, &written) != 1) {
            return std::nullopt;
        }
        return out;
    }

private:
    // A cipher context keyed, given the tag to check when opening, and fed
    // the associated data, each piece one S2V component.
    static Owned<EVP_CIPHER_CTX> Start(ByteSpan key, std::span<const ByteSpan> associated,
                                       bool encrypt, ByteSpan tag = {}) {
        Owned<EVP_CIPHER> cipher(EVP_CIPHER_fetch(nullptr, "AES-128-SIV", nullptr));
        Owned<EVP_CIPHER_CTX> ctx(EVP_CIPHER_CTX_new());
        if (!cipher || !ctx ||
            EVP_CipherInit_ex(ctx.get(), cipher.get(), nullptr, key.data(), nullptr,
                              encrypt ? 1 : 0) != 1) {
            return nullptr;
        }
        if (!encrypt &&
            EVP_CIPHER_CTX_ctrl(ctx.get(), EVP_CTRL_AEAD_SET_TAG, static_cast<int>(tag.size()),
                                const_cast<std::uint8_t*>(tag.data())) != 1) {
            return nullptr;
        }
        for (const ByteSpan& component : associated) {
            int written = 0;
            if (EVP_CipherUpdate(ctx.get(), nullptr, &written, component.data(),
                                 static_cast<int>(component.size())) != 1) {
                return nullptr;
            }
        }
        return ctx;
    }
};

} // namespace

std::unique_ptr<Aead> MakeAesSivCmac256() {
    return std::make_unique<AesSivCmac256>();
}

} // namespace ntp
