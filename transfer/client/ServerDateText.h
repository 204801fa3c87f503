#pragma once
// Free-form date texts that servers write (HTTP "Last-Modified" and "Date",
// listing dates): the English forms of the date reader, Russian month names,
// and the "day.month.year hour:minute" form.

#include "platform/core/OleDateTime.h"

#include <string_view>

// Reads a date text. The text is trimmed (empty fails), one "GMT" removed
// and the text trimmed again. An HTTP date (ParseHttpDate, a two-digit year
// by HTTP's rule against the current year) reads first; otherwise Russian
// month names and year marks are translated (MonthNameTranslation.h) and the
// date reader of COleDateTime (English forms) reads it. When that fails,
// "%d.%d.%d %d:%d" must give five numbers read as day.month.year
// hour:minute, except that a second number above 12 with a first not above
// 12 makes the first the month; the result must be a valid date. The time is
// taken as written, without a zone conversion. On failure the date is made
// invalid.
bool ParseDateText(std::string_view text, COleDateTime& date);
