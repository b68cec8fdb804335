#include "RowName.h"
#include "TimeZone.h"
#include "Win32Conversions.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

struct Row {
    const char* name;
    LONG bias;
    LONG standardBias;
    LONG daylightBias;
    float hours;
};

class StandardOffsetRows : public testing::TestWithParam<Row> {};

TEST_P(StandardOffsetRows, IgnoresDaylightSaving) {
    TIME_ZONE_INFORMATION zone{};
    zone.Bias = GetParam().bias;
    zone.StandardBias = GetParam().standardBias;
    zone.DaylightBias = GetParam().daylightBias;
    EXPECT_FLOAT_EQ(StandardOffsetHours(zone), GetParam().hours);
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(Zones, StandardOffsetRows, testing::Values(
    Row{"Tokyo", -540, 0, 0, 9.0f},
    Row{"Kolkata", -330, 0, 0, 5.5f},
    Row{"BerlinInSummerToo", -60, 0, -60, 1.0f},
    Row{"Newfoundland", 210, 0, -60, -3.5f},
    Row{"StandardBiasCounts", -60, -60, 0, 2.0f}
), RowName());
// clang-format on

TEST(TimeZoneWin, SystemOffsetIsAWholeQuarterHour) {
    const float hours = ReadSystemUTCOffset();
    EXPECT_GE(hours, -12.0f);
    EXPECT_LE(hours, 14.0f);
    EXPECT_FLOAT_EQ(std::round(hours * 4.0f) / 4.0f, hours);
}

} // namespace
