#pragma once

#include "ntp/Aead.h"
#include "ntp/Exchange.h"
#include "ntp/NtsExtensionFields.h"
#include "ntp/NtsKeRecords.h"

#include <cstdint>
#include <deque>
#include <functional>
#include <string>
#include <vector>

// What one key exchange gave, for the NTP requests that follow: the keys and
// a store of cookies, each used once. Kept in memory only, for the program's
// life; nothing of it is ever written to disk.
namespace ntp {

class NtsSession final : public Authenticator {
public:
    // Fills a buffer with unpredictable bytes (the unique identifiers and
    // nonces).
    using RandomBytes = std::function<void(std::uint8_t* out, std::size_t size)>;

    NtsSession(Aead& aead, RandomBytes random);

    // A key exchange's result. The NTP server is the one it names, else the
    // key-exchange host; the port likewise, else 123.
    void Establish(std::vector<std::uint8_t> c2s, std::vector<std::uint8_t> s2c,
                   const NtsKeResponse& response, const std::string& keHost);
    // Keys and cookies dropped: the server refused them (kiss-o'-death NTSN).
    void Forget();

    // No keys, or no cookie left: the next request needs a key exchange.
    bool NeedsKeyExchange() const;
    const std::string& NtpServer() const { return server_; }
    std::uint16_t NtpPort() const { return port_; }
    std::size_t CookiesLeft() const { return cookies_.size(); }

    // The extension fields for a 48-byte request header, spending one cookie
    // and asking for as many back as the store lacks. Empty without a cookie.
    std::vector<std::uint8_t> RequestExtensions(const std::vector<std::uint8_t>& header) override;

    // Whether a reply (header and fields) authentically answers one of this
    // session's requests; its new cookies go into the store. A kiss-o'-death
    // NTSN that answers the request forgets the session (and is not
    // authentic).
    bool Verify(const std::vector<std::uint8_t>& request,
                const std::vector<std::uint8_t>& reply) override;
    NtsReplyCheck LastCheck() const { return lastCheck_; }
    bool KeysRevoked() const override { return lastCheck_ == NtsReplyCheck::KissNtsn; }

    static constexpr std::size_t StoreSize = 8;

private:
    Aead& aead_;
    RandomBytes random_;
    std::vector<std::uint8_t> c2s_;
    std::vector<std::uint8_t> s2c_;
    std::deque<std::vector<std::uint8_t>> cookies_;
    std::string server_;
    std::uint16_t port_ = 123;
    NtsReplyCheck lastCheck_ = NtsReplyCheck::Malformed;
};

// What one key exchange gave, or why it gave nothing.
struct NtsKeyExchangeResult {
    NtsKeFailure Failure = NtsKeFailure::None;
    std::uint16_t Code = 0; // the server's error or warning code
    std::string Detail;     // TLS's own words, for the log
    std::vector<std::uint8_t> C2SKey;
    std::vector<std::uint8_t> S2CKey;
    NtsKeResponse Response;
};

class NtsKeyExchanger {
public:
    virtual ~NtsKeyExchanger() = default;
    // One key exchange with host:port, within its own time limit; the event
    // pump keeps running meanwhile.
    virtual NtsKeyExchangeResult Run(const std::string& host, std::uint16_t port) = 0;
};

// What an authenticated run needs besides the plain run's services; the
// session outlives every run so its cookies spare later runs a key exchange.
struct NtsServices {
    NtsKeyExchanger& KeyExchange;
    NtsSession& Session;
    // The key-exchange server the session's keys came from, "host port".
    std::string EstablishedWith;
};

} // namespace ntp
