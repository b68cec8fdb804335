#include "options/OptionsTexts.h"

#include <cstdio>

namespace Options {

std::string TimeSample(int index, int hour, int minute) {
    int shown = hour;
    if (index == 1) {
        shown = hour == 0 ? 12 : hour > 12 ? hour - 12 : hour;
    } else if (index == 2) {
        shown = hour >= 12 ? hour - 12 : hour;
    }
    char text[16];
    std::snprintf(text, sizeof text, "%d:%02d", shown, minute);
    return text;
}

std::string NextSyncText(bool byTimer, const LocalDateTime& now, std::int32_t countdown) {
    if (!byTimer) {
        return std::string(kDisabled);
    }
    const LocalDateTime due = DateMath::AddSeconds(now, std::int64_t{countdown} * 60);
    char text[48];
    std::snprintf(text, sizeof text, "%04d/%d/%d %02d:%02d", due.year, due.month, due.day, due.hour,
                  due.minute);
    return text;
}

} // namespace Options
