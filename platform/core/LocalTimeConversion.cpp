#include "platform/core/LocalTimeConversion.h"

#include "platform/core/OleDateTime.h"

#include <array>
#include <cstdlib>
#include <string>

namespace
{

constexpr time_t kDay = 86400;
// How far a new span is followed each way, a day at a time.
constexpr int kSpanSearchDays = 90;
constexpr size_t kSpanCount = 16;

struct CZoneSpan
{
    // Instants at which the offset was seen; it holds in between.
    time_t m_from = 0;
    time_t m_to = -1;
    long m_offset = 0;
};

struct CZoneSpans
{
    bool m_known = false;
    bool m_hadZone = false;
    std::string m_zone;
    std::array<CZoneSpan, kSpanCount> m_spans{};
    size_t m_next = 0;
};

bool OffsetAt(time_t t, long& offset)
{
    tm parts{};
    if (!localtime_r(&t, &parts))
        return false;
    offset = parts.tm_gmtoff;
    return true;
}

// Forgets the spans when TZ is not what they were found under.
void MatchZone(CZoneSpans& spans)
{
    const char* zone = std::getenv("TZ");
    if (spans.m_known && spans.m_hadZone == (zone != nullptr) && (!zone || spans.m_zone == zone))
        return;
    spans = CZoneSpans{};
    spans.m_known = true;
    spans.m_hadZone = zone != nullptr;
    if (zone)
        spans.m_zone = zone;
}

// The span around t, whose offset is `offset`.
CZoneSpan FindSpan(time_t t, long offset)
{
    CZoneSpan span{t, t, offset};
    long seen = 0;
    for (int day = 0; day < kSpanSearchDays && OffsetAt(span.m_from - kDay, seen) && seen == offset; ++day)
        span.m_from -= kDay;
    for (int day = 0; day < kSpanSearchDays && OffsetAt(span.m_to + kDay, seen) && seen == offset; ++day)
        span.m_to += kDay;
    return span;
}

} // namespace

time_t LocalPartsToTimeT(int year, int month, int day, int hour, int minute, int second)
{
    thread_local CZoneSpans spans;
    MatchZone(spans);
    const time_t asUtc = static_cast<time_t>(
        DaysFromCivil(year, static_cast<unsigned>(month), static_cast<unsigned>(day)) * kDay + hour * 3600 +
        minute * 60 + second);
    // A day clear of both ends: offsets differ by less than a day, so no
    // other instant can show the same local time, and this one is mktime's.
    for (const CZoneSpan& span : spans.m_spans)
    {
        const time_t candidate = asUtc - span.m_offset;
        if (span.m_from + kDay <= candidate && candidate + kDay <= span.m_to)
            return candidate;
    }
    tm parts{};
    parts.tm_year = year - 1900;
    parts.tm_mon = month - 1;
    parts.tm_mday = day;
    parts.tm_hour = hour;
    parts.tm_min = minute;
    parts.tm_sec = second;
    parts.tm_isdst = -1; // let the tz database decide whether daylight saving applies
    const time_t t = mktime(&parts);
    long offset = 0;
    if (t == -1 || !OffsetAt(t, offset))
        return t;
    spans.m_spans[spans.m_next] = FindSpan(t, offset);
    spans.m_next = (spans.m_next + 1) % kSpanCount;
    return t;
}
