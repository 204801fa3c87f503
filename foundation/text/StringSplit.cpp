#include "foundation/text/StringSplit.h"

#include "foundation/text/StringVisitors.h"
#include "platform/core/Text.h"

void SplitString(std::string_view text, std::vector<std::string>& array, char separator, bool trim)
{
    CStringArrayVisitor visitor(array, trim);
    SplitStringInto(text, visitor, separator);
}

void SplitStringInto(std::string_view text, CAbstractVisitor& visitor, char separator)
{
    if (separator == '\0')
        return;
    SplitByString(text, visitor, std::string_view(&separator, 1));
}

void SplitByString(std::string_view text, CAbstractVisitor& visitor, std::string_view separator)
{
    if (text.empty() || separator.empty())
        return;
    size_t start = 0;
    for (;;)
    {
        const size_t pos = text.find(separator, start);
        if (pos == std::string_view::npos)
        {
            if (start < text.size())
                visitor.Add(text.substr(start));
            return;
        }
        if (!visitor.Add(text.substr(start, pos - start)))
            return;
        start = pos + separator.size();
    }
}

std::string_view FindFirstWord(std::string_view text)
{
    size_t start = 0;
    while (start < text.size() && IsAsciiSpace(text[start]))
        ++start;
    size_t end = start;
    while (end < text.size() && !IsAsciiSpace(text[end]))
        ++end;
    return text.substr(start, end - start);
}

std::string GetFirstWord(std::string_view text)
{
    return std::string(FindFirstWord(text));
}
