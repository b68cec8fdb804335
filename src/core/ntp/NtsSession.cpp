#include "ntp/NtsSession.h"

#include "ntp/Packet.h"

#include <array>

namespace ntp {

NtsSession::NtsSession(Aead& aead, RandomBytes random) : aead_(aead), random_(std::move(random)) {}

void NtsSession::Establish(std::vector<std::uint8_t> c2s, std::vector<std::uint8_t> s2c,
                           const NtsKeResponse& response, const std::string& keHost) {
    c2s_ = std::move(c2s);
    s2c_ = std::move(s2c);
    cookies_.assign(response.Cookies.begin(), response.Cookies.end());
    while (cookies_.size() > StoreSize) {
        cookies_.pop_front();
    }
    server_ = response.Server.empty() ? keHost : response.Server;
    port_ = response.Port.value_or(NTPPort);
    lastCheck_ = NtsReplyCheck::Malformed;
}

void NtsSession::Forget() {
    c2s_.clear();
    s2c_.clear();
    cookies_.clear();
}

bool NtsSession::NeedsKeyExchange() const {
    return c2s_.empty() || cookies_.empty();
}

std::vector<std::uint8_t> NtsSession::RequestExtensions(const std::vector<std::uint8_t>& header) {
    if (NeedsKeyExchange()) {
        return {};
    }
    std::array<std::uint8_t, NtsUniqueIdLength> id{};
    std::array<std::uint8_t, NtsNonceLength> nonce{};
    random_(id.data(), id.size());
    random_(nonce.data(), nonce.size());
    // Oldest first: a server may retire its cookie keys, newest ones last.
    const std::vector<std::uint8_t> cookie = std::move(cookies_.front());
    cookies_.pop_front();
    const std::size_t wanted = StoreSize - 1 - cookies_.size();
    std::vector<std::uint8_t> request =
        BuildNtsRequest({header, id, nonce, cookie, wanted, c2s_}, aead_);
    if (request.size() <= header.size()) {
        return {};
    }
    return {request.begin() + static_cast<std::ptrdiff_t>(header.size()), request.end()};
}

bool NtsSession::Verify(const std::vector<std::uint8_t>& request,
                        const std::vector<std::uint8_t>& reply) {
    // The request's own identifier, the first field after its header.
    constexpr std::size_t idAt = PacketSize + 4;
    if (request.size() < idAt + NtsUniqueIdLength || s2c_.empty()) {
        lastCheck_ = NtsReplyCheck::Unauthenticated;
        return false;
    }
    const ByteSpan id(request.data() + idAt, NtsUniqueIdLength);
    NtsReplyOpened opened = OpenNtsReply(reply, id, s2c_, aead_);
    lastCheck_ = opened.Check;
    if (opened.Check == NtsReplyCheck::KissNtsn) {
        Forget();
        return false;
    }
    if (opened.Check != NtsReplyCheck::Authentic) {
        return false;
    }
    for (auto& cookie : opened.Cookies) {
        if (cookies_.size() == StoreSize) {
            cookies_.pop_front();
        }
        cookies_.push_back(std::move(cookie));
    }
    return true;
}

} // namespace ntp
