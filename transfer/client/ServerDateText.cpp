#include "transfer/client/ServerDateText.h"

#include "foundation/text/DateText.h"
#include "platform/core/Text.h"
#include "transfer/client/MonthNameTranslation.h"
#include "transfer/ftp/ScanFormat.h"

#include <string>
#include <utility>

namespace
{

// "%d.%d.%d %d:%d": day.month.year hour:minute, the first two swapped when
// only the second can be a day.
bool ParseDottedDate(std::string_view text, COleDateTime& date)
{
    int day = 0;
    int month = 0;
    int year = 0;
    int hour = 0;
    int minute = 0;
    if (ScanFormat(text, "%d.%d.%d %d:%d", {&day, &month, &year, &hour, &minute}) != 5)
        return false;
    if (month > 12 && day <= 12)
        std::swap(day, month);
    return date.SetDateTime(year, month, day, hour, minute, 0);
}

} // namespace

bool ParseDateText(std::string_view text, COleDateTime& date)
{
    date = COleDateTime();
    date.m_status = COleDateTime::invalid;
    std::string trimmed = Trim(text);
    if (trimmed.empty())
        return false;
    const size_t zone = trimmed.find("GMT");
    if (zone != std::string::npos)
    {
        trimmed.erase(zone, 3);
        trimmed = Trim(trimmed);
    }
    if (ParseHttpDate(trimmed, GetCurrentTimeUtc().GetYear(), date))
        return true;
    const std::string english = TranslateMonthNames(trimmed);
    if (date.ParseDateTime(english))
        return true;
    return ParseDottedDate(english, date);
}
