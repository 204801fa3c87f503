#pragma once
// Reading the date texts that servers write: month names of FTP listings,
// the expiry dates of cookies and HTTP dates; and the current time in UTC.

#include "platform/core/OleDateTime.h"

#include <string_view>

// The month number 1 to 12 of a month name, -1 when the name is not one.
// Three letters are compared without regard to case with the English names
// (Jan ... Dec), then with the French abbreviations some servers write (Fev,
// Avr, Mai); four letters with Mars, Juin, Juil, Aout and Sept. Names of any
// other length give -1.
int MonthFromName(std::string_view name);

// Reads a cookie date the tolerant way browsers do (RFC 6265, 5.1.1): the
// text is cut into tokens at the delimiter characters, and the first token
// that looks like a time (h:m:s), a day (1-2 digits), a month (a token that
// begins with an English month abbreviation) and a year (2-4 digits) fills
// each field, in whatever order they come; other tokens are ignored. So the
// forms of RFC 1123 ("Sun, 06 Nov 1994 08:49:37 GMT"), RFC 850 ("Sunday,
// 06-Nov-94 08:49:37 GMT") and asctime ("Sun Nov  6 08:49:37 1994") all
// read. Years 70-99 are 1970-1999, 0-69 are 2000-2069. False, with utc left
// alone, when a field is missing, out of range (day 1-31, year from 1601,
// hour 0-23, minute and second 0-59) or the day does not exist in that month.
// The result is UTC: the text's zone name, if any, is not looked at.
bool ParseCookieDate(std::string_view text, COleDateTime& utc);

// Reads an HTTP date (Last-Modified, Date, Expires) in the three forms HTTP
// requires recipients to accept: "Sun, 06 Nov 1994 08:49:37 GMT", "Sunday,
// 06-Nov-94 08:49:37 GMT" and asctime's "Sun Nov  6 08:49:37 1994"; the
// week-day name and the zone may be missing, white space may be doubled. A
// two-digit year is the nearest year with those digits that is not more
// than 50 years after currentYear (in 2026: "76" is 2076, "77" is 1977). False, with utc left alone, for any other text or an impossible
// date. The result is UTC.
bool ParseHttpDate(std::string_view text, int currentYear, COleDateTime& utc);

// Now, in UTC, from the system clock: daylight saving never shifts it.
COleDateTime GetCurrentTimeUtc();
