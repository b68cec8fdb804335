#pragma once

#include "app/LocalDateTime.h"

#include <cstdint>
#include <string>

// The number and date shapes the synchronisation texts and the log use.
namespace modNTP::Text {

// Nearest integer, halves to even.
std::int64_t RoundHalfEven(double value);

// "yyyy/mm/dd hh:nn:ss"
std::string DateTime(const LocalDateTime& t);

// "yyyy/m/d h:nn:ss": month, day and hour without padding.
std::string DateTimeShort(const LocalDateTime& t);

// "###0.0" (and "##0.0", which writes the same): one decimal, at least one
// integer digit, no grouping, halves away from zero. A value that rounds to
// zero is written "0.0", never "-0.0".
std::string OneDecimal(double value);

// ".000" for a value in 0..1: a point and three digits, no leading zero;
// 1 reads "1.000".
std::string Thousandths(double value);

// "####0": no padding, a minus sign when negative.
std::string Integer(std::int64_t value);

// "hh:mm:ss" of a non-negative number of seconds, hours modulo 24.
std::string ClockDuration(std::int64_t seconds);

} // namespace modNTP::Text
