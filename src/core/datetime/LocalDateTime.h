#pragma once

#include <cstdint>

// A calendar date and time without a zone: the core receives local or UTC
// times as plain values so that it never asks the OS for the clock itself.
struct LocalDateTime {
    int year = 1970;
    int month = 1; // 1..12
    int day = 1;   // 1..31
    int hour = 0;  // 0..23
    int minute = 0;
    int second = 0;
    int millisecond = 0; // 0..999

    friend bool operator==(const LocalDateTime&, const LocalDateTime&) = default;
};

namespace DateMath {

// Days since 1970-01-01 in the proleptic Gregorian calendar (negative before).
std::int64_t DaysFromCivil(int year, int month, int day);

// Inverse of DaysFromCivil.
void CivilFromDays(std::int64_t days, int& year, int& month, int& day);

// 0 = Sunday .. 6 = Saturday.
int Weekday(int year, int month, int day);

// 1..366.
int DayOfYear(int year, int month, int day);

bool IsLeapYear(int year);
int DaysInMonth(int year, int month);

// Seconds since 1970-01-01 00:00:00 of the same calendar (no zone applied).
std::int64_t ToEpochSeconds(const LocalDateTime& t);

// Milliseconds likewise, for arithmetic that keeps the sub-second part.
std::int64_t ToEpochMilliseconds(const LocalDateTime& t);
LocalDateTime FromEpochMilliseconds(std::int64_t ms);

// Whole seconds added (negative moves back), across days and years; the
// millisecond part is kept.
LocalDateTime AddSeconds(const LocalDateTime& t, std::int64_t seconds);

} // namespace DateMath
