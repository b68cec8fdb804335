#include "ntp/NtsKeRecords.h"

#include <cstdint>
#include <cstdlib>

// Whatever a key-exchange server, or whoever stands in for it, sends.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::span<const std::uint8_t> stream(data, size);
    const auto length = ntp::NtsKeMessageLength(stream);
    if (length && *length > size) {
        std::abort();
    }
    const auto parse = ntp::ParseNtsKeResponse(length ? stream.first(*length) : stream);
    if (parse.Failure == ntp::NtsKeFailure::None) {
        if (!length || parse.Response.Cookies.empty()) {
            std::abort(); // keys without an end or without a cookie
        }
    } else if (!parse.Response.Cookies.empty() || parse.Response.Port) {
        std::abort(); // a refused answer leaks nothing
    }
    return 0;
}
