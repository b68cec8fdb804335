#include "settings/NumberReader.h"

#include <charconv>
#include <cmath>
#include <cstddef>
#include <limits>
#include <string>
#include <system_error>

namespace NumberReader {

namespace {

bool IsBlank(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}
bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

// Walks the text while stepping over blanks, so every rule below can look at
// "the next character" without caring where the blanks were.
class Cursor {
public:
    explicit Cursor(std::string_view text) : text_(text) { SkipBlanks(); }

    bool AtEnd() const { return pos_ >= text_.size(); }
    char Peek() const { return AtEnd() ? '\0' : text_[pos_]; }
    void Next() {
        ++pos_;
        SkipBlanks();
    }

private:
    void SkipBlanks() {
        while (pos_ < text_.size() && IsBlank(text_[pos_])) {
            ++pos_;
        }
    }

    std::string_view text_;
    std::size_t pos_ = 0;
};

// Beyond these the value is certainly infinite or zero as a double, so the
// exponent only has to be tracked this far and cannot overflow.
constexpr std::int64_t kExponentLimit = 1'000'000'000;
// Enough significant digits to round any decimal correctly to a double (the
// worst case needs 768), plus a sticky digit for what was dropped.
constexpr std::size_t kMaxDigits = 800;

// value = 0.<digits> * 10^exponent, digits without leading or trailing zeros.
double ToDouble(const std::string& digits, std::int64_t exponent, bool negative) {
    if (digits.empty() || exponent < -400) {
        return 0.0;
    }
    if (exponent > 400) {
        return negative ? -std::numeric_limits<double>::infinity()
                        : std::numeric_limits<double>::infinity();
    }
    std::string text = "0.";
    if (digits.size() > kMaxDigits) {
        text.append(digits, 0, kMaxDigits);
        text.push_back('1'); // digits were dropped; none of them were zero at the end
    } else {
        text.append(digits);
    }
    text.push_back('e');
    text.append(std::to_string(exponent));

    double value = 0.0;
    const auto [ptr, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    (void)ptr;
    if (ec == std::errc::result_out_of_range) {
        value = exponent > 0 ? std::numeric_limits<double>::infinity() : 0.0;
    } else if (ec != std::errc()) {
        value = 0.0;
    }
    if (value == 0.0) {
        return 0.0; // no negative zero: "-0" reads as plain 0
    }
    return negative ? -value : value;
}

// Nearest integer of 0.<digits> * 10^exponent, halves to even, decided on the
// decimal digits so that no double rounding creeps in.
void ToInteger(const std::string& digits, std::int64_t exponent, bool negative, Result& result) {
    if (digits.empty()) {
        return;
    }
    // 10 digits before the point already reach 1'000'000'000; 11 cannot fit.
    if (exponent > 10) {
        result.inRange = false;
        return;
    }
    std::int64_t whole = 0;
    for (std::int64_t i = 0; i < exponent; ++i) {
        const auto at = static_cast<std::size_t>(i);
        whole = whole * 10 + (at < digits.size() ? digits[at] - '0' : 0);
    }
    const std::int64_t firstFraction = exponent < 0 ? -1 : exponent;
    int roundingDigit = 0;
    bool moreAfter = false;
    if (firstFraction >= 0 && static_cast<std::size_t>(firstFraction) < digits.size()) {
        const auto at = static_cast<std::size_t>(firstFraction);
        roundingDigit = digits[at] - '0';
        // Trailing zeros were removed, so any further digit is non-zero.
        moreAfter = at + 1 < digits.size();
    }
    if (roundingDigit > 5 || (roundingDigit == 5 && (moreAfter || whole % 2 != 0))) {
        ++whole;
    }
    if (negative) {
        whole = -whole;
    }
    if (whole < std::numeric_limits<std::int32_t>::min() ||
        whole > std::numeric_limits<std::int32_t>::max()) {
        result.inRange = false;
        return;
    }
    result.integer = static_cast<std::int32_t>(whole);
}

// 0.<digits> * 10^exponent times factor, in the same form, digit by digit.
void Scale(std::string& digits, std::int64_t& exponent, std::uint32_t factor) {
    if (factor == 1 || digits.empty()) {
        return;
    }
    std::uint64_t carry = 0;
    for (std::size_t i = digits.size(); i-- > 0;) {
        const std::uint64_t v = static_cast<std::uint64_t>(digits[i] - '0') * factor + carry;
        digits[i] = static_cast<char>('0' + v % 10);
        carry = v / 10;
    }
    std::string head;
    for (; carry != 0; carry /= 10) {
        head.insert(head.begin(), static_cast<char>('0' + carry % 10));
    }
    exponent += static_cast<std::int64_t>(head.size());
    digits.insert(0, head);
    while (!digits.empty() && digits.back() == '0') {
        digits.pop_back();
    }
}

} // namespace

Result Read(std::string_view text, std::uint32_t scale) {
    Cursor in(text);
    bool negative = false;
    if (in.Peek() == '+' || in.Peek() == '-') {
        negative = in.Peek() == '-';
        in.Next();
    }

    std::string digits; // significant digits, leading zeros left out
    std::int64_t exponent = 0;
    bool sawDigit = false;
    while (IsDigit(in.Peek())) {
        sawDigit = true;
        if (!digits.empty() || in.Peek() != '0') {
            digits.push_back(in.Peek());
            if (exponent < kExponentLimit) {
                ++exponent;
            }
        }
        in.Next();
    }
    if (in.Peek() == '.') {
        in.Next();
        while (IsDigit(in.Peek())) {
            sawDigit = true;
            if (!digits.empty() || in.Peek() != '0') {
                digits.push_back(in.Peek());
            } else if (exponent > -kExponentLimit) {
                --exponent; // a zero straight after the point moves the first digit right
            }
            in.Next();
        }
    }
    Result result;
    if (!sawDigit) {
        return result;
    }
    result.isNumber = true;

    if (in.Peek() == 'e' || in.Peek() == 'E') {
        in.Next();
        bool negativeExponent = false;
        if (in.Peek() == '+' || in.Peek() == '-') {
            negativeExponent = in.Peek() == '-';
            in.Next();
        }
        if (IsDigit(in.Peek())) {
            std::int64_t value = 0;
            while (IsDigit(in.Peek())) {
                if (value < kExponentLimit) {
                    value = value * 10 + (in.Peek() - '0');
                }
                in.Next();
            }
            exponent += negativeExponent ? -value : value;
        }
    }

    while (!digits.empty() && digits.back() == '0') {
        digits.pop_back();
    }
    Scale(digits, exponent, scale);
    result.real = ToDouble(digits, exponent, negative);
    ToInteger(digits, exponent, negative, result);
    return result;
}

} // namespace NumberReader
