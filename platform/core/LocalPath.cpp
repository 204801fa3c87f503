#include "platform/core/LocalPath.h"

#include "platform/core/Text.h"
#include "platform/core/XdgFolders.h"

namespace
{
// %XX escapes decoded; a '%' not followed by two hex digits stays as it is.
std::string DecodePercent(std::string_view text)
{
    std::string out;
    out.reserve(text.size());
    for (size_t i = 0; i < text.size(); ++i)
    {
        if (text[i] == '%' && i + 2 < text.size())
        {
            const int high = HexDigitValue(text[i + 1]);
            const int low = HexDigitValue(text[i + 2]);
            if (high >= 0 && low >= 0)
            {
                out.push_back(static_cast<char>(high * 16 + low));
                i += 2;
                continue;
            }
        }
        out.push_back(text[i]);
    }
    return out;
}
} // namespace

bool ToFileSystemPath(std::string_view text, std::string& path)
{
    path.clear();
    std::string result;
    if (text.starts_with('/'))
    {
        result = std::string(text);
    }
    else if (text == "~" || text.starts_with("~/"))
    {
        const std::string home = GetHomeFolder();
        if (home.empty())
            return false;
        result = home + std::string(text.substr(1));
    }
    else if (text.starts_with("file:"))
    {
        std::string_view rest = text.substr(5);
        if (rest.starts_with("//"))
        {
            rest.remove_prefix(2);
            const size_t slash = rest.find('/');
            const std::string_view host = rest.substr(0, slash);
            if (!host.empty() && !EqualsNoCase(host, "localhost"))
                return false;
            if (slash == std::string_view::npos)
                return false;
            rest.remove_prefix(slash);
        }
        if (!rest.starts_with('/'))
            return false;
        result = DecodePercent(rest);
    }
    else
    {
        return false;
    }
    if (result.find('\0') != std::string::npos)
        return false;
    path = std::move(result);
    return true;
}
