#include "sync/modNTP.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>

// Any datagram, with any UTC offset the settings file could hold.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    modNTP::NTPResult result;
    modNTP::ParseNTPReply(result, data, size, 9.0f);

    if (size >= modNTP::PacketSize + sizeof(float)) {
        float offset = 0.0f;
        std::memcpy(&offset, data + modNTP::PacketSize, sizeof offset);
        modNTP::NTPResult shifted;
        modNTP::ParseNTPReply(shifted, data, modNTP::PacketSize, offset);
        (void)modNTP::IsUntrustedReply(data);
        if (!shifted.ServerTimeUTC.empty()) {
            if (shifted.ServerMilliseconds < 0.0 || shifted.ServerMilliseconds > 1000.0 ||
                shifted.ServerTimeUTC.size() != 19 || !shifted.ErrorMessage.empty()) {
                std::abort();
            }
            const std::string received = modNTP::ReceivedTimeText(shifted, offset);
            if (received.size() < 23) {
                std::abort();
            }
        } else if (shifted.ErrorMessage.empty()) {
            std::abort(); // neither a time nor a reason
        }
    }
    return 0;
}
