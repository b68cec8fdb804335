// Arbitrary text read as a number. Beyond not crashing: blanks never matter,
// text after the number never matters, the sign mirrors the value, and the
// integer is the real value's nearest neighbour, also after scaling.
#include "settings/NumberReader.h"

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

namespace {

// Names the broken invariant's line before stopping.
void Check(bool ok, int line = __builtin_LINE()) {
    if (!ok) {
        std::fprintf(stderr, "invariant at line %d broken\n", line);
        std::abort();
    }
}

bool Same(const NumberReader::Result& a, const NumberReader::Result& b) {
    const bool realSame = a.real == b.real || (std::isnan(a.real) && std::isnan(b.real));
    return realSame && a.inRange == b.inRange && (!a.inRange || a.integer == b.integer);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    const NumberReader::Result r = NumberReader::Read(text);

    Check(!std::isnan(r.real));
    if (r.inRange) {
        Check(std::isfinite(r.real));
        // The integer is decided on the decimal digits, the real rounded to a
        // double, so allow the double's own error.
        Check(std::fabs(static_cast<double>(r.integer) - r.real) <=
              0.5 + std::fabs(r.real) * 1e-15);
    } else {
        Check(std::fabs(r.real) >= 2147483647.5 - 1e-6);
    }

    // The options dialog's minutes and seconds: scaled before rounding.
    const NumberReader::Result minutes = NumberReader::Read(text, 60);
    Check(minutes.isNumber == r.isNumber);
    if (minutes.inRange) {
        const double seconds = r.real * 60.0;
        Check(std::fabs(static_cast<double>(minutes.integer) - seconds) <=
              0.5 + std::fabs(seconds) * 1e-15);
    }

    std::string noBlanks;
    for (char c : text) {
        if (c != ' ' && c != '\t' && c != '\r' && c != '\n') {
            noBlanks.push_back(c);
        }
    }
    Check(Same(NumberReader::Read(noBlanks), r));
    Check(NumberReader::Read(noBlanks).isNumber == r.isNumber);
    Check(Same(NumberReader::Read(text + "z"), r));

    if (!noBlanks.empty() && noBlanks[0] != '+' && noBlanks[0] != '-') {
        const NumberReader::Result negative = NumberReader::Read("-" + noBlanks);
        Check(negative.real == -r.real);
        if (r.inRange && r.integer != -2147483647 - 1 && negative.inRange) {
            Check(negative.integer == -r.integer);
        }
    }
    return 0;
}
