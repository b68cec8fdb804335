#pragma once

#include <string>

// The Japanese era of one date. Eras are counted from Meiji on; earlier
// dates are not valid here.
struct EraYear {
    bool valid = false;
    std::string letter; // Latin initial, "H"
    std::string name;   // "平成"
    int year = 0;       // year within the era; the era's first, partial year is 1
};

// Calendar and locale data for the date pattern language. The core formats
// through this interface so that it never touches ICU or Win32 itself, and
// tests can hand it a fake. All text is UTF-8. Implementations are used from
// the user-interface thread only, and are called every couple of seconds by
// the tooltip, so they prepare their tables once.
class CalendarData {
public:
    virtual ~CalendarData() = default;

    virtual EraYear Era(int year, int month, int day) const = 0;

    // month 1..12; weekday 0 = Sunday .. 6 = Saturday. The user's locale.
    virtual std::string MonthName(int month, bool abbreviated) const = 0;
    virtual std::string WeekdayName(int weekday, bool abbreviated) const = 0;
    // The locale's 12-hour designators (午前 / 午後 in Japanese).
    virtual std::string DayPeriod(bool afternoon) const = 0;

    // Whole texts in the locale's own formats. Callers keep year within
    // 1..9999, which every platform's formatter handles.
    virtual std::string ShortDate(int year, int month, int day) const = 0;
    virtual std::string LongDate(int year, int month, int day) const = 0;
    virtual std::string LongTime(int hour, int minute, int second) const = 0;
};
