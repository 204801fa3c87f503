#pragma once
// The texts that show numbers to the user: sizes, speeds, durations, counts,
// percentages and dates in the views, reports and logs. Every such text in
// the program comes from here, so their look is fixed in one place. The texts
// are the same whatever locale the C library was set to ('.' as the decimal
// point, English date order).

#include <cstdint>
#include <string>
#include <string_view>

class COleDateTime;

// Loads string resource id and formats the arguments into it by printf rules
// ("%I64d" understood), keeping at most kMaxResourceStringLength bytes (never
// cutting a UTF-8 character). Empty when the resource cannot be loaded. The
// arguments are C values: pass texts as const char*.
inline constexpr size_t kMaxResourceStringLength = 512;
std::string FormatResourceString(unsigned id, ...);

// "1 Byte", "998 Bytes", "0.98 KB", "1.00 MB", ... "TB", "INF"; each unit is
// taken from 999 of the one below on. Empty for n < 0.
std::string FormatSize(int64_t n);

// "99 B/s", "0.10 KB/s", ... "TB/s", "INF"; each unit from 100 of the one
// below on. fallback for n < 0.
std::string FormatSpeed(int64_t n, std::string_view fallback);

// Style 1: FormatSize. Style 2: "1.00 KB (1024 Bytes)" above 998, else
// "998 Bytes". Style 3: as 2 with the number in brackets grouped by ','.
// Style 4: the number grouped by ','. Other styles: the plain number.
// fallback for n < 0.
std::string FormatSizeWithBytes(int64_t n, int style, std::string_view fallback);

// "h:mm:ss", hours not wrapped (90000 gives "25:00:00"); fallback for s < 0.
std::string FormatDuration(int64_t seconds, std::string_view fallback);

// The decimal number with separator (when not 0) before every group of three
// digits that has digits to its left: 1234567 and ',' give "1,234,567".
std::string FormatCount(int32_t n, char separator);
std::string FormatCount64(int64_t n, char separator);

// part * 100 / whole as "12.50 %"; 0 of 0 is "100.00 %". fallback when whole
// is not above 0 (other than 0 of 0), when part is above whole, or when the
// value is negative.
std::string FormatPercent(int64_t part, int64_t whole, std::string_view fallback);

// "%m/%d/%Y %H:%M:%S"; fallback for an invalid date or the zero date.
std::string FormatDateTime(const COleDateTime& date, std::string_view fallback);
