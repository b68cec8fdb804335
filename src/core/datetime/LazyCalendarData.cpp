#include "datetime/LazyCalendarData.h"

namespace {

// Stands in when the factory had nothing to give: every text is empty and
// every date lies outside the eras, as with data that lacks them.
class NoCalendarData final : public CalendarData {
public:
    EraYear Era(int, int, int) const override { return {}; }
    std::string MonthName(int, bool) const override { return {}; }
    std::string WeekdayName(int, bool) const override { return {}; }
    std::string DayPeriod(bool) const override { return {}; }
    std::string ShortDate(int, int, int) const override { return {}; }
    std::string LongDate(int, int, int) const override { return {}; }
    std::string LongTime(int, int, int) const override { return {}; }
};

} // namespace

const CalendarData& LazyCalendarData::Data() const {
    if (!built_) {
        built_ = make_ ? make_() : nullptr;
        if (!built_) {
            built_ = std::make_unique<NoCalendarData>();
        }
    }
    return *built_;
}

EraYear LazyCalendarData::Era(int year, int month, int day) const {
    return Data().Era(year, month, day);
}

std::string LazyCalendarData::MonthName(int month, bool abbreviated) const {
    return Data().MonthName(month, abbreviated);
}

std::string LazyCalendarData::WeekdayName(int weekday, bool abbreviated) const {
    return Data().WeekdayName(weekday, abbreviated);
}

std::string LazyCalendarData::DayPeriod(bool afternoon) const {
    return Data().DayPeriod(afternoon);
}

std::string LazyCalendarData::ShortDate(int year, int month, int day) const {
    return Data().ShortDate(year, month, day);
}

std::string LazyCalendarData::LongDate(int year, int month, int day) const {
    return Data().LongDate(year, month, day);
}

std::string LazyCalendarData::LongTime(int hour, int minute, int second) const {
    return Data().LongTime(hour, minute, second);
}
