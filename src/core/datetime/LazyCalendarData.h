#pragma once

#include "datetime/CalendarData.h"

#include <functional>
#include <memory>

// Calendar data made on its first question. The platform's tables (ICU's
// symbols, formats and eras) cost megabytes that are never given back, and a
// clock at rest needs none of them: only the tooltip, the options dialog, a
// date pattern or an assistive technology asks.
class LazyCalendarData final : public CalendarData {
public:
    using Factory = std::function<std::unique_ptr<CalendarData>()>;
    explicit LazyCalendarData(Factory make) : make_(std::move(make)) {}

    EraYear Era(int year, int month, int day) const override;
    std::string MonthName(int month, bool abbreviated) const override;
    std::string WeekdayName(int weekday, bool abbreviated) const override;
    std::string DayPeriod(bool afternoon) const override;
    std::string ShortDate(int year, int month, int day) const override;
    std::string LongDate(int year, int month, int day) const override;
    std::string LongTime(int hour, int minute, int second) const override;

private:
    const CalendarData& Data() const;

    Factory make_;
    mutable std::unique_ptr<CalendarData> built_;
};
