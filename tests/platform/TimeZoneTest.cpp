#include "TimeZone.h"
#include "RowName.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <optional>
#include <ostream>
#include <string>

namespace {

// Sets TZ for one test and puts the old value back.
class ScopedTZ {
public:
    explicit ScopedTZ(const char* zone) {
        if (const char* old = std::getenv("TZ")) {
            old_ = old;
        }
        ::setenv("TZ", zone, 1);
    }
    ~ScopedTZ() {
        if (old_) {
            ::setenv("TZ", old_->c_str(), 1);
        } else {
            ::unsetenv("TZ");
        }
    }
    ScopedTZ(const ScopedTZ&) = delete;
    ScopedTZ& operator=(const ScopedTZ&) = delete;

private:
    std::optional<std::string> old_;
};

struct ZoneCase {
    const char* name;
    const char* tz;
    float hours;
};

class SystemUTCOffsetTest : public ::testing::TestWithParam<ZoneCase> {};

TEST_P(SystemUTCOffsetTest, IsTheStandardOffset) {
    const ScopedTZ tz(GetParam().tz);
    EXPECT_FLOAT_EQ(ReadSystemUTCOffset(), GetParam().hours);
}

// The zones with daylight saving give their standard offset whatever the
// date the test runs on.
INSTANTIATE_TEST_SUITE_P(
    Zones, SystemUTCOffsetTest,
    ::testing::Values(ZoneCase{"Tokyo", "Asia/Tokyo", 9.0f},
                      ZoneCase{"BerlinWithoutSummerTime", "Europe/Berlin", 1.0f},
                      ZoneCase{"KolkataHalfHour", "Asia/Kolkata", 5.5f},
                      ZoneCase{"StJohnsNegativeHalfHour", "America/St_Johns", -3.5f},
                      ZoneCase{"KathmanduQuarterHour", "Asia/Kathmandu", 5.75f},
                      ZoneCase{"Utc", "UTC", 0.0f},
                      ZoneCase{"ZoneFilePath", "/usr/share/zoneinfo/Asia/Kolkata", 5.5f},
                      ZoneCase{"DublinWinterIsNotTheStandard", "Europe/Dublin", 0.0f},
                      ZoneCase{"RuleStringWithSummerTime", "CET-1CEST,M3.5.0,M10.5.0/3", 1.0f},
                      ZoneCase{"RuleStringHalfHour", "IST-5:30", 5.5f},
                      ZoneCase{"RuleStringWestOfUtc", "<-0330>3:30", -3.5f},
                      ZoneCase{"EmptyIsUtc", "", 0.0f}),
    RowName());

} // namespace
