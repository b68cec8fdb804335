#include "core/ntp/FakeAead.h"
#include "ntp/NtsExtensionFields.h"
#include "ntp/Packet.h"

#include <cstdint>
#include <cstdlib>

// Any reply datagram, checked against a fixed request's identifier and key.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const std::vector<std::uint8_t> uniqueId(ntp::NtsUniqueIdLength, 0x1d);
    static const std::vector<std::uint8_t> key(32, 0x5c);
    FakeAead aead;
    const auto opened = ntp::OpenNtsReply({data, size}, uniqueId, key, aead);
    if (opened.Check != ntp::NtsReplyCheck::Authentic && !opened.Cookies.empty()) {
        std::abort();
    }
    if (opened.Cookies.size() > 8) {
        std::abort();
    }
    // The same bytes as a cookie must make a request of the expected shape.
    if (size > 0 && size < 2000) {
        const auto header = ntp::BuildNTPRequest(1);
        const std::vector<std::uint8_t> nonce(ntp::NtsNonceLength, 7);
        const auto request =
            ntp::BuildNtsRequest({header, uniqueId, nonce, {data, size}, 1, key}, aead);
        const std::size_t cookieField = 4 + ((size + 3) & ~std::size_t{3});
        if (request.size() != ntp::PacketSize + 36 + 2 * cookieField + 40) {
            std::abort();
        }
    }
    return 0;
}
