#include "transfer/http/ContentRange.h"

#include "foundation/text/Escaping.h"
#include "platform/core/Text.h"

#include <string>

bool ParseContentRange(std::string_view text, int64_t& first, int64_t& last, int64_t& total)
{
    constexpr std::string_view kPrefix = "bytes ";
    if (text.size() < kPrefix.size() + 4 || !StartsWithNoCase(text, kPrefix))
        return false;
    const std::string range = Trim(text.substr(kPrefix.size()));
    const size_t dash = range.find('-');
    if (dash == std::string::npos)
        return false;
    const size_t slash = range.find('/', dash);
    if (slash == std::string::npos)
        return false;
    const std::string firstText = Trim(std::string_view(range).substr(0, dash));
    const std::string lastText = Trim(std::string_view(range).substr(dash + 1, slash - dash - 1));
    const std::string totalText = Trim(std::string_view(range).substr(slash + 1));
    if (firstText.empty() || lastText.empty() || totalText.empty())
        return false;
    first = StrToInt64Safe(firstText);
    last = StrToInt64Safe(lastText);
    total = StrToInt64Safe(totalText);
    return true;
}
