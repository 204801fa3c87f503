#include "transfer/base/UrlPasswordMask.h"

namespace
{

constexpr std::string_view kSchemeSeparator = "://";
constexpr std::string_view kMask = "****";

bool EndsAuthority(char c)
{
    const unsigned char u = static_cast<unsigned char>(c);
    return u <= 0x20 || u == 0x7F || c == '/' || c == '\\' || c == '?' || c == '#' || c == '"' || c == '\'' ||
           c == '<' || c == '>';
}

} // namespace

std::string MaskUrlPasswords(std::string_view text)
{
    std::string out;
    out.reserve(text.size());
    size_t from = 0;
    for (;;)
    {
        const size_t separator = text.find(kSchemeSeparator, from);
        if (separator == std::string_view::npos)
            break;
        const size_t start = separator + kSchemeSeparator.size();
        size_t end = start;
        while (end < text.size() && !EndsAuthority(text[end]))
            ++end;
        const std::string_view authority = text.substr(start, end - start);
        const size_t at = authority.rfind('@');
        const size_t colon = at == std::string_view::npos ? std::string_view::npos : authority.find(':');
        out.append(text.substr(from, start - from));
        if (colon != std::string_view::npos && colon < at && colon + 1 < at)
        {
            out.append(authority.substr(0, colon + 1));
            out.append(kMask);
            out.append(authority.substr(at));
        }
        else
        {
            out.append(authority);
        }
        from = end;
    }
    out.append(text.substr(from));
    return out;
}

bool MayHoldUrlPassword(std::string_view text)
{
    return text.find('@') != std::string_view::npos && text.find(kSchemeSeparator) != std::string_view::npos;
}
