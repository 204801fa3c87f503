#include "foundation/text/AttributeFormat.h"

#include "platform/core/Text.h"

namespace
{
bool CanGoBare(std::string_view value)
{
    if (value.empty() || value.front() == '"' || value.front() == '\'')
        return false;
    for (char c : value)
    {
        // White space as ParseAttributeList sees it.
        if (IsAsciiSpace(c))
            return false;
    }
    return true;
}
} // namespace

bool AppendAttributeText(std::string& line, std::string_view name, std::string_view value)
{
    if (value.find_first_of("\r\n") != std::string_view::npos)
        return false;
    std::string_view quote;
    if (value.find('"') == std::string_view::npos)
        quote = "\"";
    else if (value.find('\'') == std::string_view::npos)
        quote = "'";
    else if (!CanGoBare(value))
        return false;

    if (!line.empty())
        line += ' ';
    line += name;
    line += '=';
    line += quote;
    line += value;
    line += quote;
    return true;
}
