#include "ntp/Packet.h"
#include "ntp/SyncTexts.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>

// Any datagram, with any UTC offset the settings file could hold.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
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
