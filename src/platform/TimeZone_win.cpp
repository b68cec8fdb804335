#include "TimeZone.h"
#include "Win32Conversions.h"

float StandardOffsetHours(const TIME_ZONE_INFORMATION& zone) {
    return static_cast<float>(-(zone.Bias + zone.StandardBias)) / 60.0f;
}

float ReadSystemUTCOffset() {
    TIME_ZONE_INFORMATION zone{};
    if (GetTimeZoneInformation(&zone) == TIME_ZONE_ID_INVALID) {
        return 0.0f;
    }
    return StandardOffsetHours(zone);
}
