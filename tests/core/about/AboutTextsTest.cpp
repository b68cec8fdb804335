#include "about/AboutTexts.h"
#include "RowName.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <limits>
#include <string>

namespace {

struct OffsetRow {
    const char* name;
    float hours;
    std::string text;
};
class UTCOffsetRows : public testing::TestWithParam<OffsetRow> {};

TEST_P(UTCOffsetRows, ShowsTheSignAndOnlyTheDigitsNeeded) {
    EXPECT_EQ(AboutTexts::UTCOffsetText(GetParam().hours), GetParam().text);
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(Rows, UTCOffsetRows, testing::Values(
    OffsetRow{"Zero", 0.0f, "タイムゾーン: UTC (世界協定時)"},
    OffsetRow{"NegativeZero", -0.0f, "タイムゾーン: UTC (世界協定時)"},
    OffsetRow{"WholeEast", 9.0f, "タイムゾーン: UTC+9"},
    OffsetRow{"WholeWest", -5.0f, "タイムゾーン: UTC-5"},
    OffsetRow{"Quarters", 5.75f, "タイムゾーン: UTC+5.75"},
    OffsetRow{"HalfWest", -3.5f, "タイムゾーン: UTC-3.5"},
    OffsetRow{"BelowOneEast", 0.5f, "タイムゾーン: UTC+.5"},
    OffsetRow{"BelowOneWest", -0.5f, "タイムゾーン: UTC-.5"},
    OffsetRow{"NotExactInBinary", 5.1f, "タイムゾーン: UTC+5.1"},
    OffsetRow{"NoNumberCountsAsZero", std::numeric_limits<float>::quiet_NaN(), "タイムゾーン: UTC (世界協定時)"}
), RowName());
// clang-format on

TEST(ShortDecimal, ReadsBackAsTheSameFloatWithoutAnExponent) {
    for (const float value :
         {0.1f, 1.0f / 3.0f, 1e-7f, -2.5e-3f, 123456.78f, 3e20f, std::numeric_limits<float>::max(),
          std::numeric_limits<float>::denorm_min()}) {
        const std::string text = AboutTexts::ShortDecimal(value);
        EXPECT_EQ(text.find_first_of("eE"), std::string::npos) << text;
        EXPECT_EQ(std::strtof(text.c_str(), nullptr), value) << text;
    }
}

struct VersionRow {
    const char* name;
    int major, minor, revision;
    std::string text;
};
class VersionRows : public testing::TestWithParam<VersionRow> {};

TEST_P(VersionRows, PadsMinorAndRevision) {
    const VersionRow& row = GetParam();
    EXPECT_EQ(AboutTexts::VersionText(row.major, row.minor, row.revision), row.text);
}

INSTANTIATE_TEST_SUITE_P(Rows, VersionRows,
                         testing::Values(VersionRow{"Released", 1, 12, 109, "バージョン 1.12.0109"},
                                         VersionRow{"Long", 10, 123, 12345,
                                                    "バージョン 10.123.12345"}),
                         RowName());

} // namespace
