#pragma once
// Local calendar time to seconds since the epoch, as mktime with
// tm_isdst = -1 gives it, without mktime's cost on every call: mktime takes
// the C library's time-zone lock and looks at /etc/localtime again each
// time, which a transfer pays for every file it dates.
//
// Each thread keeps a few spans of time over which the zone's offset from
// UTC stays the same (found with localtime_r, which reads the zone once).
// A local time whose instant lies well inside a known span is the calendar
// time read as UTC minus that offset. Anything else (a new span, a time
// within a day of a change of offset, where a local time can be missing or
// occur twice) goes to mktime, so the answer is always mktime's. The spans
// are kept per value of TZ, and forgotten when it changes. They rest on one
// assumption: no zone changes its offset and back within a day.

#include <ctime>

// year, month 1-12, day 1-31, hour, minute, second as local time; -1 where
// mktime gives -1.
time_t LocalPartsToTimeT(int year, int month, int day, int hour, int minute, int second);
