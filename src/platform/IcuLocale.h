#pragma once

#include <string>
#include <string_view>

// The ICU locale name for a POSIX locale name: the code set and modifier are
// dropped ("ja_JP.UTF-8" -> "ja_JP"), and the C locale is ICU's en_US_POSIX.
std::string IcuLocaleFromPosix(std::string_view posixName);

// The ICU locale for dates. `current` is LC_TIME as setlocale reports it; it
// is still "C" when the program never adopted the environment's locale (or
// when glibc lacks that locale, while ICU carries its own data), and then the
// environment decides in POSIX order: LC_ALL, LC_TIME, LANG. Null or empty
// variables are unset.
std::string IcuTimeLocale(std::string_view current, const char* lcAll, const char* lcTime,
                          const char* lang);
