#include "checker/TaskFilter.h"

#include "checker/LinkNames.h"
#include "checker/LinkNode.h"

#include "foundation/files/PathUtils.h"
#include "foundation/links/UrlParts.h"
#include "foundation/text/Escaping.h"
#include "platform/core/Text.h"

namespace
{
constexpr char kPatternSeparator = ';';

// The scheme index of a URL by its prefix in the scheme table; -1 when no
// prefix of the table applies.
int SchemeIndex(const std::string& url)
{
    int scheme = URL_SCHEME_UNKNOWN;
    const char* rest = StripUrlScheme(url.c_str(), true, scheme);
    return rest && rest != url.c_str() ? scheme : -1;
}

int ParseFlag(std::string_view text)
{
    return StrToIntSafe(std::string(text)) != 0;
}
} // namespace

int32_t ParseHexMask(std::string_view text)
{
    size_t i = 0;
    while (i < text.size() && text[i] == '0')
        ++i;
    if (i < text.size() && (text[i] == 'x' || text[i] == 'X'))
        ++i;
    while (i < text.size() && text[i] == '0')
        ++i;
    uint32_t value = 0;
    for (; i < text.size(); ++i)
    {
        const int digit = HexDigitValue(text[i]);
        if (digit < 0)
            break;
        value = (value << 4) | static_cast<uint32_t>(digit);
    }
    return static_cast<int32_t>(value);
}

void CTaskFilter::Reset()
{
    *this = CTaskFilter();
}

bool CTaskFilter::GetText(int id, std::string& out) const
{
    switch (id)
    {
    case TASK_FILTER_TAGS:
        out = Format("%.8X", static_cast<unsigned>(m_tagMask));
        return true;
    case TASK_FILTER_PROTOCOLS:
        out = Format("%.8X", static_cast<unsigned>(m_protocolMask));
        return true;
    case TASK_FILTER_INCLUDE:
        out = GetIncludeText(kPatternSeparator);
        return true;
    case TASK_FILTER_EXCLUDE:
        out = GetExcludeText(kPatternSeparator);
        return true;
    default:
    {
        int value = 0;
        if (!GetInt(id, value))
            return false;
        out = Format("%d", value);
        return true;
    }
    }
}

bool CTaskFilter::SetText(int id, std::string_view text)
{
    switch (id)
    {
    case TASK_FILTER_TAGS:
    case TASK_FILTER_PROTOCOLS:
        return SetInt(id, ParseHexMask(text));
    case TASK_FILTER_INCLUDE:
        SetIncludeText(text, kPatternSeparator);
        return true;
    case TASK_FILTER_EXCLUDE:
        SetExcludeText(text, kPatternSeparator);
        return true;
    default:
        return SetInt(id, ParseFlag(text));
    }
}

bool CTaskFilter::GetInt(int id, int& out) const
{
    switch (id)
    {
    case TASK_FILTER_TAGS:
        out = m_tagMask;
        return true;
    case TASK_FILTER_PROTOCOLS:
        out = m_protocolMask;
        return true;
    case TASK_FILTER_CASE_SENSITIVE:
        out = m_caseSensitive;
        return true;
    case TASK_FILTER_INCLUDE_ENABLE:
        out = IsIncludeEnabled();
        return true;
    case TASK_FILTER_EXCLUDE_ENABLE:
        out = IsExcludeEnabled();
        return true;
    case TASK_FILTER_EXTERNAL:
        out = m_external;
        return true;
    default:
        return false;
    }
}

bool CTaskFilter::SetInt(int id, int value)
{
    switch (id)
    {
    case TASK_FILTER_TAGS:
        m_tagMask = value;
        return true;
    case TASK_FILTER_PROTOCOLS:
        m_protocolMask = value;
        return true;
    case TASK_FILTER_CASE_SENSITIVE:
        m_caseSensitive = value != 0;
        return true;
    case TASK_FILTER_INCLUDE_ENABLE:
        SetIncludeEnabled(value != 0);
        return true;
    case TASK_FILTER_EXCLUDE_ENABLE:
        SetExcludeEnabled(value != 0);
        return true;
    case TASK_FILTER_EXTERNAL:
        m_external = value != 0;
        return true;
    default:
        return false;
    }
}

bool CTaskFilter::Accept(const CLinkNode& node) const
{
    if (!IsLocalPath(node.m_url))
    {
        const int scheme = SchemeIndex(node.m_url);
        if (scheme >= 0 && !MaskHasBit(m_protocolMask, scheme))
            return false;
    }
    if (!MaskHasBit(m_tagMask, node.m_tagType))
        return false;
    return node.m_url.empty() || Match(node.m_url, m_caseSensitive);
}

bool CTaskFilter::operator==(const CTaskFilter& other) const
{
    return m_tagMask == other.m_tagMask && m_protocolMask == other.m_protocolMask &&
           m_caseSensitive == other.m_caseSensitive && m_external == other.m_external &&
           m_keepEmptyTags == other.m_keepEmptyTags && m_containers == other.m_containers &&
           IsIncludeEnabled() == other.IsIncludeEnabled() && IsExcludeEnabled() == other.IsExcludeEnabled() &&
           GetIncludeText(kPatternSeparator) == other.GetIncludeText(kPatternSeparator) &&
           GetExcludeText(kPatternSeparator) == other.GetExcludeText(kPatternSeparator);
}
