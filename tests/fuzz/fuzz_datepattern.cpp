#include "datetime/DatePattern.h"

#include "core/datetime/FakeCalendarData.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <string_view>

namespace {

// Strict UTF-8: no overlong forms, no surrogates, nothing past U+10FFFF.
bool IsValidUtf8(std::string_view text) {
    std::size_t i = 0;
    while (i < text.size()) {
        const auto lead = static_cast<unsigned char>(text[i]);
        std::size_t length = 0;
        std::uint32_t code = 0;
        if (lead < 0x80) {
            ++i;
            continue;
        } else if (lead >= 0xC2 && lead <= 0xDF) {
            length = 2;
            code = lead & 0x1Fu;
        } else if (lead >= 0xE0 && lead <= 0xEF) {
            length = 3;
            code = lead & 0x0Fu;
        } else if (lead >= 0xF0 && lead <= 0xF4) {
            length = 4;
            code = lead & 0x07u;
        } else {
            return false;
        }
        if (i + length > text.size()) {
            return false;
        }
        for (std::size_t k = 1; k < length; ++k) {
            const auto next = static_cast<unsigned char>(text[i + k]);
            if ((next & 0xC0) != 0x80) {
                return false;
            }
            code = (code << 6) | (next & 0x3Fu);
        }
        if ((length == 3 && (code < 0x800 || (code >= 0xD800 && code <= 0xDFFF))) ||
            (length == 4 && (code < 0x10000 || code > 0x10FFFF))) {
            return false;
        }
        i += length;
    }
    return true;
}

bool HasNoTokenCharacters(std::string_view text) {
    for (const char c : text) {
        if ((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '"' || c == '\\') {
            return false;
        }
    }
    return true;
}

} // namespace

// Input: 4 bytes of year, then month, day, hour, minute and second as signed
// bytes (out-of-range values included on purpose), then the pattern.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    constexpr std::size_t kHeader = 9;
    if (size < kHeader) {
        return 0;
    }
    LocalDateTime t;
    std::int32_t year = 0;
    std::memcpy(&year, data, sizeof year);
    t.year = year;
    t.month = static_cast<std::int8_t>(data[4]);
    t.day = static_cast<std::int8_t>(data[5]);
    t.hour = static_cast<std::int8_t>(data[6]);
    t.minute = static_cast<std::int8_t>(data[7]);
    t.second = static_cast<std::int8_t>(data[8]);
    const std::string_view pattern(reinterpret_cast<const char*>(data + kHeader), size - kHeader);

    const std::string text = DatePattern::FormatDate(t, pattern, FakeCalendarData());

    if (IsValidUtf8(pattern) && !IsValidUtf8(text)) {
        std::abort();
    }
    // Text without letters, quotes or backslashes holds no token at all.
    if (HasNoTokenCharacters(pattern) && text != pattern) {
        std::abort();
    }
    return 0;
}
