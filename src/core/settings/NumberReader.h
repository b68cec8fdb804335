#pragma once

#include <cstdint>
#include <string_view>

// Reading a number the way the settings file and the options dialog's text
// fields are read: from the start of the text, as far as it looks like a
// number, with blanks allowed anywhere ("1 000" is 1000).
namespace NumberReader {

struct Result {
    // The number read, or 0 when the text does not start with one. A number
    // too large for a double is +/-infinity; one too small is 0.
    double real = 0.0;
    // The number taken to the nearest integer, a half going to the even
    // neighbour. Decided on the decimal digits themselves, so 0.5000000001
    // rounds up even though its double is 0.5. Only meaningful when inRange.
    std::int32_t integer = 0;
    // False when that nearest integer does not fit in 32 signed bits; the
    // caller decides what such a value means instead of seeing it wrapped.
    bool inRange = true;
    // False when the text does not start with a number (only then is a 0
    // read from nothing).
    bool isNumber = false;
};

// Blanks (space, tab, CR, LF) are skipped wherever they occur; then an
// optional sign, digits with an optional decimal point ("5.", ".5"), and an
// optional exponent ("e" or "E", optional sign, digits). Reading stops at
// the first character that does not fit; an incomplete exponent ("1e",
// "1e+") is ignored. Linear in the length of the text.
//
// scale multiplies the decimal number before it is rounded, exactly, so a
// field shown in minutes or seconds stores what was typed in seconds or
// milliseconds: Read("2.5", 1000) is 2500, not 2 times 1000.
Result Read(std::string_view text, std::uint32_t scale = 1);

} // namespace NumberReader
