#include "foundation/AttributeFormat.h"

namespace
{
// White space as ParseAttributeList sees it.
bool IsAttributeSpace(char c)
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

bool CanGoBare(std::string_view value)
{
    if (value.empty() || value.front() == '"' || value.front() == '\'')
        return false;
    for (char c : value)
    {
        if (IsAttributeSpace(c))
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
