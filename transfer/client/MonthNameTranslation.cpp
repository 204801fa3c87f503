#include "transfer/client/MonthNameTranslation.h"

namespace
{

struct MonthName
{
    std::string_view utf8;
    std::string_view cp1251;
    std::string_view english;
};

constexpr MonthName kMonthNames[] = {
    {"января", "\xFF\xED\xE2\xE0\xF0\xFF", "Jan"},
    {"февраля", "\xF4\xE5\xE2\xF0\xE0\xEB\xFF", "Feb"},
    {"марта", "\xEC\xE0\xF0\xF2\xE0", "Mar"},
    {"апреля", "\xE0\xEF\xF0\xE5\xEB\xFF", "Apr"},
    {"мая", "\xEC\xE0\xFF", "May"},
    {"июня", "\xE8\xFE\xED\xFF", "Jun"},
    {"июля", "\xE8\xFE\xEB\xFF", "Jul"},
    {"августа", "\xE0\xE2\xE3\xF3\xF1\xF2\xE0", "Aug"},
    {"сентября", "\xF1\xE5\xED\xF2\xFF\xE1\xF0\xFF", "Sep"},
    {"октября", "\xEE\xEA\xF2\xFF\xE1\xF0\xFF", "Oct"},
    {"ноября", "\xED\xEE\xFF\xE1\xF0\xFF", "Nov"},
    {"декабря", "\xE4\xE5\xEA\xE0\xE1\xF0\xFF", "Dec"},
};

constexpr std::string_view kYearMarks[] = {"г.", "\xE3."};

void ReplaceAll(std::string& text, std::string_view from, std::string_view to)
{
    size_t at = 0;
    while ((at = text.find(from, at)) != std::string::npos)
    {
        text.replace(at, from.size(), to);
        at += to.size();
    }
}

} // namespace

std::string TranslateMonthNames(std::string_view text)
{
    std::string result(text);
    for (const MonthName& month : kMonthNames)
    {
        if (result.find(month.utf8) == std::string::npos && result.find(month.cp1251) == std::string::npos)
            continue;
        ReplaceAll(result, month.utf8, month.english);
        ReplaceAll(result, month.cp1251, month.english);
        break;
    }
    for (std::string_view mark : kYearMarks)
        ReplaceAll(result, mark, std::string_view());
    return result;
}
