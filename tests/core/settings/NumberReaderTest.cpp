#include "settings/NumberReader.h"
#include "RowName.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <limits>
#include <string>

namespace {

// Rows are reported by their names rather than their index.

struct Row {
    const char* name;
    std::string text;
    double real;
    std::int32_t integer;
    bool inRange = true;
    std::uint32_t scale = 1;
};

class NumberReaderRows : public testing::TestWithParam<Row> {};

TEST_P(NumberReaderRows, ReadsRealAndNearestInteger) {
    const Row& row = GetParam();
    const NumberReader::Result r = NumberReader::Read(row.text, row.scale);
    if (std::isinf(row.real)) {
        EXPECT_EQ(r.real, row.real);
    } else {
        EXPECT_DOUBLE_EQ(r.real, row.real);
    }
    EXPECT_EQ(r.inRange, row.inRange);
    if (row.inRange) {
        EXPECT_EQ(r.integer, row.integer);
    }
}

const double kInf = std::numeric_limits<double>::infinity();

// clang-format off
INSTANTIATE_TEST_SUITE_P(Syntax, NumberReaderRows, testing::Values(
    Row{"Empty", "", 0, 0},
    Row{"NoNumber", "abc", 0, 0},
    Row{"PlainInteger", "750", 750, 750},
    Row{"TrailingText", "750ms", 750, 750},
    Row{"LeadingBlanks", "  \t42", 42, 42},
    Row{"BlanksBetweenDigits", "1 2\t3", 123, 123},
    Row{"BlankAfterSign", "- 5", -5, -5},
    Row{"DoubleSign", "--5", 0, 0},
    Row{"LeadingPoint", ".5", 0.5, 0},
    Row{"TrailingPoint", "5.", 5, 5},
    Row{"SecondPointStops", "1.2.3", 1.2, 1},
    Row{"Exponent", "1e3", 1000, 1000},
    Row{"NegativeExponent", "15e-1", 1.5, 2},
    Row{"ExponentWithoutDigits", "1e", 1, 1},
    Row{"ExponentSignWithoutDigits", "1e+", 1, 1},
    Row{"ExponentWithoutMantissa", "e5", 0, 0},
    Row{"ExponentStopsAtPoint", "1e2.5", 100, 100},
    Row{"BlanksInExponent", "1 e - 2", 0.01, 0},
    Row{"NegativeZero", "-0", 0, 0},
    Row{"LeadingZeros", "000123.4500", 123.45, 123}
), RowName());

INSTANTIATE_TEST_SUITE_P(HalvesToEven, NumberReaderRows, testing::Values(
    Row{"Half", "0.5", 0.5, 0},
    Row{"OneAndHalf", "1.5", 1.5, 2},
    Row{"TwoAndHalf", "2.5", 2.5, 2},
    Row{"NegativeHalf", "-2.5", -2.5, -2},
    Row{"BlinkDelayDown", "750.5", 750.5, 750},
    Row{"BlinkDelayUp", "751.5", 751.5, 752},
    Row{"JustAboveHalfRoundsUp", "750.5000000000000000001", 750.5, 751},
    Row{"JustBelowHalfRoundsDown", "750.4999999999999999999", 750.5, 750}
), RowName());

INSTANTIATE_TEST_SUITE_P(Range, NumberReaderRows, testing::Values(
    Row{"MaxInt", "2147483647", 2147483647.0, 2147483647},
    Row{"MinInt", "-2147483648", -2147483648.0, -2147483647 - 1},
    Row{"AboveMaxInt", "2147483648", 2147483648.0, 0, false},
    Row{"BelowMinInt", "-2147483649", -2147483649.0, 0, false},
    Row{"HalfAboveMaxRoundsOut", "2147483647.5", 2147483647.5, 0, false},
    Row{"HalfBelowMinStaysIn", "-2147483648.5", -2147483648.5, -2147483647 - 1},
    Row{"ElevenDigits", "10000000000", 1e10, 0, false},
    Row{"HugeExponent", "1e999999", kInf, 0, false},
    Row{"HugeNegativeExponent", "1e-999999", 0, 0},
    Row{"ExponentBeyondInt64", "1e99999999999999999999999", kInf, 0, false},
    Row{"ZerosThenExponent", "0.000000000000000001e18", 1, 1}
), RowName());
// clang-format on

// The options dialog's minutes and seconds: scaled before rounding.
// clang-format off
INSTANTIATE_TEST_SUITE_P(Scaled, NumberReaderRows, testing::Values(
    Row{"MinutesToSeconds", "-1.5", -90, -90, true, 60},
    Row{"TieAfterScaling", "0.0025", 2.5, 2, true, 1000},
    Row{"TieBrokenFarBehind", "0.0025000000000000000001", 2.5, 3, true, 1000},
    Row{"CarryGrowsTheNumber", "99.99", 5999.4, 5999, true, 60},
    Row{"LargestHours", "35791394", 2147483640.0, 2147483640, true, 60},
    Row{"ScaledOutOfRange", "35791394.2", 2147483652.0, 0, false, 60},
    Row{"HugeScaled", "1E20", 1e23, 0, false, 1000}
), RowName());
// clang-format on

TEST(NumberReader, ThousandsOfDigitsStayExact) {
    const std::string longInteger = "1" + std::string(5000, '0');
    EXPECT_EQ(NumberReader::Read(longInteger).real, kInf);
    EXPECT_FALSE(NumberReader::Read(longInteger).inRange);

    // 5000 zeros after the point, then the digits that matter.
    const std::string tiny = "0." + std::string(5000, '0') + "1e5003";
    EXPECT_DOUBLE_EQ(NumberReader::Read(tiny).real, 100.0);
    EXPECT_EQ(NumberReader::Read(tiny).integer, 100);

    // A tie decided by a digit thousands of places after the point.
    const std::string tieBroken = "2.5" + std::string(3000, '0') + "1";
    EXPECT_EQ(NumberReader::Read(tieBroken).integer, 3);
    const std::string tieKept = "2.5" + std::string(3000, '0');
    EXPECT_EQ(NumberReader::Read(tieKept).integer, 2);
}

} // namespace
