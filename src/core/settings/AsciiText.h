#pragma once

#include <cstddef>
#include <string>
#include <string_view>

// Case folding for names and tokens that are ASCII by definition. A
// locale-aware tolower could turn one byte of a multi-byte character into a
// letter, and names in the settings file must match the same way everywhere.
namespace AsciiText {

constexpr char Lower(char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

constexpr bool EqualNoCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) {
        return false;
    }
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (Lower(a[i]) != Lower(b[i])) {
            return false;
        }
    }
    return true;
}

inline std::string Lower(std::string_view s) {
    std::string out(s);
    for (char& c : out) {
        c = Lower(c);
    }
    return out;
}

// Whether text begins with token, which must already be lower case.
constexpr bool StartsWithNoCase(std::string_view text, std::string_view token) {
    return text.size() >= token.size() && EqualNoCase(text.substr(0, token.size()), token);
}

} // namespace AsciiText
