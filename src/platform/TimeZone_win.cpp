#include "TimeZone.h"

#include <windows.h>

float ReadSystemUTCOffset() {
    TIME_ZONE_INFORMATION info{};
    if (GetTimeZoneInformation(&info) == TIME_ZONE_ID_INVALID) {
        return 0.0f;
    }
    // Bias is minutes to add to local time to get UTC; DaylightBias is left out
    // on purpose, the offset wanted is the standard one.
    return static_cast<float>(-info.Bias) / 60.0f;
}
