#include "TimeZone.h"

#include <cstdlib>
#include <ctime>
#include <memory>
#include <string_view>
#include <unicode/timezone.h>
#include <unicode/unistr.h>

namespace {

bool IsKnown(const icu::TimeZone& zone) {
    return zone != icu::TimeZone::getUnknown();
}

// The zone TZ names, when ICU knows it. The C library reads TZ the same way
// for zone names, and it alone understands rule strings such as "CET-1CEST",
// which ICU would quietly replace by the zone of /etc/localtime.
std::unique_ptr<icu::TimeZone> ZoneNamedByTZ(std::string_view tz) {
    if (tz.starts_with(':')) {
        tz.remove_prefix(1);
    }
    constexpr std::string_view kZoneInfo = "/usr/share/zoneinfo/";
    if (tz.starts_with(kZoneInfo)) {
        tz.remove_prefix(kZoneInfo.size());
    }
    std::unique_ptr<icu::TimeZone> zone(icu::TimeZone::createTimeZone(icu::UnicodeString::fromUTF8(
        icu::StringPiece(tz.data(), static_cast<int32_t>(tz.size())))));
    if (!zone || !IsKnown(*zone)) {
        return nullptr;
    }
    return zone;
}

// `timezone` is the standard offset in seconds west of UTC.
float FromCLibrary() {
    ::tzset();
    return static_cast<float>(-::timezone) / 3600.0f;
}

float Hours(const icu::TimeZone& zone) {
    // getRawOffset is the standard offset whatever the date.
    return static_cast<float>(zone.getRawOffset()) / 3600000.0f;
}

} // namespace

float ReadSystemUTCOffset() {
    if (const char* tz = std::getenv("TZ")) {
        const std::unique_ptr<icu::TimeZone> zone = ZoneNamedByTZ(tz);
        return zone ? Hours(*zone) : FromCLibrary();
    }
    // /etc/localtime, asked afresh rather than through ICU's cached default,
    // which another part of the program may have set.
    const std::unique_ptr<icu::TimeZone> zone(icu::TimeZone::detectHostTimeZone());
    return zone && IsKnown(*zone) ? Hours(*zone) : FromCLibrary();
}
