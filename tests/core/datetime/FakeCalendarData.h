#pragma once

#include "datetime/CalendarData.h"
#include "datetime/LocalDateTime.h"

#include <string>
#include <tuple>

inline LocalDateTime At(int year, int month, int day, int hour = 0, int minute = 0,
                        int second = 0) {
    LocalDateTime t;
    t.year = year;
    t.month = month;
    t.day = day;
    t.hour = hour;
    t.minute = minute;
    t.second = second;
    return t;
}

// Calendar data with easily recognised answers, so a test shows which call
// produced which part of the text; the era and designator names are
// multi-byte, so a split character shows too.
class FakeCalendarData final : public CalendarData {
public:
    EraYear Era(int year, int month, int day) const override {
        struct Start {
            int year, month, day;
            const char* letter;
            const char* name;
        };
        static constexpr Start kEras[] = {{2019, 5, 1, "R", "令和"},
                                          {1989, 1, 8, "H", "平成"},
                                          {1926, 12, 25, "S", "昭和"},
                                          {1912, 7, 30, "T", "大正"},
                                          {1868, 9, 8, "M", "明治"}};
        ++eraCalls;
        for (const Start& s : kEras) {
            if (std::tie(year, month, day) >= std::tie(s.year, s.month, s.day)) {
                return {true, s.letter, s.name, year - s.year + 1};
            }
        }
        return {};
    }
    std::string MonthName(int month, bool abbreviated) const override {
        static constexpr const char* kNames[] = {"January",   "February", "March",    "April",
                                                 "May",       "June",     "July",     "August",
                                                 "September", "October",  "November", "December"};
        const std::string name = kNames[month - 1];
        return abbreviated ? name.substr(0, 3) : name;
    }
    std::string WeekdayName(int weekday, bool abbreviated) const override {
        static constexpr const char* kNames[] = {"Sunday",   "Monday", "Tuesday", "Wednesday",
                                                 "Thursday", "Friday", "Saturday"};
        const std::string name = kNames[weekday];
        return abbreviated ? name.substr(0, 3) : name;
    }
    std::string DayPeriod(bool afternoon) const override { return afternoon ? "午後" : "午前"; }
    std::string ShortDate(int year, int month, int day) const override {
        return "S" + Join(year, month, day);
    }
    std::string LongDate(int year, int month, int day) const override {
        return "L" + Join(year, month, day);
    }
    std::string LongTime(int hour, int minute, int second) const override {
        return "T" + Join(hour, minute, second);
    }

    mutable int eraCalls = 0;

private:
    static std::string Join(int a, int b, int c) {
        return std::to_string(a) + "-" + std::to_string(b) + "-" + std::to_string(c);
    }
};
