#pragma once

#include "datetime/LocalDateTime.h"

#include <string>
#include <string_view>

class CalendarData;

namespace DatePattern {

// Renders `pattern` for the local time `t`, the way the tooltip and the
// options dialog's sample show DateFormat.
//
// Read left to right, the longest token at each position wins; letters match
// in either case. Tokens:
//   d dd ddd dddd ddddd dddddd   day, 2-digit day, locale weekday (abbr, full),
//                                locale short date, locale long date
//   m mm mmm mmmm                month, 2-digit month, locale month (abbr, full);
//                                m and mm are minutes when the last token was h/hh
//   yy yyyy y                    2-digit year, 4-digit year, day of year
//   w ww q                       weekday 1 = Sunday, week of year (Sunday first,
//                                week 1 holds 1 January), quarter
//   h hh n nn s ss               hour, minute, second (h is 12-hour when the
//                                pattern holds a designator)
//   AM/PM A/P (any case)         designator in the pattern's own letters
//   AMPM                         the locale's designator
//   ttttt c                      locale long time; short date and long time
//   aaa aaaa                     Japanese weekday 金, 金曜日
//   g gg ggg e ee                era letter, first character, name; era year,
//                                2-digit era year
// Text in double quotes and a character after a backslash are copied as they
// are; anything else (":" and "/" included) is copied unchanged. An empty
// pattern gives empty text.
std::string FormatDate(const LocalDateTime& t, std::string_view pattern, const CalendarData& cal);

} // namespace DatePattern
