#include "SystemCalendar.h"

#include <algorithm>
#include <array>
#include <cwchar>
#include <memory>
#include <string_view>
#include <vector>
#include <windows.h>

namespace {

// Windows keeps the Japanese era table here, and its own calendar code reads
// it: one value a era, named by the era's first day ("1989 01 08") and
// holding its names ("平成_平_Heisei_H"). The calendar API gives the names but
// not the days the eras begin, and a new era arrives as an update of this key.
constexpr wchar_t kEraKey[] = L"SYSTEM\\CurrentControlSet\\Control\\Nls\\Calendars\\Japanese\\Eras";

std::string ToUtf8(std::wstring_view text) {
    if (text.empty()) {
        return {};
    }
    const int size = static_cast<int>(text.size());
    const int n = WideCharToMultiByte(CP_UTF8, 0, text.data(), size, nullptr, 0, nullptr, nullptr);
    std::string out(static_cast<std::size_t>(std::max(n, 0)), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.data(), size, out.data(), n, nullptr, nullptr);
    return out;
}

// A returned length counts the closing NUL; 0 is a failure.
std::string FromBuffer(const wchar_t* buffer, int length) {
    return length > 1 ? ToUtf8(std::wstring_view(buffer, static_cast<std::size_t>(length - 1)))
                      : std::string();
}

struct EraStart {
    int year = 0;
    int month = 0;
    int day = 0;
    std::string name;
    std::string letter;

    bool StartsAfter(int y, int m, int d) const {
        return std::array{year, month, day} > std::array{y, m, d};
    }
};

// "1989 01 08" and "平成_平_Heisei_H"; nothing for a value of another shape.
bool ParseEra(const wchar_t* valueName, std::wstring_view data, EraStart& era) {
    if (std::swscanf(valueName, L"%d %d %d", &era.year, &era.month, &era.day) != 3 ||
        era.month < 1 || era.month > 12 || era.day < 1 || era.day > 31) {
        return false;
    }
    std::vector<std::wstring_view> fields;
    for (std::size_t at = 0;;) {
        const std::size_t bar = data.find(L'_', at);
        fields.push_back(data.substr(at, bar == std::wstring_view::npos ? bar : bar - at));
        if (bar == std::wstring_view::npos) {
            break;
        }
        at = bar + 1;
    }
    if (fields.front().empty()) {
        return false;
    }
    era.name = ToUtf8(fields.front());
    era.letter = fields.size() >= 4 ? ToUtf8(fields[3]) : std::string();
    return true;
}

std::vector<EraStart> LoadEras() {
    std::vector<EraStart> eras;
    HKEY key = nullptr;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, kEraKey, 0, KEY_QUERY_VALUE, &key) != ERROR_SUCCESS) {
        return eras;
    }
    for (DWORD index = 0;; ++index) {
        wchar_t name[64];
        wchar_t data[128];
        DWORD nameLength = static_cast<DWORD>(std::size(name));
        DWORD dataBytes = sizeof data;
        DWORD type = 0;
        const LSTATUS status = RegEnumValueW(key, index, name, &nameLength, nullptr, &type,
                                             reinterpret_cast<BYTE*>(data), &dataBytes);
        if (status == ERROR_NO_MORE_ITEMS) {
            break;
        }
        if (status != ERROR_SUCCESS || type != REG_SZ) {
            continue;
        }
        std::wstring_view text(data, dataBytes / sizeof(wchar_t));
        text = text.substr(0, text.find(L'\0'));
        EraStart era;
        if (ParseEra(name, text, era)) {
            eras.push_back(std::move(era));
        }
    }
    RegCloseKey(key);
    std::sort(eras.begin(), eras.end(), [](const EraStart& a, const EraStart& b) {
        return b.StartsAfter(a.year, a.month, a.day);
    });
    return eras;
}

SYSTEMTIME DateOf(int year, int month, int day) {
    SYSTEMTIME st{};
    st.wYear = static_cast<WORD>(year);
    st.wMonth = static_cast<WORD>(month);
    st.wDay = static_cast<WORD>(day);
    return st;
}

class WinCalendarData final : public CalendarData {
public:
    // An empty locale name is the user's own.
    explicit WinCalendarData(std::wstring locale) : locale_(std::move(locale)) {
        for (CALTYPE i = 0; i < 12; ++i) {
            months_[i] = CalendarInfo(CAL_SMONTHNAME1 + i);
            shortMonths_[i] = CalendarInfo(CAL_SABBREVMONTHNAME1 + i);
        }
        // The calendar's week starts on Monday (CAL_SDAYNAME1), ours on Sunday.
        for (CALTYPE i = 0; i < 7; ++i) {
            weekdays_[(i + 1) % 7] = CalendarInfo(CAL_SDAYNAME1 + i);
            shortWeekdays_[(i + 1) % 7] = CalendarInfo(CAL_SABBREVDAYNAME1 + i);
        }
        dayPeriods_[0] = LocaleInfo(LOCALE_S1159);
        dayPeriods_[1] = LocaleInfo(LOCALE_S2359);
        eras_ = LoadEras();
    }

    EraYear Era(int year, int month, int day) const override {
        EraYear out;
        const auto after = std::find_if(eras_.begin(), eras_.end(), [&](const EraStart& era) {
            return era.StartsAfter(year, month, day);
        });
        if (after == eras_.begin()) {
            return out;
        }
        const EraStart& era = *std::prev(after);
        out.valid = true;
        out.name = era.name;
        out.letter = era.letter;
        out.year = year - era.year + 1;
        return out;
    }

    std::string MonthName(int month, bool abbreviated) const override {
        if (month < 1 || month > 12) {
            return {};
        }
        return (abbreviated ? shortMonths_ : months_)[static_cast<std::size_t>(month - 1)];
    }

    std::string WeekdayName(int weekday, bool abbreviated) const override {
        if (weekday < 0 || weekday > 6) {
            return {};
        }
        return (abbreviated ? shortWeekdays_ : weekdays_)[static_cast<std::size_t>(weekday)];
    }

    std::string DayPeriod(bool afternoon) const override { return dayPeriods_[afternoon ? 1 : 0]; }

    std::string ShortDate(int year, int month, int day) const override {
        return DateText(DATE_SHORTDATE, year, month, day);
    }

    std::string LongDate(int year, int month, int day) const override {
        return DateText(DATE_LONGDATE, year, month, day);
    }

    std::string LongTime(int hour, int minute, int second) const override {
        SYSTEMTIME st = DateOf(2000, 1, 1);
        st.wHour = static_cast<WORD>(hour);
        st.wMinute = static_cast<WORD>(minute);
        st.wSecond = static_cast<WORD>(second);
        wchar_t buffer[128];
        return FromBuffer(buffer, GetTimeFormatEx(Locale(), 0, &st, nullptr, buffer,
                                                  static_cast<int>(std::size(buffer))));
    }

private:
    const wchar_t* Locale() const {
        return locale_.empty() ? LOCALE_NAME_USER_DEFAULT : locale_.c_str();
    }

    std::string CalendarInfo(CALTYPE type) const {
        wchar_t buffer[128];
        return FromBuffer(buffer, GetCalendarInfoEx(Locale(), CAL_GREGORIAN, nullptr, type, buffer,
                                                    static_cast<int>(std::size(buffer)), nullptr));
    }

    std::string LocaleInfo(LCTYPE type) const {
        wchar_t buffer[128];
        return FromBuffer(
            buffer, GetLocaleInfoEx(Locale(), type, buffer, static_cast<int>(std::size(buffer))));
    }

    // Windows formats dates from 1601 on; earlier ones give an empty text.
    std::string DateText(DWORD flags, int year, int month, int day) const {
        const SYSTEMTIME st = DateOf(year, month, day);
        wchar_t buffer[256];
        return FromBuffer(buffer, GetDateFormatEx(Locale(), flags, &st, nullptr, buffer,
                                                  static_cast<int>(std::size(buffer)), nullptr));
    }

    std::wstring locale_;
    std::array<std::string, 12> months_;
    std::array<std::string, 12> shortMonths_;
    std::array<std::string, 7> weekdays_;
    std::array<std::string, 7> shortWeekdays_;
    std::array<std::string, 2> dayPeriods_;
    std::vector<EraStart> eras_;
};

} // namespace

std::unique_ptr<CalendarData> MakeSystemCalendarData() {
    return std::make_unique<WinCalendarData>(std::wstring());
}

std::unique_ptr<CalendarData> MakeCalendarData(const std::string& localeName) {
    // Windows spells locales "ja-JP"; the POSIX spelling "ja_JP.UTF-8" is
    // taken too, so callers need not know which system they run on.
    const std::string base = localeName.substr(0, localeName.find_first_of(".@"));
    std::wstring name(base.begin(), base.end());
    std::replace(name.begin(), name.end(), L'_', L'-');
    return std::make_unique<WinCalendarData>(std::move(name));
}
