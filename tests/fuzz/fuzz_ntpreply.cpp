#include "ntp/Exchange.h"
#include "ntp/Packet.h"
#include "ntp/SyncTexts.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace {

struct Fixed : ntp::RandomSource {
    std::uint64_t Next64() override { return 0x0123456789abcdefULL; }
};

// The reply as the program judges it: the input answers the exchange's own
// request (its origin echoed), so every check after the origin match is
// reached, and the exchange must end with a sample or a failure.
void JudgeInAnExchange(const std::uint8_t* data, std::size_t size) {
    Fixed random;
    ntp::ExchangeSettings settings;
    settings.Addresses = {"127.0.0.1"};
    settings.FloorUnixSeconds = 1'000'000'000;
    settings.UtcMinusMonotonicNs = 1'700'000'000'000'000'000;
    ntp::Exchange exchange(settings, random, 0);
    const std::vector<ntp::OutgoingRequest> requests = exchange.Poll(0);
    if (requests.size() != 1) {
        std::abort();
    }
    exchange.Sent(0, 0);
    ntp::Datagram reply{std::vector<std::uint8_t>(data, data + size), "127.0.0.1", ntp::NTPPort,
                        1'000'000};
    if (reply.Bytes.size() >= 48) {
        std::memcpy(reply.Bytes.data() + 24, requests[0].Bytes.data() + 40, 8);
    }
    exchange.OnDatagram(reply);
    exchange.Poll(10'000'000'000);
    if (!exchange.Done()) {
        std::abort();
    }
}

} // namespace

// Any datagram, with any UTC offset the settings file could hold.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    JudgeInAnExchange(data, size);
    ntp::NTPResult result;
    ntp::ParseNTPReply(result, data, size, 9.0f);

    if (size >= ntp::PacketSize + sizeof(float)) {
        float offset = 0.0f;
        std::memcpy(&offset, data + ntp::PacketSize, sizeof offset);
        ntp::NTPResult shifted;
        ntp::ParseNTPReply(shifted, data, ntp::PacketSize, offset);
        (void)ntp::IsUntrustedReply(data);
        if (!shifted.ServerTimeUTC.empty()) {
            if (shifted.ServerMilliseconds < 0.0 || shifted.ServerMilliseconds > 1000.0 ||
                shifted.ServerTimeUTC.size() != 19 || !shifted.ErrorMessage.empty()) {
                std::abort();
            }
            const std::string received = ntp::ReceivedTimeText(shifted, offset);
            if (received.size() < 23) {
                std::abort();
            }
        } else if (shifted.ErrorMessage.empty()) {
            std::abort(); // neither a time nor a reason
        }
    }
    return 0;
}
